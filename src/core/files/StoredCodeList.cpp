#include "core/files/StoredCodeList.h"

#include <algorithm>
#include <string_view>

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

void Utf8Join::add(QStringView item)
{
    static constexpr char SeparatorBytes[] = "||MySeparator23||";
    static_assert(sizeof SeparatorBytes - 1 == Separator.size());
    const qsizetype separator = m_first ? 0 : qsizetype(sizeof SeparatorBytes - 1);
    m_first = false;
    const qsizetype most = separator + 3 * item.size();
    if (m_used + most > m_buffer.size()) {
        flush();
        if (most > m_buffer.size()) {
            // An item larger than the buffer goes on by itself.
            m_write(QByteArrayView(SeparatorBytes, separator));
            m_write(item.toUtf8());
            return;
        }
    }
    char* out = m_buffer.data() + m_used;
    out = std::copy_n(SeparatorBytes, separator, out);
    out = encodeUtf8(out, item);
    m_used = out - m_buffer.constData();
}

void Utf8Join::finish()
{
    flush();
}

Utf8Split::Utf8Split(QByteArrayView bytes, qsizetype partBytes)
    : m_bytes(bytes), m_partBytes(std::max(partBytes, qsizetype(1))),
      m_decoder(QStringConverter::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
{
    // The one byte-order mark that QString::fromUtf8 drops.
    if (m_bytes.startsWith("\xEF\xBB\xBF"))
        m_at = 3;
    // Every separator in the text is one in the bytes, and no UTF-8 byte
    // gives more than one UTF-16 unit: bounds for reserving room at once.
    const std::string_view all(bytes.data(), size_t(bytes.size()));
    const std::string_view separator("||MySeparator23||");
    qsizetype separators = 0;
    for (size_t at = all.find(separator); at != std::string_view::npos;
         at = all.find(separator, at + separator.size()))
        ++separators;
    m_mostPieces = separators + 1;
    m_mostCharacters = bytes.size() - separators * Separator.size();
}

bool Utf8Split::next()
{
    m_pieces.clear();
    if (m_done)
        return false;
    // The pieces handed on last time go; what followed them stays.
    if (m_handedOn > 0) {
        m_text.remove(0, m_handedOn);
        m_handedOn = 0;
        m_searched = std::max(qsizetype(0), m_text.size() - (Separator.size() - 1));
    }

    // The next part ends just after an ASCII byte, where a decoder stands
    // between two characters: each part is decoded on its own, and a
    // malformed character is never cut in two, so the text is that of the
    // whole.
    qsizetype end = std::min(m_at + m_partBytes, m_bytes.size());
    if (end < m_bytes.size()) {
        qsizetype cut = end;
        while (cut > m_at && static_cast<unsigned char>(m_bytes[cut - 1]) >= 0x80)
            --cut;
        if (cut > m_at) {
            end = cut;
        } else {
            while (end < m_bytes.size() && static_cast<unsigned char>(m_bytes[end - 1]) >= 0x80)
                ++end;
        }
    }
    const QByteArrayView part = m_bytes.sliced(m_at, end - m_at);
    m_at = end;
    const bool last = m_at == m_bytes.size();

    const qsizetype kept = m_text.size();
    m_text.resize(kept + m_decoder.requiredSpace(part.size()));
    QChar* const stop = m_decoder.appendToBuffer(m_text.data() + kept, part);
    m_text.resize(stop - m_text.constData());

    const QStringView text(m_text);
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(Separator, m_searched); at >= 0;
         at = text.indexOf(Separator, from)) {
        if (at > from)
            m_pieces.push_back(text.sliced(from, at - from));
        from = at + Separator.size();
    }
    if (last) {
        if (text.size() > from)
            m_pieces.push_back(text.sliced(from));
        m_done = true;
        return true;
    }
    // What follows the last separator waits for the next part. The pieces
    // point into the text, which only moves at the next call.
    m_handedOn = from;
    if (from == 0)
        m_searched = std::max(qsizetype(0), m_text.size() - (Separator.size() - 1));
    return true;
}

} // namespace StoredCodeList
