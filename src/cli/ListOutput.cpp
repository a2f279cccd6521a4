#include "cli/ListOutput.h"

#include "cli/Interruption.h"
#include "core/text/TextTable.h"

#include <unistd.h>
#include <utility>

namespace Checker {

void ListOutput::open(std::unique_ptr<OutputWriter> writer, const char* header, bool plain)
{
    m_writer = std::move(writer);
    m_header = QString::fromLatin1(header);
    m_plain = plain;
}

void ListOutput::open(SpreadsheetFile::Format format, const QString& path, int out,
                      const char* header)
{
    m_name = outputName(path);
    if (format == SpreadsheetFile::Format::Xlsx && path == QLatin1String("-") && ::isatty(out))
        throw OutputFailure(m_name, QStringLiteral("an Excel workbook is not written to a "
                                                   "terminal"));
    std::unique_ptr<SafeFile> file = openOutput(path, out);
    naming(m_name, [&] {
        m_sheet =
            std::make_unique<SpreadsheetFile>(format, std::move(file), QString::fromLatin1(header));
    });
}

void ListOutput::add(const HeldText& code)
{
    if (m_plain) {
        m_writer->line(code);
    } else if (m_sheet) {
        naming(m_name, [&] {
            if (code.isLatin1())
                m_text = code.latin1();
            m_sheet->addRow(code.isLatin1() ? QStringView(m_text) : code.utf16());
        });
    } else if (m_writer) {
        m_held.append(code);
    }
}

void ListOutput::finish()
{
    if (m_sheet)
        naming(m_name, [&] { m_sheet->finish(); });
    if (!m_writer)
        return;
    // The padded table, as "Save Results As Text File" writes it.
    if (!m_plain) {
        TextTable::writeTable(TextTable::Layout::File, {m_header}, m_held,
                              [this](QByteArrayView block) {
                                  stopIfInterrupted();
                                  m_writer->put(block);
                              });
        m_held.clear();
    }
    m_writer->flush();
}

void ListOutput::commit()
{
    if (m_sheet)
        naming(m_name, [&] { m_sheet->commit(); });
    if (m_writer)
        m_writer->commit();
}

} // namespace Checker
