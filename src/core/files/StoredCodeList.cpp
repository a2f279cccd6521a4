#include "core/files/StoredCodeList.h"

#include "core/base/AsciiText.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <tuple>
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

void Utf8Join::add(ItemText item)
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

Utf8Split::Utf8Split(QByteArrayView bytes, qsizetype partBytes, bool cutAhead, Window window)
    : m_partBytes(std::max(partBytes, qsizetype(1))), m_cutAhead(cutAhead),
      m_decoder(QStringConverter::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom)
{
    restart(bytes, window);
}

void Utf8Split::release()
{
    if (m_ahead.joinable())
        m_ahead.join();
    m_aheadFailure = nullptr;
    m_bytes = {};
}

void Utf8Split::restart(QByteArrayView bytes, Window window)
{
    release();
    m_bytes = bytes;
    m_window = window;
    m_at = m_piece = 0;
    m_done = false;
    m_current = 0;
    m_parts[0].pieces.clear();
    // The one byte-order mark that QString::fromUtf8 drops.
    if (m_window.startsText && m_bytes.startsWith("\xEF\xBB\xBF"))
        m_at = m_piece = 3;
    // No UTF-8 byte gives more than one UTF-16 unit, and a piece and its
    // separator take at least a separator's bytes and one more.
    m_mostPieces = mostPiecesIn(bytes.size());
    m_mostCharacters = bytes.size();
}

qsizetype Utf8Split::mostPiecesIn(qsizetype bytes)
{
    return bytes / (SeparatorLength + 1) + 1;
}

Utf8Split::~Utf8Split()
{
    release();
}

bool Utf8Split::next()
{
    bool cut = false;
    if (m_ahead.joinable()) {
        m_ahead.join();
        if (m_aheadFailure)
            std::rethrow_exception(std::exchange(m_aheadFailure, nullptr));
        m_current ^= 1;
        cut = m_aheadCut;
    } else {
        cut = cutNext(m_parts[m_current]);
    }
    if (cut && !m_done && m_cutAhead)
        startCuttingAhead();
    return cut;
}

