#include "cli/ColumnInput.h"

#include "cli/Input.h"
#include "core/base/Failure.h"
#include "core/text/CodeColumn.h"
#include "core/text/DelimitedText.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace Checker {

namespace {

// The cells handed on together.
constexpr qsizetype BatchCells = 4096;

// Holds the first records until the column and its header are settled, then
// hands on the column's cells in batches.
class ColumnCells
{
public:
    ColumnCells(const QString& name, const TextFileReader::BatchSink& cells)
        : m_name(name), m_cells(cells)
    {}

    void record(const QStringList& fields)
    {
        if (m_column) {
            take(fields);
            return;
        }
        m_first.push_back(fields);
        if (int(m_first.size()) >= CodeColumn::PreviewRows)
            settle();
    }

    void finish()
    {
        if (!m_column)
            settle();
        handOn();
    }

private:
    void settle()
    {
        bool byHeader = false;
        m_column =
            CodeColumn::named(m_name, m_first.empty() ? QStringList() : m_first.front(), &byHeader);
        // A column past the end of every first row is a mistyped name, not
        // a column of empty cells.
        const auto holdsColumn = [this](const QStringList& row) { return *m_column < row.size(); };
        if (!m_column ||
            (!m_first.empty() && std::none_of(m_first.cbegin(), m_first.cend(), holdsColumn)))
            throw Failure(QStringLiteral("no column %1").arg(m_name));
        const bool header = byHeader || CodeColumn::headerAbove(m_first, *m_column);
        for (size_t r = header ? 1 : 0; r < m_first.size(); ++r)
            take(m_first[r]);
        m_first.clear();
    }

    void take(const QStringList& fields)
    {
        if (*m_column >= fields.size() || fields.at(*m_column).isEmpty())
            return;
        m_batch.append(fields.at(*m_column));
        if (m_batch.size() >= BatchCells)
            handOn();
    }

    void handOn()
    {
        if (m_batch.isEmpty())
            return;
        m_views.assign(m_batch.cbegin(), m_batch.cend());
        m_cells(m_views);
        m_batch.clear();
    }

    QString m_name;
    const TextFileReader::BatchSink& m_cells;
    std::vector<QStringList> m_first;
    std::optional<int> m_column;
    QStringList m_batch;
    std::vector<QStringView> m_views;
};

} // namespace

void readColumn(int fd, const QString& name, const CommandLine& options,
                const TextFileReader::BatchSink& cells)
{
    DelimitedText::Options reading;
    reading.separator =
        options.separator.isNull() ? DelimitedText::separatorForName(name) : options.separator;
    reading.longestField = LongestLine;
    reading.chunkBytes = InputChunkBytes;
    ColumnCells column(*options.column, cells);
    try {
        DelimitedText::readRecords(
            inputSource(fd), reading,
            [&column](const QStringList& fields, quint64) { column.record(fields); });
    } catch (const Failure&) {
        // The records before the fault are checked, as the lines before a
        // failing read are.
        column.finish();
        throw;
    }
    column.finish();
}

} // namespace Checker
