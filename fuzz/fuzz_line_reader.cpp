// The line reader takes any bytes, in pieces of any size, and gives the same
// items as splitting the whole decoded text at CR LF, CR and LF (a final LF
// adds one empty item, a final CR LF or CR does not).
#include "FuzzInput.h"
#include "core/text/TextFileReader.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The whole file decoded in one go: UTF-16 after its mark, UTF-8 after its
// mark or when valid, Windows-1252 otherwise; a character cut off at the end
// becomes U+FFFD.
QString decoded(const QByteArray& bytes)
{
    struct Decoder : QStringDecoder
    {
        explicit Decoder(Encoding encoding) : QStringDecoder(encoding, Flag::ConvertInitialBom) {}
        bool insideCharacter() const { return state.remainingChars != 0; }
    };
    auto decode = [](QStringConverter::Encoding encoding, QByteArrayView rest) {
        Decoder decoder(encoding);
        QString text = decoder(rest);
        if (decoder.insideCharacter())
            text += QChar(0xFFFD);
        return text;
    };
    if (bytes.startsWith("\xFF\xFE"))
        return decode(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decode(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    if (QByteArrayView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    return TextFileReader::fromWindows1252(bytes);
}

QStringList reference(const QByteArray& bytes)
{
    const QString text = decoded(bytes);
    QStringList items;
    if (text.isEmpty())
        return items;
    QString item;
    bool endedByLineEnd = false;
    bool endedByLF = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            items.append(item);
            item.clear();
            endedByLF = c == u'\n';
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            endedByLineEnd = true;
        } else {
            item.append(c);
            endedByLineEnd = false;
        }
    }
    if (!endedByLineEnd || endedByLF)
        items.append(item);
    return items;
}

} // namespace

// Larger than any input here: a whole read without an ASCII byte, which the
// reader decodes as it comes, does not occur.
constexpr qsizetype ReadSize = 8192;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the size of the pieces the reader is handed.
    const qsizetype piece = qsizetype(data[0] % 17) + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    qsizetype at = 0;
    if (itemsOf(piecewise(bytes, piece, at), ReadSize) != reference(bytes))
        std::abort();
    return 0;
}
