// Delimited text read in pieces of any size gives the records a plain
// character-by-character reading of the whole text gives, and fails where it
// does; the code column guessed among them is one a count of code cells
// picks. Codes written by the CSV writer (SpreadsheetFile) read back as they
// were written.
#include "FuzzInput.h"
#include "core/base/Failure.h"
#include "core/files/SpreadsheetFile.h"
#include "core/text/CodeColumn.h"
#include "core/text/DelimitedText.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Larger than any input here (4096 bytes, in UTF-8 at most three times as
// many), as the line reader's own fuzzer has it.
DelimitedText::Options optionsWith(QChar separator)
{
    DelimitedText::Options options;
    options.separator = separator;
    options.chunkBytes = 16384;
    return options;
}

struct Record
{
    QStringList fields;
    quint64 firstLine;
    bool operator==(const Record&) const = default;
};

struct Reading
{
    std::vector<Record> records;
    QString failure;
    bool operator==(const Reading&) const = default;
};

// The separator of the first line: the most frequent of comma, semicolon and
// TAB outside quotes, a comma before the others on a tie, a semicolon before
// a TAB.
QChar sniffed(QStringView line)
{
    int counts[3] = {};
    bool quoted = false;
    for (const QChar c : line) {
        quoted = quoted != (c == u'"');
        const qsizetype k = QStringView(u",;\t").indexOf(c);
        if (!quoted && k >= 0)
            ++counts[k];
    }
    const int* most = std::max_element(std::begin(counts), std::end(counts));
    return QChar(u",;\t"[most - counts]);
}

// The whole text read one character at a time.
Reading reference(const QString& text, QChar separator)
{
    Reading out;
    static const QRegularExpression LineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(LineEnd);
    if (text.endsWith(u'\r') || text.endsWith(u'\n'))
        lines.removeLast();
    Record record;
    QString field;
    bool inQuotes = false;
    bool started = false;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString& line = lines[k];
        if (inQuotes) {
            field += u'\n';
        } else {
            if (line.isEmpty())
                continue;
            if (separator.isNull())
                separator = sniffed(line);
            record = {{}, quint64(k + 1)};
            field.clear();
            started = false;
        }
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (inQuotes && c == u'"' && line.mid(i + 1, 1) == u"\"") {
                field += c;
                ++i;
            } else if (inQuotes) {
                inQuotes = c != u'"';
                field += inQuotes ? QString(c) : QString();
            } else if (c == separator) {
                record.fields.append(std::exchange(field, QString()));
                started = false;
            } else {
                inQuotes = c == u'"' && !started;
                field += inQuotes ? QString() : QString(c);
                started = true;
            }
        }
        if (!inQuotes) {
            record.fields.append(std::exchange(field, QString()));
            out.records.push_back(record);
        }
    }
    if (inQuotes)
        out.failure = QStringLiteral("line %1: a quoted field is not closed").arg(record.firstLine);
    return out;
}

Reading read(const QByteArray& bytes, QChar separator, qsizetype piece)
{
    Reading out;
    qsizetype at = 0;
    try {
        DelimitedText::readRecords(piecewise(bytes, piece, at), optionsWith(separator),
                                   [&](const QStringList& fields, quint64 line) {
                                       out.records.push_back({fields, line});
                                   });
    } catch (const Failure& failure) {
        out.failure = failure.description();
    }
    return out;
}

