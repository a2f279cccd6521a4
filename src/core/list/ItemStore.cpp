#include "core/list/ItemStore.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr std::uint64_t bit(qsizetype index)
{
    return std::uint64_t(1) << (index & 63);
}

constexpr size_t MostShortEnd = std::numeric_limits<std::uint32_t>::max();

// Reserves room for `needed` elements, at least half as many again as there
// is room for now, so that growing one item at a time stays amortised O(1).
template <typename Buffer> void grow(Buffer& v, size_t needed, size_t least)
{
    if (needed <= v.capacity())
        return;
    v.reserve(std::max({needed, v.capacity() + v.capacity() / 2, least}));
}

// Appends bit `index` (the next one) to a bit buffer with room for its word.
void pushBit(PlainBuffer<std::uint64_t>& bits, qsizetype index, bool on)
{
    if ((index & 63) == 0)
        bits.push_back(on ? 1 : 0);
    else if (on)
        bits.back() |= bit(index);
}

// Removes bit `index` of `count`: the bits above move down by one, each word
// taking the lowest bit of the next as its highest.
void removeBit(PlainBuffer<std::uint64_t>& bits, qsizetype index, qsizetype count)
{
    const size_t words = bits.size();
    const size_t w = size_t(index) >> 6;
    const std::uint64_t below = bit(index) - 1;
    std::uint64_t word = bits[w];
    word = (word & below) | ((word >> 1) & ~below);
    for (size_t k = w; k < words; ++k) {
        if (k > w)
            word = bits[k] >> 1;
        if (k + 1 < words)
            word |= (bits[k + 1] & 1) << 63;
        bits[k] = word;
    }
    if (((count - 1) & 63) == 0)
        bits.pop_back();
}

// The first sub-items of item `index` or a later one.
template <typename SubItems> auto subItemsFrom(SubItems& all, qsizetype index)
{
    return std::lower_bound(all.begin(), all.end(), index,
                            [](const auto& s, qsizetype i) { return s.index < i; });
}

// Copies UTF-16 units to bytes, keeping the low byte of each; true when no
// unit has a high byte (the text is Latin-1).
bool narrow(char* out, const char16_t* in, size_t n)
{
    char16_t all = 0;
    for (size_t i = 0; i < n; ++i) {
        all |= in[i];
        out[i] = char(in[i]);
    }
    return all < 0x100;
}

} // namespace

void ItemStore::setChecked(qsizetype index, bool checked)
{
    std::uint64_t& word = m_checked[size_t(index) >> 6];
    const std::uint64_t mask = std::uint64_t(1) << (index & 63);
    word = checked ? word | mask : word & ~mask;
}

void ItemStore::setAllChecked(bool checked)
{
    for (size_t w = 0; w < m_checked.size(); ++w)
        m_checked[w] = checked ? ~std::uint64_t(0) : 0;
    // The bits past count() stay 0.
    if (checked && (count() & 63) != 0)
        m_checked.back() = ~(~std::uint64_t(0) << (count() & 63));
}

qsizetype ItemStore::checkedCount() const
{
    qsizetype n = 0;
    for (size_t w = 0; w < m_checked.size(); ++w)
        n += std::popcount(m_checked[w]);
    return n;
}

QString ItemStore::subItem(qsizetype index, qsizetype column) const
{
    const auto it = subItemsFrom(m_subItems, index);
    return it != m_subItems.end() && it->index == index ? it->texts.value(column) : QString();
}

void ItemStore::lengthenEnds()
{
    m_ends64.reserve(std::max(m_ends32.capacity(), size_t(32)));
    for (size_t i = 0; i < m_ends32.size(); ++i)
        m_ends64.push_back(m_ends32[i]);
    m_ends32.release();
    m_longEnds = true;
}

void ItemStore::makeRoom(qsizetype items, size_t bytes)
{
    const qsizetype n = count();
    const size_t needed = m_bytes.size() + bytes;
    if (!m_longEnds && needed > MostShortEnd)
        lengthenEnds();
    grow(m_bytes, needed, 256);
    if (m_longEnds)
        grow(m_ends64, size_t(n + items), 32);
    else
        grow(m_ends32, size_t(n + items), 32);
    grow(m_checked, wordsFor(n + items), 1);
    grow(m_wide, wordsFor(n + items), 1);
}

