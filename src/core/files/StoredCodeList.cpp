#include "core/files/StoredCodeList.h"

#include "core/base/AsciiText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace StoredCodeList {

namespace {

// The UTF-8 bytes of a text as QString::toUtf8 gives them (a surrogate
// without its partner becomes "?"), at most three bytes a character.
char* encodeUtf8(char* out, QStringView text)
{
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p != end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (!QChar::isSurrogate(u)) {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isHighSurrogate(u) && p != end && QChar::isLowSurrogate(*p)) {
            const char32_t c = QChar::surrogateToUcs4(u, *p++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            *out++ = '?';
        }
    }
    return out;
}

char* encodeUtf8(char* out, QLatin1StringView text)
{
    return latin1ToUtf8(out, text);
}

constexpr char SeparatorBytes[] = "||MySeparator23||";
constexpr qsizetype SeparatorLength = qsizetype(sizeof SeparatorBytes - 1);
static_assert(SeparatorLength == Separator.size());

} // namespace

// Each item is encoded on its own: the ASCII separator between two items never
// lets a surrogate pair span them, so the bytes are those of the whole text.
Utf8Join::Utf8Join(const ByteSink& write, qsizetype bufferBytes)
    : m_write(write), m_buffer(std::max(bufferBytes, qsizetype(64)), Qt::Uninitialized)
{}

void Utf8Join::flush()
{
    if (m_used > 0)
        m_write(QByteArrayView(m_buffer.constData(), m_used));
    m_used = 0;
}

void Utf8Join::add(HeldText item)
{
    const qsizetype separator = m_first ? 0 : SeparatorLength;
    m_first = false;
    const qsizetype most = separator + (item.isLatin1() ? 2 : 3) * item.size();
    if (m_used + most > m_buffer.size()) {
        flush();
        if (most > m_buffer.size()) {
            // An item larger than the buffer goes on by itself.
            m_write(QByteArrayView(SeparatorBytes, separator));
            m_write(item.isLatin1() ? QString(item.latin1()).toUtf8() : item.utf16().toUtf8());
            return;
        }
    }
    char* out = m_buffer.data() + m_used;
    out = std::copy_n(SeparatorBytes, separator, out);
    out = item.visit([out](auto text) { return encodeUtf8(out, text); });
    m_used = out - m_buffer.constData();
}

void Utf8Join::finish()
{
    flush();
}

Utf8Split::Utf8Split(QByteArrayView bytes, Window window)
    : m_decoder(QStringConverter::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
{
    restart(bytes, window);
}

void Utf8Split::restart(QByteArrayView bytes, Window window)
{
    m_bytes = bytes;
    m_window = window;
    m_piece = 0;
    m_done = false;
    m_pieces.clear();
    // The one byte-order mark that QString::fromUtf8 drops.
    if (m_window.startsText && m_bytes.startsWith("\xEF\xBB\xBF"))
        m_piece = 3;
    // No UTF-8 byte gives more than one UTF-16 unit, and a piece and its
    // separator take at least a separator's bytes and one more.
    m_mostPieces = mostPiecesIn(bytes.size());
    m_mostCharacters = bytes.size();
}

qsizetype Utf8Split::mostPiecesIn(qsizetype bytes)
{
    return bytes / (SeparatorLength + 1) + 1;
}

bool Utf8Split::next()
{
    m_pieces.clear();
    if (m_done)
        return false;
    m_done = true;
    const char* const bytes = m_bytes.data();
    const qsizetype size = m_bytes.size();
    // Room for every piece decoded, so that none moves: no piece decodes to
    // more units than it has bytes and the one after it.
    m_decoded.resize(size - m_piece + 2);
    m_decodedUsed = 0;
    qsizetype k = m_piece;
    while (k < size) {
        const void* bar = std::memchr(bytes + k, '|', size_t(size - k));
        if (!bar)
            break;
        k = static_cast<const char*>(bar) - bytes;
        if (k + SeparatorLength <= size &&
            std::memcmp(bytes + k, SeparatorBytes, size_t(SeparatorLength)) == 0) {
            hand(m_piece, k, true);
            k += SeparatorLength;
            m_piece = k;
        } else {
            ++k;
        }
    }
    if (m_window.endsText)
        hand(m_piece, size, false);
    return true;
}

// Hands on the piece of bytes [begin, end): as those bytes when they are
// ASCII, else decoded, with the separator's first byte after it when there is
// one, as it stands in the whole text; the byte's '|' is left off.
void Utf8Split::hand(qsizetype begin, qsizetype end, bool followed)
{
    if (end == begin)
        return;
    const char* const bytes = m_bytes.data() + begin;
    if (isAscii(bytes, end - begin)) {
        m_pieces.emplace_back(QLatin1StringView(bytes, end - begin));
        return;
    }
    QChar* const at = m_decoded.data() + m_decodedUsed;
    QChar* stop =
        m_decoder.appendToBuffer(at, QByteArrayView(bytes, end - begin + (followed ? 1 : 0)));
    m_decodedUsed = stop - m_decoded.constData();
    if (followed)
        --stop;
    m_pieces.emplace_back(QStringView(at, stop - at));
}

Utf8Windows::Utf8Windows(Read read, qsizetype windowBytes)
    : m_source(std::move(read)), m_windowBytes(std::max(windowBytes, 2 * SeparatorLength))
{}

bool Utf8Windows::readWindow()
{
    if (m_ended)
        return false;
    // The piece the last window left uncut comes first.
    const bool first = !m_split;
    if (m_split) {
        const qsizetype rest = m_split->rest();
        m_used -= rest;
        std::memmove(m_buffer.data(), m_buffer.constData() + rest, size_t(m_used));
    }
    if (m_buffer.size() < m_windowBytes || 2 * m_used > m_buffer.size())
        m_buffer.resize(std::max(m_windowBytes, 2 * m_buffer.size()));
    // Reads until the window is full or the text ends.
    while (m_used < m_buffer.size() && !m_ended) {
        const qsizetype n = m_source(m_buffer.data() + m_used, m_buffer.size() - m_used);
        m_ended = n == 0;
        m_used += n;
        m_read += n;
    }
    const QByteArrayView bytes(m_buffer.constData(), m_used);
    if (m_split)
        m_split->restart(bytes, Window{first, m_ended});
    else
        m_split.emplace(bytes, Window{first, m_ended});
    return true;
}

} // namespace StoredCodeList
