#include "cli/SpreadsheetList.h"

#include "cli/OutputWriter.h"

#include <unistd.h>

namespace Checker {

SpreadsheetList::SpreadsheetList(SpreadsheetFile::Format format, const QString& path, int out,
                                 const char* header)
    : m_name(outputName(path))
{
    if (format == SpreadsheetFile::Format::Xlsx && path == QLatin1String("-") && ::isatty(out))
        throw OutputFailure(m_name, QStringLiteral("an Excel workbook is not written to a "
                                                   "terminal"));
    std::unique_ptr<SafeFile> file = openOutput(path, out);
    try {
        m_file =
            std::make_unique<SpreadsheetFile>(format, std::move(file), QString::fromLatin1(header));
    } catch (const Failure& failure) {
        throw OutputFailure(m_name, failure.description());
    }
}

SpreadsheetList::~SpreadsheetList() = default;

void SpreadsheetList::add(const ItemText& code)
{
    try {
        if (code.isLatin1()) {
            m_text = code.latin1();
            m_file->addRow(m_text);
        } else {
            m_file->addRow(code.utf16());
        }
    } catch (const Failure& failure) {
        throw OutputFailure(m_name, failure.description());
    }
}

void SpreadsheetList::commit()
{
    try {
        m_file->commit();
    } catch (const Failure& failure) {
        throw OutputFailure(m_name, failure.description());
    }
}

} // namespace Checker
