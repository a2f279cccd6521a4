#include "core/text/TextTable.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>

namespace TextTable {

namespace {

void writeWhole(Layout layout, const QStringList& headers, const ItemStore& items, Output& out)
{
    StoreSource source(headers, items);
    const Widths widths = measureWidths(
        source, layout, [] {}, PassFailuresOn{});
    writeLines(
        source, layout, widths, out, [] {}, PassFailuresOn{});
}

} // namespace

void writeTable(Layout layout, const QStringList& headers, const ItemStore& items, const Sink& sink)
{
    Output out(sink);
    writeWhole(layout, headers, items, out);
    out.flush();
}

void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                const ByteSink& sink)
{
    Output out(sink);
    writeWhole(layout, headers, items, out);
    out.flush();
}

void writeTable(Layout layout, const QStringList& headers, const ItemStore& items,
                QIODevice& device)
{
    writeTable(layout, headers, items, [&](QByteArrayView block) {
        if (device.write(block.data(), block.size()) != block.size())
            throw Failure(device.errorString());
    });
}

QString tableText(Layout layout, const QStringList& headers, const ItemStore& items)
{
    Output out;
    writeWhole(layout, headers, items, out);
    return std::move(out.text());
}

} // namespace TextTable