void Utf8Split::startCuttingAhead()
{
    try {
        m_ahead = std::thread([this] {
            try {
                m_aheadCut = cutNext(m_parts[m_current ^ 1]);
            } catch (...) {
                m_aheadFailure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the next part is cut when it is asked for.
    }
}

bool Utf8Split::cutNext(Part& part)
{
    part.pieces.clear();
    if (m_done)
        return false;
    const qsizetype end = std::min(m_at + m_partBytes, m_bytes.size());
    const bool last = end == m_bytes.size();
    // Room for every piece of the part decoded, so that none moves: no piece
    // decodes to more units than it has bytes and the one after it.
    part.decoded.resize(std::min(m_bytes.size(), end + SeparatorLength) - m_piece + 2);
    part.decodedUsed = 0;
    cut(part, m_at, end, last && m_window.endsText);
    m_done = last;
    return true;
}

void Utf8Split::cut(Part& part, qsizetype from, qsizetype to, bool last)
{
    const char* const bytes = m_bytes.data();
    const qsizetype size = m_bytes.size();
    const auto hand = [&](qsizetype begin, qsizetype end, bool followed) {
        if (end == begin)
            return;
        unsigned char all = 0;
        for (qsizetype k = begin; k < end; ++k)
            all |= static_cast<unsigned char>(bytes[k]);
        if (all < 0x80) {
            part.pieces.emplace_back(QLatin1StringView(bytes + begin, end - begin));
            return;
        }
        // Decoded with the separator's first byte after it when there is one,
        // as it stands in the whole text; the byte's '|' is left off.
        QChar* const at = part.decoded.data() + part.decodedUsed;
        QChar* stop = m_decoder.appendToBuffer(
            at, QByteArrayView(bytes + begin, end - begin + (followed ? 1 : 0)));
        part.decodedUsed = stop - part.decoded.constData();
        if (followed)
            --stop;
        part.pieces.emplace_back(QStringView(at, stop - at));
    };
    qsizetype k = from;
    while (k < to) {
        const void* bar = std::memchr(bytes + k, '|', size_t(to - k));
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
    // A separator may end past the part: the next part starts after it.
    m_at = std::max(k, to);
    if (last)
        hand(m_piece, size, false);
}

Utf8Windows::Utf8Windows(Read read, qsizetype windowBytes, qsizetype partBytes)
    : m_source(std::move(read)), m_windowBytes(std::max(windowBytes, 2 * SeparatorLength)),
      m_partBytes(partBytes), m_lead(std::min(qsizetype(64) << 10, m_windowBytes / 2))
{}

Utf8Windows::~Utf8Windows()
{
    if (m_reader.joinable())
        m_reader.join();
}

std::pair<qsizetype, bool> Utf8Windows::fill(QByteArray& to, qsizetype from)
{
    qsizetype at = from;
    while (at < to.size()) {
        const qsizetype n = m_source(to.data() + at, to.size() - at);
        if (n == 0)
            return {at - from, true};
        at += n;
    }
    return {at - from, false};
}

void Utf8Windows::startReadingAhead()
{
    m_aheadUsed = 0;
    m_aheadEnded = false;
    try {
        if (m_ahead.size() != m_lead + m_windowBytes)
            m_ahead.resize(m_lead + m_windowBytes);
        m_reader = std::thread([this] {
            try {
                std::tie(m_aheadUsed, m_aheadEnded) = fill(m_ahead, m_lead);
            } catch (...) {
                m_aheadFailure = std::current_exception();
            }
        });
    } catch (...) {
        // No memory or no thread to be had: the window is read when it is
        // asked for.
    }
}

// Waits for the bytes read ahead, or the failure of reading them.
void Utf8Windows::takeAhead()
{
    m_reader.join();
    if (m_aheadFailure)
        std::rethrow_exception(std::exchange(m_aheadFailure, nullptr));
}

void Utf8Windows::startSplit(QByteArrayView bytes, Window window)
{
    if (m_split)
        m_split->restart(bytes, window);
    else
        m_split.emplace(bytes, m_partBytes, true, window);
}

bool Utf8Windows::readWindow()
{
    if (m_ended)
        return false;
    const bool first = !m_split;
    const bool ahead = m_reader.joinable();
    if (ahead)
        takeAhead();
    // The piece the last window left uncut comes first.
    qsizetype keep = 0;
    if (m_split) {
        const qsizetype rest = m_split->rest();
        keep = m_used - rest;
        m_split->release();
        if (ahead && keep <= m_lead) {
            // Right before the bytes read ahead, which make the window.
            std::memcpy(m_ahead.data() + m_lead - keep, m_buffer.constData() + m_start + rest,
                        size_t(keep));
            std::swap(m_buffer, m_ahead);
            m_start = m_lead - keep;
            m_used = keep + m_aheadUsed;
            m_read += m_aheadUsed;
            m_ended = m_aheadEnded;
            startSplit(QByteArrayView(m_buffer.constData() + m_start, m_used),
                       Window{first, m_ended});
            if (!m_ended)
                startReadingAhead();
            return true;
        }
        std::memmove(m_buffer.data(), m_buffer.constData() + m_start + rest, size_t(keep));
    }
    m_start = 0;
    m_used = keep;
    if (m_buffer.size() < m_windowBytes || 2 * m_used > m_buffer.size())
        m_buffer.resize(std::max(m_windowBytes, 2 * m_buffer.size()));
    if (ahead) {
        // A long piece: the bytes read ahead go after it.
        if (m_used + m_aheadUsed > m_buffer.size())
            m_buffer.resize(m_used + m_aheadUsed);
        std::memcpy(m_buffer.data() + m_used, m_ahead.constData() + m_lead, size_t(m_aheadUsed));
        m_used += m_aheadUsed;
        m_read += m_aheadUsed;
        m_ended = m_aheadEnded;
    }
    if (!m_ended) {
        const auto [n, ended] = fill(m_buffer, m_used);
        m_used += n;
        m_read += n;
        m_ended = ended;
    }
    startSplit(QByteArrayView(m_buffer.constData(), m_used), Window{first, m_ended});
    if (!m_ended)
        startReadingAhead();
    return true;
}

} // namespace StoredCodeList
