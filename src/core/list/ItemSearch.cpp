#include "core/list/ItemSearch.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

// Items read between two calls of goOn: a few milliseconds at most even where
// each item is compared as text in any letter case.
constexpr qsizetype Slice = 4096;

template <typename Char> bool isSeparator(Char c)
{
    return c == Char('-') || c == Char(' ');
}

// Whether `text`, its hyphens and blanks left out into `kept`, holds `digits`.
template <typename Char>
bool holdsDigits(const Char* text, qsizetype size, Char* kept, const QByteArray& digits)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < size; ++i) {
        kept[n] = text[i];
        n += isSeparator(text[i]) ? 0 : 1;
    }
    const char* d = digits.constData();
    const qsizetype m = digits.size();
    for (qsizetype at = 0; at + m <= n; ++at) {
        if (kept[at] != Char(d[0]))
            continue;
        qsizetype k = 1;
        while (k < m && kept[at + k] == Char(d[k]))
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

// A code of 8 to 16 Latin-1 characters without hyphens or blanks, the
// commonest item, is searched for 8 digits or more 8 bytes at a time.
constexpr quint64 Ones = 0x0101010101010101;

quint64 load8(const char* bytes)
{
    quint64 word;
    std::memcpy(&word, bytes, 8);
    return word;
}

// Whether a byte of `word` is a hyphen or a blank.
bool hasSeparator(quint64 word)
{
    const quint64 hyphens = word ^ (Ones * '-');
    const quint64 blanks = word ^ (Ones * ' ');
    return (((hyphens - Ones) & ~hyphens) | ((blanks - Ones) & ~blanks)) & (Ones << 7);
}

bool isPlainCode(QLatin1StringView text)
{
    const qsizetype n = text.size();
    return n >= 8 && n <= 16 && !hasSeparator(load8(text.data())) &&
           !hasSeparator(load8(text.data() + n - 8));
}

bool holdsDigitsPlain(QLatin1StringView text, const QByteArray& digits)
{
    const char* d = digits.constData();
    const quint64 head = load8(d);
    const size_t rest = size_t(digits.size() - 8);
    for (qsizetype at = 0; at + digits.size() <= text.size(); ++at)
        if (load8(text.data() + at) == head && std::memcmp(text.data() + at + 8, d + 8, rest) == 0)
            return true;
    return false;
}

template <typename View> bool holdsDigits(View text, const QByteArray& digits)
{
    using Char = std::remove_cv_t<std::remove_pointer_t<decltype(text.data())>>;
    if (text.size() < digits.size())
        return false;
    QVarLengthArray<Char, 64> kept(text.size());
    return holdsDigits(text.data(), text.size(), kept.data(), digits);
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

template <typename View> bool ItemSearch::holds(View text) const
{
    if (m_digits.isEmpty())
        return text.contains(m_text, Qt::CaseInsensitive);
    if constexpr (std::is_same_v<View, QLatin1StringView>)
        if (m_digits.size() >= 8 && isPlainCode(text))
            return holdsDigitsPlain(text, m_digits);
    return holdsDigits(text, m_digits);
}

bool ItemSearch::matches(HeldText text) const
{
    return text.visit([this](auto view) { return holds(view); });
}

qsizetype ItemSearch::findFrom(const ItemStore& items, qsizetype from, bool backward,
                               const std::function<bool()>& goOn) const
{
    const qsizetype n = items.count();
    qsizetype i = std::clamp<qsizetype>(from, 0, std::max<qsizetype>(n - 1, 0));
    for (qsizetype k = 1; k <= n && !isEmpty(); ++k) {
        // The list may have lost items at the last goOn.
        if (i < items.count() && matchesAt(items, i))
            return i;
        i = backward ? (i == 0 ? n : i) - 1 : (i + 1 == n ? 0 : i + 1);
        if (k % Slice == 0 && !goOn())
            return -1;
    }
    return -1;
}

std::optional<ItemSearch::Tally> ItemSearch::count(const ItemStore& items, qsizetype item,
                                                   const std::function<bool()>& goOn) const
{
    Tally tally;
    for (qsizetype i = 0; i < items.count(); ++i) {
        tally.before = i == item ? tally.total : tally.before;
        tally.total += matchesAt(items, i) ? 1 : 0;
        if ((i + 1) % Slice == 0 && !goOn())
            return std::nullopt;
    }
    return tally;
}
