#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstring>
#include <memory>

namespace Checker {

// Bytes rendered for an output, held in memory: a block's share of the
// report, the JSON document or a list, written out later in input order.
class Bytes
{
public:
    const char* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    void clear() { m_size = 0; }

    // Room for `n` more bytes at the end, to be filled and then added with
    // grown().
    char* room(size_t n)
    {
        if (m_capacity - m_size < n)
            grow(n);
        return m_data.get() + m_size;
    }
    void grown(size_t n) { m_size += n; }

    void put(const char* bytes, size_t size)
    {
        if (size == 0)
            return;
        std::memcpy(room(size), bytes, size);
        m_size += size;
    }
    void put(char c)
    {
        *room(1) = c;
        ++m_size;
    }
    void put(const char* text) { put(text, std::strlen(text)); }
    void put(const QByteArray& bytes) { put(bytes.constData(), size_t(bytes.size())); }
    // The bytes and a LF.
    void line(const char* bytes, size_t size)
    {
        char* to = room(size + 1);
        if (size > 0)
            std::memcpy(to, bytes, size);
        to[size] = '\n';
        m_size += size + 1;
    }
    // Text in the system's encoding, as the window's text files.
    void text(QStringView text);

private:
    void grow(size_t n);

    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace Checker
