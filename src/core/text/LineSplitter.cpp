// The line rule of TextFileReader.h, over characters or over bytes.
#include "core/base/Failure.h"
#include "core/text/TextFileReader.h"

#include <bit>
#include <type_traits>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace TextFileReader {

namespace {

// The first CR or LF from `p` on, or `end`.
const QChar* nextBreak(const QChar* p, const QChar* end)
{
    // Most characters are above CR: one comparison lets them pass.
    while (p != end && (p->unicode() > u'\r' || (*p != u'\r' && *p != u'\n')))
        ++p;
    return p;
}

const char* nextBreak(const char* p, const char* end)
{
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (found != 0)
            return p + std::countr_zero(unsigned(found));
    }
#endif
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

} // namespace

template <typename View> void BasicLineSplitter<View>::setLongest(qsizetype units, qsizetype named)
{
    m_longest = units > 0 ? units : std::numeric_limits<qsizetype>::max();
    m_named = named;
}

template <typename View> void BasicLineSplitter<View>::handOn()
{
    if (m_batch.empty())
        return;
    m_items(m_batch);
    m_handed += m_batch.size();
    m_batch.clear();
}

template <typename View> void BasicLineSplitter<View>::tooLong()
{
    handOn();
    throw Failure(lineTooLong(m_handed + 1, m_named));
}

template <typename View> void BasicLineSplitter<View>::add(View item)
{
    if (item.size() > m_longest)
        tooLong();
    m_batch.push_back(item);
}

template <typename View> void BasicLineSplitter<View>::feed(View text)
{
    using Char = std::remove_cv_t<std::remove_pointer_t<decltype(text.data())>>;
    const Char* p = text.data();
    const Char* const end = p + text.size();
    if (p == end)
        return;
    if (m_afterCR && *p == u'\n')
        ++p; // the LF of a CR LF
    m_afterCR = false;
    const Char* start = p;
    while ((p = nextBreak(p, end)) != end) {
        const bool cr = *p == u'\r';
        if (m_pending.isEmpty()) {
            add(View(start, p - start));
        } else {
            // Only the first item of a piece can have begun in an earlier one.
            m_pending.append(start, p - start);
            m_completed = std::exchange(m_pending, Text());
            add(View(m_completed));
        }
        ++p;
        if (cr) {
            m_openedByLF = false;
            if (p == end)
                m_afterCR = true;
            else if (*p == u'\n')
                ++p;
        } else {
            m_openedByLF = true;
        }
        start = p;
    }
    handOn();
    m_completed = Text();
    if (start != end) {
        m_pending.append(start, end - start);
        if (m_pending.size() > m_longest)
            tooLong();
    }
}

template <typename View> void BasicLineSplitter<View>::finish()
{
    if (!m_pending.isEmpty() || m_openedByLF) {
        m_completed = std::exchange(m_pending, Text());
        add(View(m_completed));
        handOn();
        m_completed = Text();
    }
    m_afterCR = false;
    m_openedByLF = false;
}

template <typename View>
template <typename Other>
void BasicLineSplitter<View>::continueFrom(BasicLineSplitter<Other>& other)
{
    if constexpr (std::is_same_v<Text, QString>)
        m_pending = QString::fromLatin1(other.m_pending);
    else
        m_pending = other.m_pending.toLatin1();
    m_afterCR = std::exchange(other.m_afterCR, false);
    m_openedByLF = std::exchange(other.m_openedByLF, false);
    m_handed = other.m_handed;
    other.m_pending = {};
}

template class BasicLineSplitter<QStringView>;
template class BasicLineSplitter<QLatin1StringView>;
template void BasicLineSplitter<QStringView>::continueFrom(BasicLineSplitter<QLatin1StringView>&);
template void BasicLineSplitter<QLatin1StringView>::continueFrom(BasicLineSplitter<QStringView>&);

} // namespace TextFileReader