bool looksLikeCode(const QString& cell)
{
    QString digits = cell;
    digits.remove(u'-').remove(u' ');
    return digits.size() >= 8 && digits.size() <= 14 &&
           std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A guess names the column with the most code cells below row 1 (row 1 alone
// in a table of one row), the leftmost of equals; without any, the first
// code cell of row 1, no header.
void checkGuess(const std::vector<QStringList>& rows)
{
    const int width = CodeColumn::width(rows);
    std::vector<int> codes(size_t(width) + 1, 0);
    std::vector<int> cells(size_t(width) + 1, 0);
    for (size_t r = rows.size() > 1 ? 1 : 0; r < rows.size(); ++r)
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            if (CodeColumn::looksLikeCode(rows[r][c]) != looksLikeCode(rows[r][c]))
                std::abort();
            codes[size_t(c)] += looksLikeCode(rows[r][c]) ? 1 : 0;
            cells[size_t(c)] += rows[r][c].isEmpty() ? 0 : 1;
        }
    // Row 1 is a header above a column when it is no code there while at
    // least half of the cells below that are not empty are.
    for (int c = 0; c < width; ++c) {
        const bool header = rows.size() > 1 && codes[size_t(c)] * 2 >= cells[size_t(c)] &&
                            codes[size_t(c)] > 0 && !looksLikeCode(rows.front().value(c));
        if (CodeColumn::headerAbove(rows, c) != header)
            std::abort();
    }
    const auto best = std::max_element(codes.begin(), codes.end());
    const std::optional<CodeColumn::Guess> guess = CodeColumn::guess(rows);
    if (*best > 0) {
        if (!guess || guess->column != best - codes.begin() ||
            guess->header != CodeColumn::headerAbove(rows, guess->column))
            std::abort();
        return;
    }
    const QStringList top = rows.empty() ? QStringList() : rows.front();
    const auto first = std::find_if(top.begin(), top.end(), looksLikeCode);
    if (first == top.end() ? guess.has_value()
                           : !guess || guess->column != first - top.begin() || guess->header)
        std::abort();
}

// Columns named by their letters, their number, or their header's text.
void checkNames(const QStringList& header, int column)
{
    bool byHeader = true;
    const QString letters = CodeColumn::letters(column);
    const bool lettersAreAHeader = std::any_of(header.begin(), header.end(), [&](const QString& h) {
        return h.trimmed().compare(letters, Qt::CaseInsensitive) == 0;
    });
    if (!lettersAreAHeader &&
        (CodeColumn::named(letters.toLower(), header, &byHeader) != column || byHeader))
        std::abort();
    if (CodeColumn::named(QString::number(column + 1), header) != column)
        std::abort();
    for (qsizetype c = 0; c < header.size(); ++c) {
        bool isNumber = false;
        header[c].trimmed().toInt(&isNumber);
        if (isNumber || header[c].trimmed().isEmpty())
            continue;
        const std::optional<int> named = CodeColumn::named(header[c], header, &byHeader);
        if (!named || !byHeader ||
            header[*named].trimmed().compare(header[c].trimmed(), Qt::CaseInsensitive) != 0 ||
            *named > c)
            std::abort();
    }
}

// Codes through the CSV writer and back: after the header a record each, but
// for empty codes; an apostrophe before what a spreadsheet would take for a
// formula; a line end inside a code read as a LF.
void checkRoundTrip(const QStringList& codes, qsizetype piece)
{
    // Written straight to a file in memory, as to standard output.
    static const int memory = memfd_create("codes.csv", 0);
    SafeFile::Rules straight;
    straight.others = SafeFile::Others::WriteStraight;
    straight.standardOutput = memory;
    if (ftruncate(memory, 0) != 0 || lseek(memory, 0, SEEK_SET) != 0)
        std::abort();
    const QString header = QStringLiteral(" Valid Codes");
    SpreadsheetFile file(SpreadsheetFile::Format::Csv, SafeFile::open("-", straight), header);
    Reading want{{{{header}, 1}}, {}};
    for (const QString& code : codes) {
        file.addRow(code);
        if (code.isEmpty())
            continue;
        const bool formula = QStringView(u"=+-@\t\r").contains(code.front());
        QString field = (formula ? QStringLiteral("'") : QString()) + code;
        want.records.push_back(
            {{field.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n')},
             0});
    }
    file.commit();
    QByteArray bytes(qsizetype(lseek(memory, 0, SEEK_END)), Qt::Uninitialized);
    if (pread(memory, bytes.data(), size_t(bytes.size()), 0) != bytes.size())
        std::abort();
    Reading got = read(bytes, QChar(), piece);
    for (size_t r = 1; r < got.records.size(); ++r)
        got.records[r].firstLine = 0;
    if (!(got == want))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // Separators, quotes, line ends, a formula's first characters and digits,
    // so that fields, quoted fields and codes come up often; 0xFF ends a code.
    static const char16_t Alphabet[] = u"0123456789-  ,;\t\"\r\n=+@'x\u00e9\u20ac";
    const qsizetype piece = data[0] % 17 + 1;
    static const char16_t Separators[] = {0, u',', u';', u'\t'};
    const QChar separator(Separators[data[1] % 4]);
    QString text;
    QStringList codes{QString()};
    for (size_t i = 2; i < size; ++i) {
        if (data[i] == 0xFF) {
            codes.append(QString());
            text += u'\n';
            continue;
        }
        const QChar c(Alphabet[data[i] % (std::size(Alphabet) - 1)]);
        text += c;
        codes.back() += c;
    }

    const Reading got = read(text.toUtf8(), separator, piece);
    if (!(got == reference(text, separator)))
        std::abort();
    std::vector<QStringList> rows;
    for (size_t r = 0; r < got.records.size() && r < size_t(CodeColumn::PreviewRows); ++r)
        rows.push_back(got.records[r].fields);
    checkGuess(rows);
    if (!rows.empty())
        checkNames(rows.front(), data[1] % 40);
    checkRoundTrip(codes, piece);
    return 0;
}
