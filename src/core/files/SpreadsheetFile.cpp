#include "core/files/SpreadsheetFile.h"

#include "core/base/Failure.h"
#include "core/files/TextStream.h"
#include "core/files/WorkFolder.h"
#include "core/files/ZipMembers.h"

#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <xlsxwriter.h>

class SpreadsheetFile::Writer
{
public:
    virtual ~Writer() = default;
    virtual void add(QStringView text) = 0;
    virtual void finish() = 0;
    virtual void commit() = 0;
};

namespace {

// RFC 4180 in UTF-8, with a byte-order mark and CR LF.
class CsvWriter final : public SpreadsheetFile::Writer
{
public:
    CsvWriter(std::unique_ptr<SafeFile> file, const QString& header)
        : m_file(std::move(file)),
          m_encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
    {
        m_file.WriteLines("\xEF\xBB\xBF");
        add(header);
    }

    void add(QStringView text) override
    {
        static constexpr QStringView FormulaStarts = u"=+-@\t\r";
        static constexpr QStringView QuotedFor = u",;\"\r\n";
        const bool formula = !text.isEmpty() && FormulaStarts.contains(text.front());
        const bool quoted =
            std::any_of(text.begin(), text.end(), [](QChar c) { return QuotedFor.contains(c); });
        m_row.resize(0);
        if (quoted)
            m_row.append('"');
        if (formula)
            m_row.append('\'');
        if (quoted)
            put(text.toString().replace(QLatin1Char('"'), QLatin1String("\"\"")));
        else
            put(text);
        m_row.append(quoted ? "\"\r\n" : "\r\n");
        m_file.WriteLines(m_row);
    }

    void finish() override { m_file.Flush(); }
    void commit() override { m_file.Close(); }

private:
    void put(QStringView text)
    {
        const qsizetype at = m_row.size();
        m_row.resize(at + m_encoder.requiredSpace(text.size()));
        char* const end = m_encoder.appendToBuffer(m_row.data() + at, text);
        m_row.resize(end - m_row.constData());
    }

