#pragma once

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

namespace ItemStoreDetail {

// A growable array of plain values kept with realloc, so that a large buffer
// grows by remapping its pages instead of copying them (and without holding
// the old and the new buffer at once).
template <typename T> class PlainBuffer
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PlainBuffer() = default;
    PlainBuffer(const PlainBuffer&) = delete;
    PlainBuffer& operator=(const PlainBuffer&) = delete;
    ~PlainBuffer() { std::free(m_data); }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T& back() { return m_data[m_size - 1]; }

    // Exactly room for `n` values; throws std::bad_alloc.
    void reserve(size_t n)
    {
        if (n <= m_capacity)
            return;
        void* grown = std::realloc(m_data, n * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        m_data = static_cast<T*>(grown);
        m_capacity = n;
    }
    // The calls below need the room to be there already.
    void push_back(T value) { m_data[m_size++] = value; }
    void append(const T* values, size_t n)
    {
        if (n > 0)
            std::memcpy(m_data + m_size, values, n * sizeof(T));
        m_size += n;
    }
    void resize(size_t n, T value)
    {
        for (size_t i = m_size; i < n; ++i)
            m_data[i] = value;
        m_size = n;
    }
    void pop_back() { --m_size; }
    void erase(size_t from, size_t to)
    {
        // Nothing to move (and no buffer at all, for a store of empty texts):
        // memmove must not be given a null pointer even for no bytes.
        if (to < m_size)
            std::memmove(m_data + from, m_data + to, (m_size - to) * sizeof(T));
        m_size -= to - from;
    }
    void release()
    {
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }

private:
    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace ItemStoreDetail

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
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

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

    ItemStoreDetail::PlainBuffer<char16_t> m_chars;
    ItemStoreDetail::PlainBuffer<std::uint64_t> m_ends;    // end of item i's text in m_chars
    ItemStoreDetail::PlainBuffer<std::uint64_t> m_checked; // bit i; bits past count() are 0
    std::vector<SubItems> m_subItems;                      // by ascending index, none empty
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
        m_chars.append(reinterpret_cast<const char16_t*>(view.utf16()), size_t(view.size()));
        end += std::uint64_t(view.size());
        m_ends.push_back(end);
    }
    setCheckedRange(first, first + items, true);
}
