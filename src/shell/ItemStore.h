#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

// The items of a list, held compactly: every item's text in one UTF-16
// buffer, one 64-bit end offset per item, and the checked states as bits. The
// texts of later columns are rare and kept aside, so that an item without them
// costs nothing for them. Ten million 12-character codes take about 32 bytes
// an item.
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

    qsizetype count() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }

    // The text of an item; valid until the store next changes.
    QStringView text(qsizetype index) const
    {
        const qsizetype b = begin(index);
        return QStringView(m_chars.data() + b, qsizetype(m_ends[size_t(index)]) - b);
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
    // own.
    void append(QStringView text);
    void append(QStringView text, const QStringList& subItems);

    // Appends every text of a range (anything whose elements convert to
    // QStringView: QStringList, std::vector<QStringView>, ...), all checked,
    // growing the buffers once. The texts must not be the store's own.
    template <typename Range> void appendMany(const Range& texts);

    // Makes room for `items` more items holding `characters` more characters
    // in all (exactly that much), so that appending them allocates nothing.
    void reserve(qsizetype items, qsizetype characters);

    // Removes an item; the later ones move up by one.
    void remove(qsizetype index);

    // Removes every item and gives the memory back.
    void clear();

    // Bytes held by the store, reserved room included.
    qsizetype bytesUsed() const;

    // Every text in order, for a range-for without per-item cost:
    //     for (QStringView text : store.texts()) ...
    Texts texts() const;

private:
    struct SubItems
    {
        qsizetype index;
        QStringList texts;
    };

    qsizetype begin(qsizetype index) const
    {
        return index == 0 ? 0 : qsizetype(m_ends[size_t(index) - 1]);
    }
    // Room for `items` more items and `characters` more characters, growing
    // geometrically so that many small batches stay linear in all.
    void makeRoom(qsizetype items, qsizetype characters);
    // Sets bits [from, to) of the checked states, which must already have
    // their words.
    void setCheckedRange(qsizetype from, qsizetype to, bool checked);
    std::vector<SubItems>::const_iterator findSubItems(qsizetype index) const;

    std::vector<char16_t> m_chars;
    std::vector<std::uint64_t> m_ends;    // end of item i's text in m_chars
    std::vector<std::uint64_t> m_checked; // bit i; bits past count() are 0
    std::vector<SubItems> m_subItems;     // by ascending index, none empty
};

class ItemStore::TextIterator
{
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = QStringView;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = QStringView;

    TextIterator() = default;
    TextIterator(const char16_t* chars, const std::uint64_t* end, std::uint64_t begin)
        : m_chars(chars), m_end(end), m_begin(begin)
    {}

    QStringView operator*() const
    {
        return QStringView(m_chars + m_begin, qsizetype(*m_end - m_begin));
    }
    TextIterator& operator++()
    {
        m_begin = *m_end++;
        return *this;
    }
    TextIterator operator++(int)
    {
        TextIterator was = *this;
        ++*this;
        return was;
    }
    bool operator==(const TextIterator& other) const { return m_end == other.m_end; }

private:
    const char16_t* m_chars = nullptr;
    const std::uint64_t* m_end = nullptr;
    std::uint64_t m_begin = 0;
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
    const std::uint64_t* ends = m_ends.data();
    return {TextIterator(m_chars.data(), ends, 0),
            TextIterator(m_chars.data(), ends + m_ends.size(), 0)};
}

template <typename Range> void ItemStore::appendMany(const Range& texts)
{
    qsizetype items = 0;
    qsizetype characters = 0;
    for (const auto& t : texts) {
        ++items;
        characters += QStringView(t).size();
    }
    if (items == 0)
        return;
    makeRoom(items, characters);
    // Nothing below allocates or throws: every buffer has its room already.
    const qsizetype first = count();
    m_checked.resize((size_t(first + items) + 63) >> 6, 0);
    std::uint64_t end = m_chars.size();
    for (const auto& t : texts) {
        const QStringView view(t);
        const char16_t* data = reinterpret_cast<const char16_t*>(view.utf16());
        m_chars.insert(m_chars.end(), data, data + view.size());
        end += std::uint64_t(view.size());
        m_ends.push_back(end);
    }
    setCheckedRange(first, first + items, true);
}
