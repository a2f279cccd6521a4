#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// `block` (from here, or none) resized to `bytes` by realloc, its contents
// kept (see PlainBuffer.cpp). Throws std::bad_alloc, leaving the block as is.
void* resizeBlock(void* block, size_t bytes);

// A growable array of plain values in a block of the C heap.
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

    // Room for at least `n` values; throws std::bad_alloc.
    void reserve(size_t n)
    {
        if (n <= m_capacity)
            return;
        m_data = static_cast<T*>(resizeBlock(m_data, n * sizeof(T)));
        m_capacity = n;
    }
    // The calls below need the room to be there already.
    void push_back(T value) { m_data[m_size++] = value; }
    // The values up to `n` are written already, straight into data().
    void setSize(size_t n) { m_size = n; }
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
