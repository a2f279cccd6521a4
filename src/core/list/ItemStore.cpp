#include "core/list/ItemStore.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::uint64_t bit(qsizetype index)
{
    return std::uint64_t(1) << (index & 63);
}

constexpr size_t wordsFor(qsizetype count)
{
    return (size_t(count) + 63) >> 6;
}

// Reserves room for `needed` elements, at least half as many again as there
// is room for now, so that growing one item at a time stays amortised O(1).
template <typename Buffer> void grow(Buffer& v, size_t needed, size_t least)
{
    if (needed <= v.capacity())
        return;
    v.reserve(std::max({needed, v.capacity() + v.capacity() / 2, least}));
}

} // namespace

void ItemStore::setChecked(qsizetype index, bool checked)
{
    std::uint64_t& word = m_checked[size_t(index) >> 6];
    if (checked)
        word |= bit(index);
    else
        word &= ~bit(index);
}

void ItemStore::setAllChecked(bool checked)
{
    setCheckedRange(0, count(), checked);
}

void ItemStore::setCheckedRange(qsizetype from, qsizetype to, bool checked)
{
    const std::uint64_t all = ~std::uint64_t(0);
    while (from < to) {
        const size_t w = size_t(from) >> 6;
        // The bits of this word from `from` up to `to` or the word's end.
        std::uint64_t mask = all << (from & 63);
        const qsizetype wordEnd = qsizetype(w + 1) << 6;
        if (to < wordEnd)
            mask &= ~(all << (to & 63));
        if (checked)
            m_checked[w] |= mask;
        else
            m_checked[w] &= ~mask;
        from = wordEnd;
    }
}

std::vector<ItemStore::SubItems>::const_iterator ItemStore::findSubItems(qsizetype index) const
{
    const auto it = std::lower_bound(m_subItems.begin(), m_subItems.end(), index,
                                     [](const SubItems& s, qsizetype i) { return s.index < i; });
    return it != m_subItems.end() && it->index == index ? it : m_subItems.end();
}

QString ItemStore::subItem(qsizetype index, qsizetype column) const
{
    if (m_subItems.empty())
        return {};
    const auto it = findSubItems(index);
    return it == m_subItems.end() ? QString() : it->texts.value(column);
}

QStringList ItemStore::subItems(qsizetype index) const
{
    if (m_subItems.empty())
        return {};
    const auto it = findSubItems(index);
    return it == m_subItems.end() ? QStringList() : it->texts;
}

void ItemStore::makeRoom(qsizetype items, qsizetype characters)
{
    const qsizetype n = count();
    grow(m_chars, m_chars.size() + size_t(characters), 256);
    grow(m_ends, size_t(n + items), 32);
    grow(m_checked, wordsFor(n + items), 1);
}

void ItemStore::reserve(qsizetype items, qsizetype characters)
{
    m_chars.reserve(m_chars.size() + size_t(characters));
    m_ends.reserve(size_t(count() + items));
    m_checked.reserve(wordsFor(count() + items));
}

void ItemStore::append(QStringView text)
{
    const auto* source = reinterpret_cast<const char16_t*>(text.utf16());
    const size_t length = size_t(text.size());
    const size_t was = m_chars.size();
    // A text that is part of the store itself moves when the buffer grows.
    const std::less<const char16_t*> before;
    const bool own =
        length > 0 && !before(source, m_chars.data()) && before(source, m_chars.data() + was);
    const size_t offset = own ? size_t(source - m_chars.data()) : 0;

    makeRoom(1, text.size());
    // Nothing below allocates or throws.
    if (own)
        source = m_chars.data() + offset;
    m_chars.append(source, length);
    const qsizetype index = count();
    m_ends.push_back(m_chars.size());
    if ((index & 63) == 0)
        m_checked.push_back(1);
    else
        m_checked.back() |= bit(index);
}

void ItemStore::append(QStringView text, const QStringList& subItems)
{
    if (subItems.isEmpty()) {
        append(text);
        return;
    }
    grow(m_subItems, m_subItems.size() + 1, 4);
    append(text);
    m_subItems.push_back({count() - 1, subItems});
}

void ItemStore::remove(qsizetype index)
{
    const qsizetype n = count();
    const size_t b = size_t(begin(index));
    const size_t e = size_t(m_ends[size_t(index)]);
    const std::uint64_t length = e - b;

    m_chars.erase(b, e);
    for (size_t k = size_t(index); k + 1 < size_t(n); ++k)
        m_ends[k] = m_ends[k + 1] - length;
    m_ends.pop_back();

    // The checked states above the removed one move down a bit, each word
    // taking the lowest bit of the next as its highest.
    const size_t words = m_checked.size();
    const size_t w = size_t(index) >> 6;
    const std::uint64_t below = bit(index) - 1;
    std::uint64_t word = m_checked[w];
    word = (word & below) | ((word >> 1) & ~below);
    for (size_t k = w; k < words; ++k) {
        if (k > w)
            word = m_checked[k] >> 1;
        if (k + 1 < words)
            word |= (m_checked[k + 1] & 1) << 63;
        m_checked[k] = word;
    }
    if (((n - 1) & 63) == 0)
        m_checked.pop_back();

    if (!m_subItems.empty()) {
        auto it = std::lower_bound(m_subItems.begin(), m_subItems.end(), index,
                                   [](const SubItems& s, qsizetype i) { return s.index < i; });
        if (it != m_subItems.end() && it->index == index)
            it = m_subItems.erase(it);
        for (; it != m_subItems.end(); ++it)
            --it->index;
    }
}

void ItemStore::clear()
{
    m_chars.release();
    m_ends.release();
    m_checked.release();
    std::vector<SubItems>().swap(m_subItems);
}

qsizetype ItemStore::bytesUsed() const
{
    size_t bytes =
        m_chars.capacity() * sizeof(char16_t) + m_ends.capacity() * sizeof(std::uint64_t) +
        m_checked.capacity() * sizeof(std::uint64_t) + m_subItems.capacity() * sizeof(SubItems);
    for (const SubItems& s : m_subItems) {
        bytes += size_t(s.texts.capacity()) * sizeof(QString);
        for (const QString& t : s.texts)
            bytes += size_t(t.capacity()) * sizeof(QChar);
    }
    return qsizetype(bytes);
}