void ItemStore::reserve(qsizetype items, qsizetype characters)
{
    const size_t needed = m_bytes.size() + size_t(characters);
    if (!m_longEnds && needed > MostShortEnd)
        lengthenEnds();
    m_bytes.reserve(needed);
    if (m_longEnds)
        m_ends64.reserve(size_t(count() + items));
    else
        m_ends32.reserve(size_t(count() + items));
    m_checked.reserve(wordsFor(count() + items));
    m_wide.reserve(wordsFor(count() + items));
}

inline void ItemStore::pushItem(size_t end, bool wide)
{
    const qsizetype index = count();
    m_bytes.setSize(end);
    if (m_longEnds)
        m_ends64.push_back(end);
    else
        m_ends32.push_back(std::uint32_t(end));
    pushBit(m_checked, index, true);
    pushBit(m_wide, index, wide);
    m_wideItems += wide ? 1 : 0;
}

inline size_t ItemStore::bytesFor(HeldText text)
{
    const size_t n = size_t(text.size());
    return text.isLatin1() || QtPrivate::isLatin1(text.utf16()) ? n : 2 * n + 1;
}

inline void ItemStore::put(HeldText text)
{
    const size_t n = size_t(text.size());
    size_t at = m_bytes.size();
    if (text.isLatin1()) {
        if (n > 0)
            std::memcpy(m_bytes.data() + at, text.latin1().data(), n);
        pushItem(at + n, false);
    } else if (narrow(m_bytes.data() + at, text.utf16().utf16(), n)) {
        pushItem(at + n, false);
    } else {
        at += at & 1;
        std::memcpy(m_bytes.data() + at, text.utf16().utf16(), 2 * n);
        pushItem(at + 2 * n, true);
    }
}

template <typename Range> void ItemStore::appendRange(const Range& texts)
{
    qsizetype items = 0;
    size_t bytes = 0;
    for (const auto& text : texts) {
        ++items;
        bytes += bytesFor(HeldText(text));
    }
    makeRoom(items, bytes);
    // Nothing below allocates or throws.
    for (const auto& text : texts)
        put(HeldText(text));
}

void ItemStore::appendMany(const std::vector<HeldText>& texts)
{
    appendRange(texts);
}

void ItemStore::appendMany(const std::vector<QLatin1StringView>& texts)
{
    appendRange(texts);
}

void ItemStore::appendMany(const std::vector<QStringView>& texts)
{
    appendRange(texts);
}

void ItemStore::appendMany(const QStringList& texts)
{
    appendRange(texts);
}

void ItemStore::append(HeldText text)
{
    // A text that is part of the store itself moves when the buffer grows.
    const char* source =
        text.visit([](auto view) { return reinterpret_cast<const char*>(view.data()); });
    const size_t was = m_bytes.size();
    const std::less<const char*> before;
    const bool own =
        !text.isEmpty() && !before(source, m_bytes.data()) && before(source, m_bytes.data() + was);
    const size_t offset = own ? size_t(source - m_bytes.data()) : 0;

    makeRoom(1, text.isLatin1() ? size_t(text.size()) : 2 * size_t(text.size()) + 1);
    // Nothing below allocates or throws.
    if (own)
        source = m_bytes.data() + offset;
    if (text.isLatin1())
        put(QLatin1StringView(source, text.size()));
    else
        put(QStringView(reinterpret_cast<const char16_t*>(source), text.size()));
}

void ItemStore::append(QStringView text, const QStringList& subItems)
{
    if (!subItems.isEmpty())
        grow(m_subItems, m_subItems.size() + 1, 4);
    append(text);
    if (!subItems.isEmpty())
        m_subItems.push_back({count() - 1, subItems});
}

void ItemStore::setEnd(qsizetype index, size_t end)
{
    if (m_longEnds)
        m_ends64[size_t(index)] = end;
    else
        m_ends32[size_t(index)] = std::uint32_t(end);
}

