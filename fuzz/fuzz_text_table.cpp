// The text table of any list held still, in both layouts and handed on in
// blocks of any size, against a small model of its own: every block ends a
// line, and the blocks together are the model's text.
#include "core/base/PacedYield.h"
#include "core/text/TextTable.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

QString textOf(const uint8_t*& p, const uint8_t* end)
{
    // A length byte, then that many characters from a small alphabet with
    // blanks, TABs and line breaks, so that trailing blanks and equal widths
    // come up often.
    static const char16_t Alphabet[] = u" 0123456789-x\t\r\n\u00e9\u20ac ";
    QString text;
    if (p == end)
        return text;
    const int length = *p++ % 24;
    for (int i = 0; i < length && p != end; ++i)
        text += QChar(Alphabet[*p++ % (std::size(Alphabet) - 1)]);
    return text;
}

struct Row
{
    QStringList cells;
    bool checked;
};

// The table as the layouts describe it, line by line.
QString model(TextTable::Layout layout, const QStringList& headers, const std::vector<Row>& rows)
{
    const bool file = layout == TextTable::Layout::File;
    std::vector<qsizetype> widths;
    for (qsizetype c = 0; c < headers.size(); ++c) {
        qsizetype w = file ? headers[c].size() : 0;
        for (const Row& row : rows)
            w = std::max(w, row.cells.value(c).size());
        widths.push_back(w);
    }
    auto line = [&](const QStringList& cells) {
        QString text;
        for (qsizetype c = 0; c < headers.size(); ++c)
            text += cells.value(c).leftJustified(widths[size_t(c)]) + QLatin1Char('\t');
        if (!file) {
            text.chop(1);
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
        }
        return text + QStringLiteral("\r\n");
    };
    QString text = file ? line(headers) : QString();
    for (const Row& row : rows)
        if (row.checked)
            text += line(row.cells);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* const end = data + size;
    if (end - p < 2)
        return 0;
    const int columns = *p++ % 4 + 1;
    const qsizetype blockBytes = *p++ % 64 + 1;
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers.append(textOf(p, end));
    std::vector<Row> rows;
    ItemStore items;
    while (p != end && rows.size() < 64) {
        Row row{{}, bool(*p++ & 1)};
        const int cells = p == end ? 0 : *p++ % (columns + 1);
        for (int c = 0; c < cells; ++c)
            row.cells.append(textOf(p, end));
        items.append(row.cells.value(0), row.cells.mid(1));
        items.setChecked(items.count() - 1, row.checked);
        rows.push_back(row);
    }

    for (const TextTable::Layout layout : {TextTable::Layout::File, TextTable::Layout::Clipboard}) {
        QByteArray written;
        TextTable::TableOutput out(
            [&](QByteArrayView block) {
                if (!block.endsWith("\r\n"))
                    std::abort();
                written += block;
            },
            blockBytes);
        // Step by step: the window asked at every yield point.
        PacedYield everyYieldPoint([] {}, 0);
        TextTable::StoreSource source(headers, items);
        const TextTable::Widths widths = TextTable::measureWidths(source, layout, &everyYieldPoint);
        TextTable::writeLines(source, layout, widths, out, &everyYieldPoint);
        out.flush();
        const QString want = model(layout, headers, rows);
        if (written != want.toUtf8() || TextTable::tableText(layout, headers, items) != want)
            std::abort();

        // The same with the window's paced yield, whose quiet stretches are
        // written in one go: the whole text in UTF-16, and for a file also in
        // UTF-8 blocks.
        qint64 now = 0;
        PacedYield paced([] {}, PacedYield::DefaultIntervalNanoseconds, [&now] { return now; });
        QByteArray pacedBytes;
        TextTable::TableOutput utf16;
        TextTable::TableOutput utf8(
            TextTable::ByteSink([&](QByteArrayView block) { pacedBytes += block; }), blockBytes);
        const bool file = layout == TextTable::Layout::File;
        for (TextTable::TableOutput* out : {&utf16, file ? &utf8 : nullptr}) {
            if (!out)
                continue;
            TextTable::StoreSource again(headers, items);
            const TextTable::Widths w = TextTable::measureWidths(again, layout, &paced);
            TextTable::writeLines(again, layout, w, *out, &paced);
            out->flush();
        }
        if (utf16.text() != want || (file && pacedBytes != want.toUtf8()))
            std::abort();
    }
    return 0;
}
