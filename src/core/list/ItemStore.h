#pragma once

#include "core/base/PlainBuffer.h"
#include "core/list/ItemText.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <type_traits>
#include <vector>

// The items of a list, held compactly: every item's text in one byte buffer,
// one end offset per item, and the checked states as bits. A text that is all
// Latin-1 (ASCII included) takes one byte a character; only a text that needs
// it is kept in UTF-16 (two bytes a unit, at an even offset), and a bit tells
// which. The end offsets take 32 bits each until the buffer outgrows that,
// then 64. The texts of later columns are rare and kept aside, so that an item
// without them costs nothing for them. Ten million 12-character codes take
// about 17 bytes an item.
//
// A text reads back as an ItemText: Latin-1 or UTF-16, as it is held.
//
// Items are numbered from 0 here (`index`); the list adds its own numbering
// from 1 and its "Index out of bounds" on top. Every index given must be in
// [0, count()).
//
// A text may hold anything: nothing at all, NUL characters, unpaired
// surrogates, millions of characters.
class ItemStore
{
public:
    class TextIterator;
    struct Texts;

    ItemStore() = default;
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    qsizetype count() const { return qsizetype(m_longEnds ? m_ends64.size() : m_ends32.size()); }
    bool isEmpty() const { return count() == 0; }

    // The text of an item; valid until the store next changes.
    ItemText text(qsizetype index) const
    {
        return textAt(index == 0 ? 0 : end(index - 1), end(index), wide(index));
    }
    // Whether the item's text is held in UTF-16 (it has a character past
    // U+00FF).
    bool wide(qsizetype index) const
    {
        return m_wideItems > 0 && ((m_wide[size_t(index) >> 6] >> (index & 63)) & 1u);
    }

    bool checked(qsizetype index) const
    {
        return (m_checked[size_t(index) >> 6] >> (index & 63)) & 1u;
    }
    void setChecked(qsizetype index, bool checked);
    void setAllChecked(bool checked);

    // The texts of the item's later columns: `column` 0 is the list's second
    // column. "" when the item has no text there.
    QString subItem(qsizetype index, qsizetype column) const;
    QStringList subItems(qsizetype index) const;
    bool hasSubItems() const { return !m_subItems.empty(); }

    // Appends an item, checked. Amortised constant time, no allocation of its
    // own. The text may be the store's own.
    void append(QStringView text);
    void append(QLatin1StringView text);
    void append(ItemText text);
    void append(const QString& text) { append(QStringView(text)); }
    void append(QStringView text, const QStringList& subItems);

    // Appends every text of a range (anything whose elements convert to
    // ItemText: QStringList, std::vector<QStringView>,
    // std::vector<ItemText>, ...), all checked, growing the buffers once: when it throws, nothing
    // was appended. The texts must not be the store's own.
    template <typename Range> void appendMany(const Range& texts);

    // Makes room for `items` more items holding `characters` more characters
    // in all (exactly that much, a byte each), so that appending them
    // allocates nothing when they are Latin-1.
    void reserve(qsizetype items, qsizetype characters);

    // Removes an item; the later ones move up by one.
    void remove(qsizetype index);

    // Removes every item and gives the memory back.
    void clear();

    // Bytes held by the store, reserved room included.
    qsizetype bytesUsed() const;

    // Every text in order, for a range-for without per-item cost:
    //     for (ItemText text : store.texts()) ...
    Texts texts() const;

private:
    struct SubItems
    {
        qsizetype index;
        QStringList texts;
    };

    size_t end(qsizetype index) const
    {
        return m_longEnds ? size_t(m_ends64[size_t(index)]) : size_t(m_ends32[size_t(index)]);
    }
    ItemText textAt(size_t begin, size_t end, bool wide) const
    {
        const char* bytes = m_bytes.data();
        if (!wide)
            return QLatin1StringView(bytes + begin, qsizetype(end - begin));
        begin += begin & 1;
        return QStringView(reinterpret_cast<const char16_t*>(bytes + begin),
                           qsizetype(end - begin) / 2);
    }
    // Room for `items` more items and `bytes` more bytes, growing
    // geometrically so that many small batches stay linear in all.
    void makeRoom(qsizetype items, size_t bytes);
    // The 64-bit end offsets, from now on.
    void lengthenEnds();
    // Appends an item whose text is in m_bytes from m_bytes.size() up to
    // `end`; its room is there.
    void pushItem(size_t end, bool wide);
    // The text, held as it comes; the room for it is there (for UTF-16,
    // twice its length and one byte).
    void put(QLatin1StringView text);
    void put(QStringView text);
    // Sets bits [from, to) of the checked states, which must already have
    // their words.
    void setCheckedRange(qsizetype from, qsizetype to, bool checked);
    // Moves the later bytes of the buffer up over a removed item's.
    void closeGap(qsizetype index, size_t begin, size_t end);
    std::vector<SubItems>::const_iterator findSubItems(qsizetype index) const;
    template <typename Range, typename End>
    void putMany(const Range& texts, PlainBuffer<End>& ends);
    static void copyBytes(char* to, const char* from, size_t n);
    static bool narrow(char* out, const char16_t* in, size_t n);
    static constexpr size_t wordsFor(qsizetype count) { return (size_t(count) + 63) >> 6; }

