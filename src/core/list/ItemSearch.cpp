#include "core/list/ItemSearch.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <type_traits>
#include <utility>

namespace {

// Items read between two calls of goOn: a few milliseconds at most even where
// each item is compared as text in any letter case.
constexpr qsizetype Slice = 4096;

template <typename Char> bool isSeparator(Char c)
{
    return c == Char('-') || c == Char(' ');
}

// Whether the characters of `text`, its hyphens and blanks left out, hold `digits`.
template <typename View> bool holdsDigits(View text, const QByteArray& digits)
{
    using Char = std::remove_cv_t<std::remove_pointer_t<decltype(text.data())>>;
    QVarLengthArray<Char, 64> kept(text.size());
    qsizetype n = 0;
    for (const Char c : text) {
        kept[n] = c;
        n += isSeparator(c) ? 0 : 1;
    }
    const qsizetype m = digits.size();
    for (qsizetype at = 0; at + m <= n; ++at) {
        qsizetype k = 0;
        while (k < m && kept[at + k] == Char(digits[k]))
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

} // namespace

ItemSearch::ItemSearch(QStringView typed)
{
    for (const QChar c : typed)
        if (!isSeparator(c.unicode()))
            m_digits.append(char(c.unicode()));
    const bool digits = !m_digits.isEmpty() &&
                        std::ranges::all_of(m_digits, [](char c) { return c >= '0' && c <= '9'; });
    if (!digits)
        m_digits.clear();
    m_text = digits ? QString::fromLatin1(m_digits) : typed.toString();
}

bool ItemSearch::matches(HeldText text) const
{
    if (m_digits.isEmpty())
        return text.visit([this](auto view) { return view.contains(m_text, Qt::CaseInsensitive); });
    return text.visit([this](auto view) { return holdsDigits(view, m_digits); });
}

qsizetype ItemSearch::findIn(const ItemStore& items, qsizetype first, qsizetype last,
                             bool backward) const
{
    for (qsizetype k = 0; k < last - first; ++k) {
        const qsizetype i = backward ? last - 1 - k : first + k;
        if (matches(items.text(i)))
            return i;
    }
    return -1;
}

qsizetype ItemSearch::countIn(const ItemStore& items, qsizetype first, qsizetype last) const
{
    qsizetype n = 0;
    for (qsizetype i = first; i < last; ++i)
        n += matches(items.text(i)) ? 1 : 0;
    return n;
}

qsizetype ItemSearch::findFrom(const ItemStore& items, qsizetype from, bool backward,
                               const std::function<bool()>& goOn) const
{
    const qsizetype n = items.count();
    if (n == 0 || isEmpty())
        return -1;
    from = std::clamp<qsizetype>(from, 0, n - 1);
    using Parts = std::array<std::pair<qsizetype, qsizetype>, 2>;
    const Parts parts =
        backward ? Parts{{{0, from + 1}, {from + 1, n}}} : Parts{{{from, n}, {0, from}}};
    for (auto [a, b] : parts) {
        while (a < b) {
            const qsizetype lo = backward ? std::max(a, b - Slice) : a;
            const qsizetype hi = backward ? b : std::min(b, a + Slice);
            // The items may have changed at the last goOn.
            const qsizetype found = findIn(items, lo, std::min(hi, items.count()), backward);
            if (found >= 0)
                return found;
            (backward ? b : a) = backward ? lo : hi;
            if (!goOn())
                return -1;
        }
    }
    return -1;
}

std::optional<ItemSearch::Tally> ItemSearch::count(const ItemStore& items, qsizetype item,
                                                   const std::function<bool()>& goOn) const
{
    Tally tally;
    for (qsizetype a = 0; a < items.count(); a += Slice) {
        const qsizetype b = std::min(items.count(), a + Slice);
        if (item >= a && item < b)
            tally.before = tally.total + countIn(items, a, item);
        tally.total += countIn(items, a, b);
        if (!goOn())
            return std::nullopt;
    }
    return tally;
}