    TextStream m_file; // gathers the rows into pieces for the file
    QStringEncoder m_encoder;
    QByteArray m_row; // reused from row to row
};

QString xlsxFailure(lxw_error error)
{
    return QStringLiteral("The workbook could not be made: %1")
        .arg(QString::fromUtf8(lxw_strerror(error)));
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// A workbook's reader takes "_xHHHH_" in a text for the character HHHH (so
// libxlsxwriter writes control characters); the text's own such sequences keep
// their "_" as "_x005F_", each found in the text as it was.
void escapeHexEscapes(QByteArray& cell)
{
    for (qsizetype at = cell.indexOf("_x"); at >= 0; at = cell.indexOf("_x", at + 1)) {
        if (at + 7 <= cell.size() && cell[at + 6] == '_' &&
            std::all_of(cell.cbegin() + at + 2, cell.cbegin() + at + 6, isHexDigit)) {
            cell.insert(at + 1, "x005F_");
            at += 6; // on to the text's own "x"
        }
    }
}

// An Excel workbook, made by libxlsxwriter in a temporary folder of its own.
class XlsxWriter final : public SpreadsheetFile::Writer
{
public:
    XlsxWriter(std::unique_ptr<SafeFile> file, const QString& header)
        : m_file(std::move(file)), m_header(header)
    {
        if (!m_folder.isValid())
            throw Failure(QStringLiteral("No temporary folder for the workbook: %1")
                              .arg(m_folder.errorString()));
        m_folderName = QFile::encodeName(m_folder.path());
        m_bookName = QFile::encodeName(m_folder.filePath(QStringLiteral("book.xlsx")));
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_folderName.data();
        m_book = workbook_new_opt(m_bookName.constData(), &options);
        if (!m_book)
            throw Failure(QLatin1String(FailureText::OutOfMemory));
        m_text = workbook_add_format(m_book);
        if (!m_text)
            throw Failure(QLatin1String(FailureText::OutOfMemory));
        format_set_num_format(m_text, "@");
        startSheet();
    }

    // libxlsxwriter closes each sheet's file of rows only by writing the whole
    // workbook out, which would hold up an interrupted run: they are closed
    // here, through the one field of its own read.
    ~XlsxWriter() override
    {
        if (!m_book)
            return;
        for (lxw_worksheet* sheet : m_sheets) {
            if (sheet->optimize_tmpfile)
                std::fclose(std::exchange(sheet->optimize_tmpfile, nullptr));
        }
        lxw_workbook_free(m_book);
    }

    void add(QStringView text) override
    {
        if (m_row == lxw_row_t(SpreadsheetFile::SheetRows))
            startSheet();
        put(text);
    }

    void finish() override
    {
        if (!m_book)
            return;
        fitColumn();
        const lxw_error closed = workbook_close(std::exchange(m_book, nullptr));
        if (closed != LXW_NO_ERROR)
            throw Failure(xlsxFailure(closed));
        QFile book(m_folder.filePath(QStringLiteral("book.xlsx")));
        if (!book.open(QIODevice::ReadOnly))
            throw Failure(book.errorString());
        checkParts(book.fileName());
        QByteArray piece(qsizetype(1) << 20, Qt::Uninitialized);
        qint64 n = 0;
        while ((n = book.read(piece.data(), piece.size())) > 0)
            m_file->write(QByteArrayView(piece.constData(), n));
        if (n < 0)
            throw Failure(book.errorString());
        book.close();
        m_folder.remove();
    }

    void commit() override
    {
        finish();
        m_file->commit();
    }

private:
    // libxlsxwriter does not look at its writes in the temporary folder: a full
    // disk there would leave rows out of a workbook it calls complete. So each
    // part must decompress whole to its CRC and end as its kind of part ends,
    // and each sheet must hold every row put in it.
    void checkParts(const QString& book) const
    {
        std::size_t sheets = 0;
        ZipMembers::read(book, [&](const QByteArray& name, const QByteArray& bytes) {
            const bool sheet = name.startsWith("xl/worksheets/sheet");
            sheets += sheet ? 1 : 0;
            // Every sheet but the last is full.
            const qsizetype rows =
                sheets < m_sheets.size() ? SpreadsheetFile::SheetRows : qsizetype(m_row);
            if (!bytes.trimmed().endsWith(sheet ? QByteArrayView("</worksheet>")
                                                : QByteArrayView(">")) ||
                (sheet && bytes.count("</row>") != rows))
                throw Failure(QStringLiteral("The temporary folder %1 could not hold the whole "
                                             "workbook: a part of it is cut short")
                                  .arg(m_folder.path()));
        });
        if (sheets != m_sheets.size())
            throw Failure(QStringLiteral("The workbook cannot be read back"));
    }

    void startSheet()
    {
        if (m_sheet)
            fitColumn();
        m_sheet = workbook_add_worksheet(m_book, nullptr);
        if (!m_sheet)
            throw Failure(QStringLiteral("The workbook could not be made: no temporary file"));
        m_sheets.push_back(m_sheet);
        m_row = 0;
        m_widest = 0;
        put(m_header);
    }

    void put(QStringView text)
    {
        if (text.size() > SpreadsheetFile::CellCharacters)
            throw Failure(QStringLiteral("A text is longer than the %1 characters a cell holds")
                              .arg(SpreadsheetFile::CellCharacters));
        m_cell = text.toUtf8();
        escapeHexEscapes(m_cell);
        const lxw_error written =
            worksheet_write_string(m_sheet, m_row, 0, m_cell.constData(), m_text);
        if (written != LXW_NO_ERROR)
            throw Failure(xlsxFailure(written));
        ++m_row;
        m_widest = std::max(m_widest, text.size());
    }

    // The column as wide as its longest text (in widths of a digit), with a
    // little room; never narrower than a sheet's usual column.
    void fitColumn()
    {
        const double width = std::clamp(double(m_widest) + 1.0, 8.43, 255.0);
        worksheet_set_column(m_sheet, 0, 0, width, m_text);
    }

    std::unique_ptr<SafeFile> m_file;
    QString m_header;
    WorkFolder m_folder;
    QByteArray m_folderName, m_bookName;
    lxw_workbook* m_book = nullptr;
    lxw_format* m_text = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    lxw_row_t m_row = 0;
    qsizetype m_widest = 0;
    QByteArray m_cell; // reused from row to row
};

} // namespace

std::optional<SpreadsheetFile::Format> SpreadsheetFile::formatOf(const QString& path)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return Format::Xlsx;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Format::Csv;
    return std::nullopt;
}

SpreadsheetFile::SpreadsheetFile(Format format, std::unique_ptr<SafeFile> file,
                                 const QString& header)
{
    if (format == Format::Csv)
        m_writer = std::make_unique<CsvWriter>(std::move(file), header);
    else
        m_writer = std::make_unique<XlsxWriter>(std::move(file), header);
}

SpreadsheetFile::~SpreadsheetFile() = default;

// Runs a step of a file neither broken nor committed; a failure breaks it.
template <typename Step> void SpreadsheetFile::step(Step action)
{
    if (!m_failure.isEmpty())
        throw Failure(m_failure);
    if (!m_writer)
        throw Failure(QLatin1String(FailureText::BadFileNameOrNumber));
    try {
        action();
    } catch (const Failure& failure) {
        m_failure = failure.description();
        throw;
    }
}

void SpreadsheetFile::addRow(QStringView text)
{
    step([&] { m_writer->add(text); });
}

void SpreadsheetFile::finish()
{
    step([&] { m_writer->finish(); });
}

// The writer goes with its commit, and its temporary folder at once.
void SpreadsheetFile::commit()
{
    step([&] { std::exchange(m_writer, nullptr)->commit(); });
}
