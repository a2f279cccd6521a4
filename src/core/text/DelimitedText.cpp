#include "core/text/DelimitedText.h"

#include "core/base/Failure.h"

#include <QFileInfo>
#include <utility>

namespace DelimitedText {

namespace {

constexpr char16_t Quote = u'"';

// Ends a reading once enough records have come.
struct Enough
{};

} // namespace

QChar separatorForName(const QString& path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0)
        return QLatin1Char('\t');
    return {};
}

QChar sniff(QStringView firstLine)
{
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    qsizetype tabs = 0;
    bool quoted = false;
    for (const QChar c : firstLine) {
        if (c == Quote)
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
        else if (c == u'\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return QLatin1Char(';');
    if (tabs > commas && tabs > semicolons)
        return QLatin1Char('\t');
    return QLatin1Char(',');
}

Parser::Parser(const Options& options, RecordSink records)
    : m_records(std::move(records)), m_separator(options.separator), m_longest(options.longestField)
{}

void Parser::feed(const std::vector<QStringView>& lines)
{
    for (const QStringView text : lines)
        line(text);
}

void Parser::checkLength() const
{
    if (m_longest > 0 && m_field.size() > m_longest)
        throw Failure(TextFileReader::lineTooLong(m_firstLine, m_longest));
}

void Parser::endField()
{
    m_fields.append(std::exchange(m_field, QString()));
    m_fieldStarted = false;
}

// Begins a record at a line that is not inside quotes; false for an empty
// line, which holds none.
bool Parser::startRecord(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (m_separator.isNull())
        m_separator = sniff(text);
    m_firstLine = m_line;
    m_fields.clear();
    m_field.clear();
    m_fieldStarted = false;
    return true;
}

// Takes the characters of a quoted field from `i` on, up to its closing quote
// or the end of the line; returns where the reading goes on.
qsizetype Parser::quoted(QStringView text, qsizetype i)
{
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype quote = text.indexOf(Quote, i);
        if (quote < 0) {
            m_field.append(text.sliced(i));
            return n;
        }
        m_field.append(text.sliced(i, quote - i));
        if (quote + 1 == n || text[quote + 1] != Quote) {
            m_inQuotes = false;
            return quote + 1;
        }
        m_field.append(QChar(Quote));
        i = quote + 2;
    }
    return n;
}

void Parser::line(QStringView text)
{
    ++m_line;
    if (m_inQuotes)
        m_field.append(QLatin1Char('\n'));
    else if (!startRecord(text))
        return;
    const qsizetype n = text.size();
    qsizetype plainFrom = -1; // the start of a run of plain characters
    auto flushPlain = [&](qsizetype to) {
        if (plainFrom >= 0)
            m_field.append(text.sliced(plainFrom, to - plainFrom));
        plainFrom = -1;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (m_inQuotes) {
            i = quoted(text, i) - 1;
            continue;
        }
        const QChar c = text[i];
        if (c == m_separator) {
            flushPlain(i);
            endField();
        } else if (c == Quote && !m_fieldStarted && plainFrom < 0) {
            m_inQuotes = true;
            m_fieldStarted = true;
        } else {
            m_fieldStarted = true;
            if (plainFrom < 0)
                plainFrom = i;
        }
    }
    flushPlain(n);
    checkLength();
    if (m_inQuotes)
        return;
    endField();
    m_records(m_fields, m_firstLine);
}

void Parser::finish()
{
    if (m_inQuotes)
        throw Failure(QStringLiteral("line %1: a quoted field is not closed").arg(m_firstLine));
}

namespace {

// The line reader's settings for records of these options.
TextFileReader::Reading readingFor(const Options& options)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = options.chunkBytes;
    reading.longestLine = options.longestField;
    reading.betweenPieces = options.betweenPieces;
    return reading;
}

} // namespace

void readRecords(const TextFileReader::ByteSource& source, const Options& options,
                 const RecordSink& records)
{
    Parser parser(options, records);
    TextFileReader::readItems(
        source, {}, [&parser](const std::vector<QStringView>& lines) { parser.feed(lines); },
        readingFor(options));
    parser.finish();
}

void readRecords(const QString& path, const Options& options, const RecordSink& records)
{
    Parser parser(options, records);
    TextFileReader::readItems(
        path, [&parser](const std::vector<QStringView>& lines) { parser.feed(lines); },
        readingFor(options));
    parser.finish();
}

std::vector<QStringList> firstRecords(const QString& path, const Options& options, int count)
{
    std::vector<QStringList> rows;
    if (count <= 0)
        return rows;
    try {
        readRecords(path, options, [&rows, count](const QStringList& fields, quint64) {
            rows.push_back(fields);
            if (int(rows.size()) >= count)
                throw Enough();
        });
    } catch (const Enough&) {
    }
    return rows;
}

} // namespace DelimitedText
