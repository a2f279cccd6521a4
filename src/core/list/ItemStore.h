#pragma once

#include "core/base/PlainBuffer.h"
#include "core/list/HeldText.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <vector>

// The items of a list, held compactly: every item's text in one byte buffer
// (a Latin-1 text a byte a character, any other in UTF-16 at an even offset,
// a bit telling which, and read back as it is held), one end offset per item
// (32 bits until the buffer outgrows that, then 64) and the checked states as
// bits. The texts of later columns are rare and kept aside. Ten million
// 12-character codes take about 17 bytes an item.
//
// Items are numbered from 0 here; every index given must be in [0, count()).
// A text may hold anything: nothing at all, NUL characters, unpaired
// surrogates, millions of characters.
class ItemStore
{
public:
    struct TextIterator;
    struct Texts;

    ItemStore() = default;
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    qsizetype count() const { return qsizetype(m_longEnds ? m_ends64.size() : m_ends32.size()); }

    // The text of an item; valid until the store next changes. Inline, as
    // every walk over a list reads each item through it.
    HeldText text(qsizetype index) const
    {
        size_t begin = index == 0 ? 0 : end(index - 1);
        const size_t stop = end(index);
        const char* bytes = m_bytes.data();
        if (!wide(index))
            return QLatin1StringView(bytes + begin, qsizetype(stop - begin));
        begin += begin & 1;
        return QStringView(reinterpret_cast<const char16_t*>(bytes + begin),
                           qsizetype(stop - begin) / 2);
    }
    // Whether the item's text is held in UTF-16 (it has a character past U+00FF).
    bool wide(qsizetype index) const { return m_wideItems > 0 && bit(m_wide, index); }

    bool checked(qsizetype index) const { return bit(m_checked, index); }
    void setChecked(qsizetype index, bool checked);
    void setAllChecked(bool checked);
    qsizetype checkedCount() const;

    // The texts of the item's later columns: `column` 0 is the list's second
    // column. "" when the item has no text there.
    QString subItem(qsizetype index, qsizetype column) const;

    // Appends an item, checked. Amortised constant time, no allocation of its
    // own. The text may be the store's own.
    void append(HeldText text);
    void append(QStringView text) { append(HeldText(text)); }
    void append(QLatin1StringView text) { append(HeldText(text)); }
    void append(const QString& text) { append(HeldText(text)); }
    void append(QStringView text, const QStringList& subItems);

    // Appends every text, all checked, growing the buffers once: when it
    // throws, nothing was appended. The texts must not be the store's own.
    void appendMany(const std::vector<HeldText>& texts);
    void appendMany(const std::vector<QLatin1StringView>& texts);
    void appendMany(const std::vector<QStringView>& texts);
    void appendMany(const QStringList& texts);

    // Makes exactly the room for `items` more items of `characters` Latin-1
    // characters in all, so that appending them allocates nothing.
    void reserve(qsizetype items, qsizetype characters);

    // Removes an item; the later ones move up by one.
    void remove(qsizetype index);

    // Keeps the items whose `keep` is true (one for each item), in order,
    // with their checked states and later columns; in one pass.
    void keepOnly(const std::vector<bool>& keep);

    // Removes every item and gives the memory back.
    void clear();

    // Every text in order, for a range-for:
    //     for (HeldText text : store.texts()) ...
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
    static bool bit(const PlainBuffer<std::uint64_t>& bits, qsizetype index)
    {
        return (bits[size_t(index) >> 6] >> (index & 63)) & 1u;
    }
    // The bytes a text takes: one a character when it is Latin-1, else its
    // UTF-16 units and a byte before them.
    static size_t bytesFor(HeldText text);
    // Room for `items` more items and `bytes` more bytes, growing
    // geometrically so that many small batches stay linear in all.
    void makeRoom(qsizetype items, size_t bytes);
    // The 64-bit end offsets, from now on.
    void lengthenEnds();
    // Appends an item whose text was written into m_bytes, up to `end`.
    void pushItem(size_t end, bool wide);
    // Appends the text as an item, Latin-1 when it can be; its room is there.
    void put(HeldText text);
    template <typename Range> void appendRange(const Range& texts);
    // Moves the later bytes of the buffer up over a removed item's.
    void closeGap(qsizetype index, size_t begin, size_t end);
    void setEnd(qsizetype index, size_t end);
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

// What a range-for over the texts needs.
struct ItemStore::TextIterator
{
    const ItemStore* store;
    qsizetype index;
    HeldText operator*() const { return store->text(index); }
    TextIterator& operator++()
    {
        ++index;
        return *this;
    }
    bool operator==(const TextIterator& other) const { return index == other.index; }
};

struct ItemStore::Texts
{
    const ItemStore* store;
    TextIterator begin() const { return {store, 0}; }
    TextIterator end() const { return {store, store->count()}; }
};

inline ItemStore::Texts ItemStore::texts() const
{
    return {this};
}
