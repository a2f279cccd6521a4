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

namespace {

// Cuts lines of text into records.
class Parser
{
public:
    Parser(const Options& options, const RecordSink& records)
        : m_records(records), m_separator(options.separator), m_longest(options.longestField)
    {}

    void line(QStringView text);

    // The end of the text; fails when a quote is still open.
    void finish() const
    {
        if (m_inQuotes)
            throw Failure(QStringLiteral("line %1: a quoted field is not closed").arg(m_firstLine));
    }

private:
    // Takes the characters of a quoted field from `from` on; answers where
    // the line goes on, -1 at its end.
    qsizetype quoted(QStringView text, qsizetype from);

    void endField()
    {
        m_fields.append(std::exchange(m_field, QString()));
        m_fieldStarted = false;
    }

    const RecordSink& m_records;
    QChar m_separator;
    qsizetype m_longest;
    QStringList m_fields;
    QString m_field;
    bool m_inQuotes = false;
    bool m_fieldStarted = false;
    quint64 m_line = 0;
    quint64 m_firstLine = 0;
};

void Parser::line(QStringView text)
{
    ++m_line;
    if (m_inQuotes) {
        m_field.append(QLatin1Char('\n'));
    } else {
        if (text.isEmpty())
            return;
        if (m_separator.isNull())
            m_separator = sniff(text);
        m_firstLine = m_line;
        m_fields.clear();
        m_field.clear();
        m_fieldStarted = false;
    }
    qsizetype i = 0;
    while (i >= 0) {
        if (m_inQuotes) {
            i = quoted(text, i);
        } else if (!m_fieldStarted && text.sliced(i).startsWith(Quote)) {
            m_inQuotes = true;
            m_fieldStarted = true;
            ++i;
        } else {
            // Up to the separator, a quote is taken as it stands.
            const qsizetype separator = text.indexOf(m_separator, i);
            m_field.append(text.sliced(i, (separator < 0 ? text.size() : separator) - i));
            if (separator >= 0)
                endField();
            i = separator < 0 ? -1 : separator + 1;
        }
    }
    if (m_longest > 0 && m_field.size() > m_longest)
        throw Failure(TextFileReader::lineTooLong(m_firstLine, m_longest));
    if (m_inQuotes)
        return;
    endField();
    m_records(m_fields, m_firstLine);
}

qsizetype Parser::quoted(QStringView text, qsizetype from)
{
    const qsizetype quote = text.indexOf(Quote, from);
    m_field.append(text.sliced(from, (quote < 0 ? text.size() : quote) - from));
    if (quote < 0)
        return -1;
    if (text.sliced(quote + 1).startsWith(Quote)) {
        m_field.append(QChar(Quote));
        return quote + 2;
    }
    m_inQuotes = false;
    return quote + 1;
}

// The records of the lines of a file or of any source.
template <typename Source>
void readFrom(const Source& source, const Options& options, const RecordSink& records)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = options.chunkBytes;
    reading.longestLine = options.longestField;
    reading.betweenPieces = options.betweenPieces;
    Parser parser(options, records);
    TextFileReader::readItems(
        source, {},
        [&parser](const std::vector<QStringView>& lines) {
            for (const QStringView line : lines)
                parser.line(line);
        },
        reading);
    parser.finish();
}

} // namespace

void readRecords(const TextFileReader::ByteSource& source, const Options& options,
                 const RecordSink& records)
{
    readFrom(source, options, records);
}

void readRecords(const QString& path, const Options& options, const RecordSink& records)
{
    readFrom(path, options, records);
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
