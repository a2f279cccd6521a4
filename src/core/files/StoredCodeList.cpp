#include "core/files/StoredCodeList.h"

#include "core/base/AsciiText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace StoredCodeList {

namespace {

constexpr char SeparatorBytes[] = "||MySeparator23||";
constexpr qsizetype SeparatorLength = qsizetype(sizeof SeparatorBytes - 1);
static_assert(SeparatorLength == Separator.size());

} // namespace

// Each item is encoded on its own: the ASCII separator between two items never
// lets a surrogate pair span them, so the bytes are those of the whole text.
Utf8Join::Utf8Join(const ByteSink& write, qsizetype bufferBytes)
    : m_write(write), m_buffer(std::max(bufferBytes, qsizetype(64)), Qt::Uninitialized)
{}

void Utf8Join::finish()
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
        finish();
        if (most > m_buffer.size()) {
            // An item larger than the buffer goes on by itself.
            m_write(QByteArrayView(SeparatorBytes, separator));
            m_write(item.isLatin1() ? QString(item.latin1()).toUtf8() : item.utf16().toUtf8());
            return;
        }
    }
    char* out = std::copy_n(SeparatorBytes, separator, m_buffer.data() + m_used);
    if (item.isLatin1()) {
        out = latin1ToUtf8(out, item.latin1());
    } else {
        // QString's own encoding: a surrogate without its partner becomes "?".
        const QByteArray bytes = item.utf16().toUtf8();
        out = std::copy_n(bytes.constData(), bytes.size(), out);
    }
    m_used = out - m_buffer.constData();
}

Utf8Split::Utf8Split(QByteArrayView bytes)
    : m_decoder(QStringConverter::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
{
    restart(bytes, true, true);
}

void Utf8Split::restart(QByteArrayView bytes, bool startsText, bool endsText)
{
    m_bytes = bytes;
    m_endsText = endsText;
    m_piece = 0;
    m_done = false;
    m_pieces.clear();
    // The one byte-order mark that QString::fromUtf8 drops.
    if (startsText && m_bytes.startsWith("\xEF\xBB\xBF"))
        m_piece = 3;
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
    if (m_endsText)
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
    const bool first = m_read == 0;
    const qsizetype rest = m_split.rest();
    m_used -= rest;
    if (m_buffer.size() < m_windowBytes || 2 * m_used > m_buffer.size())
        m_buffer.resize(std::max(m_windowBytes, 2 * m_buffer.size()));
    std::memmove(m_buffer.data(), m_buffer.constData() + rest, size_t(m_used));
    while (m_used < m_buffer.size() && !m_ended) {
        const qsizetype n = m_source(m_buffer.data() + m_used, m_buffer.size() - m_used);
        m_ended = n == 0;
        m_used += n;
        m_read += n;
    }
    m_split.restart(QByteArrayView(m_buffer.constData(), m_used), first, m_ended);
    return true;
}

} // namespace StoredCodeList