    PlainBuffer<char> m_bytes;
    PlainBuffer<std::uint32_t> m_ends32; // end of item i's text in m_bytes
    PlainBuffer<std::uint64_t> m_ends64; // the same, once it outgrows 32 bits
    bool m_longEnds = false;
    PlainBuffer<std::uint64_t> m_checked; // bit i; bits past count() are 0
    PlainBuffer<std::uint64_t> m_wide;    // bit i: item i is UTF-16
    qsizetype m_wideItems = 0;
    std::vector<SubItems> m_subItems; // by ascending index, none empty
};

class ItemStore::TextIterator
{
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ItemText;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = ItemText;

    TextIterator() = default;
    TextIterator(const ItemStore* store, qsizetype index) : m_store(store), m_index(index) {}

    ItemText operator*() const
    {
        return m_store->textAt(m_begin, m_store->end(m_index), m_store->wide(m_index));
    }
    TextIterator& operator++()
    {
        m_begin = m_store->end(m_index++);
        return *this;
    }
    TextIterator operator++(int)
    {
        TextIterator was = *this;
        ++*this;
        return was;
    }
    bool operator==(const TextIterator& other) const { return m_index == other.m_index; }

private:
    const ItemStore* m_store = nullptr;
    qsizetype m_index = 0;
    size_t m_begin = 0;
};

struct ItemStore::Texts
{
    TextIterator first;
    TextIterator last;
    TextIterator begin() const { return first; }
    TextIterator end() const { return last; }
};

inline ItemStore::Texts ItemStore::texts() const
{
    return {TextIterator(this, 0), TextIterator(this, count())};
}

template <typename Range> void ItemStore::appendMany(const Range& texts)
{
    qsizetype items = 0;
    size_t bytes = 0;
    for (const auto& t : texts) {
        const ItemText view(t);
        ++items;
        // A UTF-16 text kept so needs its units and a byte before them.
        const bool narrow = view.isLatin1() || QtPrivate::isLatin1(view.utf16());
        bytes += narrow ? size_t(view.size()) : 2 * size_t(view.size()) + 1;
    }
    if (items == 0)
        return;
    makeRoom(items, bytes);
    // Nothing below allocates or throws: every buffer has its room already.
    const qsizetype first = count();
    m_checked.resize(wordsFor(first + items), 0);
    m_wide.resize(wordsFor(first + items), 0);
    if (m_longEnds)
        putMany(texts, m_ends64);
    else
        putMany(texts, m_ends32);
    setCheckedRange(first, first + items, true);
}

template <typename Range, typename End>
void ItemStore::putMany(const Range& texts, PlainBuffer<End>& ends)
{
    char* const bytes = m_bytes.data();
    size_t at = m_bytes.size();
    for (const auto& t : texts) {
        const ItemText view(t);
        const size_t n = size_t(view.size());
        if (view.isLatin1()) {
            copyBytes(bytes + at, view.latin1().data(), n);
            at += n;
        } else if (narrow(bytes + at, view.utf16().utf16(), n)) {
            at += n;
        } else {
            at += at & 1;
            std::memcpy(bytes + at, view.utf16().utf16(), 2 * n);
            at += 2 * n;
            const qsizetype index = qsizetype(ends.size());
            m_wide[size_t(index) >> 6] |= std::uint64_t(1) << (index & 63);
            ++m_wideItems;
        }
        ends.push_back(End(at));
    }
    m_bytes.setSize(at);
}

// A short text's bytes in two word copies, a long one's at once.
inline void ItemStore::copyBytes(char* to, const char* from, size_t n)
{
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n > 0) {
        std::memcpy(to, from, n);
    }
}

// Copies UTF-16 units to bytes, keeping the low byte of each; true when no
// unit has a high byte (the text is Latin-1).
inline bool ItemStore::narrow(char* out, const char16_t* in, size_t n)
{
    char16_t all = 0;
    for (size_t i = 0; i < n; ++i) {
        all |= in[i];
        out[i] = char(in[i]);
    }
    return all < 0x100;
}
