#include "core/text/TextTable.h"

#include "core/files/TextStream.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringEncoder>

namespace TextTable {

Output::Output(Sink sink, qsizetype blockChars) : m_sink(std::move(sink)), m_block(blockChars)
{
    // Room for a block and the line that completes it, mostly.
    m_text.reserve(m_block + 1024);
}

void Output::reserveLines(qsizetype lines, const Widths& widths)
{
    if (m_sink)
        return;
    // At most each cell's width and a TAB, and a line end: the text does not
    // grow by copying itself.
    qsizetype line = 2;
    for (const qsizetype w : widths)
        line += w + 1;
    m_text.reserve(m_text.size() + lines * line);
}

void Output::flush()
{
    if (m_text.isEmpty())
        return;
    m_sink(m_text);
    m_text.truncate(0);
}

Sink streamSink(TextStream& stream)
{
    return [&stream](QStringView block) {
        // The block's own text, without a copy, less the CR LF that
        // WriteLine puts back.
        stream.WriteLine(QString::fromRawData(block.data(), block.size() - 2));
    };
}

void closeClipboardLine(QString& text)
{
    if (text.isEmpty())
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    text.chop(1);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    text.truncate(end);
    text.append(QStringLiteral("\r\n"));
}

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
                QIODevice& device)
{
    // One encoder for the whole text, reusing one buffer.
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes;
    writeTable(layout, headers, items, [&](QStringView block) {
        bytes.resize(encoder.requiredSpace(block.size()));
        const qint64 size = encoder.appendToBuffer(bytes.data(), block) - bytes.constData();
        if (device.write(bytes.constData(), size) != size)
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