void ItemStore::closeGap(qsizetype index, size_t begin, size_t end)
{
    const qsizetype n = count();
    const size_t gap = end - begin;
    // A UTF-16 text stays at an even offset: moved by an odd number of bytes
    // with one after it, each later text moves on its own.
    bool wideAfter = false;
    if (gap % 2 == 1 && m_wideItems > wide(index))
        for (qsizetype k = index + 1; k < n && !wideAfter; ++k)
            wideAfter = wide(k);
    if (!wideAfter) {
        m_bytes.erase(begin, end);
        for (qsizetype k = index; k + 1 < n; ++k)
            setEnd(k, this->end(k + 1) - gap);
        return;
    }
    size_t to = begin;
    size_t from = end;
    for (qsizetype k = index + 1; k < n; ++k) {
        const size_t e = this->end(k);
        if (wide(k)) {
            from += from & 1;
            to += to & 1;
        }
        std::memmove(m_bytes.data() + to, m_bytes.data() + from, e - from);
        to += e - from;
        from = e;
        setEnd(k - 1, to);
    }
    m_bytes.setSize(to);
}

void ItemStore::remove(qsizetype index)
{
    const qsizetype n = count();
    const bool wasWide = wide(index);
    closeGap(index, index == 0 ? 0 : end(index - 1), end(index));
    if (m_longEnds)
        m_ends64.pop_back();
    else
        m_ends32.pop_back();
    removeBit(m_checked, index, n);
    removeBit(m_wide, index, n);
    m_wideItems -= wasWide ? 1 : 0;
    auto it = subItemsFrom(m_subItems, index);
    if (it != m_subItems.end() && it->index == index)
        it = m_subItems.erase(it);
    for (; it != m_subItems.end(); ++it)
        --it->index;
}

void ItemStore::keepOnly(const std::vector<bool>& keep)
{
    const qsizetype n = count();
    size_t to = 0;       // where the next kept text goes
    size_t oldBegin = 0; // where item k's text began
    qsizetype kept = 0;
    std::vector<SubItems> subItems;
    auto sub = m_subItems.begin();
    for (qsizetype k = 0; k < n; ++k) {
        const size_t oldEnd = end(k);
        const bool isWide = wide(k);
        const size_t from = isWide ? oldBegin + (oldBegin & 1) : oldBegin;
        oldBegin = oldEnd;
        while (sub != m_subItems.end() && sub->index < k)
            ++sub;
        if (!keep[size_t(k)])
            continue;
        to += isWide ? (to & 1) : 0;
        std::memmove(m_bytes.data() + to, m_bytes.data() + from, oldEnd - from);
        to += oldEnd - from;
        setEnd(kept, to);
        const std::uint64_t mask = ::bit(kept);
        const size_t w = size_t(kept) >> 6;
        m_checked[w] = checked(k) ? m_checked[w] | mask : m_checked[w] & ~mask;
        m_wide[w] = isWide ? m_wide[w] | mask : m_wide[w] & ~mask;
        if (sub != m_subItems.end() && sub->index == k)
            subItems.push_back({kept, std::move(sub->texts)});
        ++kept;
    }
    m_bytes.setSize(to);
    m_longEnds ? m_ends64.setSize(size_t(kept)) : m_ends32.setSize(size_t(kept));
    for (PlainBuffer<std::uint64_t>* bits : {&m_checked, &m_wide}) {
        bits->setSize(wordsFor(kept));
        if ((kept & 63) != 0)
            bits->back() &= ::bit(kept) - 1; // the bits past count() are 0
    }
    m_wideItems = 0;
    for (size_t w = 0; w < m_wide.size(); ++w)
        m_wideItems += std::popcount(m_wide[w]);
    m_subItems = std::move(subItems);
}

void ItemStore::clear()
{
    m_bytes.release();
    m_ends32.release();
    m_ends64.release();
    m_longEnds = false;
    m_checked.release();
    m_wide.release();
    m_wideItems = 0;
    std::vector<SubItems>().swap(m_subItems);
}
