#include "core/text/DelimitedText.h"

#include "core/base/Failure.h"

#include <QFileInfo>
#include <QStringView>
#include <utility>

namespace DelimitedText {

namespace {

constexpr char16_t Quote = u'"';

// How many fields of a record are read between two calls of
// Options::betweenPieces.
constexpr quint64 FieldsPerTurn = 1024;

// Ends a reading once enough records have come.
struct Enough
{};

// The separator of the first record (see Options::separator).
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

// Cuts lines of text into records.
class Parser
{
public:
    Parser(const Options& options, const RecordSink& records)
        : m_records(records), m_separator(options.separator), m_longest(options.longestField),
          m_kept(options.keptFields), m_betweenPieces(options.betweenPieces)
    {}

    void feed(const std::vector<QStringView>& lines)
    {
        for (const QStringView text : lines)
            line(text);
    }

    void finish() const
    {
        if (m_inQuotes)
            throw Failure(QStringLiteral("line %1: a quoted field is not closed").arg(m_firstLine));
    }

private:
    void line(QStringView text)
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
        if (m_longest > 0 && m_field.size() > m_longest)
            throw Failure(TextFileReader::lineTooLong(m_firstLine, m_longest));
        if (m_inQuotes)
            return;
        endField();
        m_records(m_fields, m_firstLine);
    }

    void endField()
    {
        if (m_kept <= 0 || m_fields.size() < m_kept)
            m_fields.append(std::exchange(m_field, QString()));
        else
            m_field.resize(0); // its room kept for the next
        m_fieldStarted = false;
        // A record of a million fields lets the window run within it too.
        if (++m_recordFields % FieldsPerTurn == 0 && m_betweenPieces)
            m_betweenPieces();
    }

    // Begins a record at a line that is not inside quotes; false for an empty
    // line, which holds none.
    bool startRecord(QStringView text)
    {
        if (text.isEmpty())
            return false;
        if (m_separator.isNull())
            m_separator = sniff(text);
        m_firstLine = m_line;
        m_recordFields = 0;
        m_fields.clear();
        m_field.clear();
        m_fieldStarted = false;
        return true;
    }

    // Takes the characters of a quoted field from `i` on, up to its closing
    // quote or the end of the line; returns where the reading goes on.
    qsizetype quoted(QStringView text, qsizetype i)
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

    const RecordSink& m_records;
    QChar m_separator;
    qsizetype m_longest;
    qsizetype m_kept;
    const std::function<void()>& m_betweenPieces;
    QStringList m_fields;
    QString m_field;
    bool m_inQuotes = false;
    bool m_fieldStarted = false;
    quint64 m_line = 0;
    quint64 m_firstLine = 0;
    quint64 m_recordFields = 0;
};

// The records of a file (its path) or of a source.
template <typename Input>
void read(const Input& input, const Options& options, const RecordSink& records)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = options.chunkBytes;
    reading.longestLine = options.longestField;
    reading.betweenPieces = options.betweenPieces;
    Parser parser(options, records);
    TextFileReader::readItems(
        input, {}, [&parser](const std::vector<QStringView>& lines) { parser.feed(lines); },
        reading);
    parser.finish();
}

} // namespace

QChar separatorForName(const QString& path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0)
        return QLatin1Char('\t');
    return {};
}

void readRecords(const QString& path, const Options& options, const RecordSink& records)
{
    read(path, options, records);
}

void readRecords(const TextFileReader::ByteSource& source, const Options& options,
                 const RecordSink& records)
{
    read(source, options, records);
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
