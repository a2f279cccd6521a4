#include "cli/Bytes.h"

#include <QStringEncoder>
#include <algorithm>

namespace Checker {

void Bytes::grow(size_t n)
{
    const size_t capacity = std::max({m_capacity * 2, m_size + n, size_t(4096)});
    std::unique_ptr<char[]> grown(new char[capacity]);
    if (m_size > 0)
        std::memcpy(grown.get(), m_data.get(), m_size);
    m_data = std::move(grown);
    m_capacity = capacity;
}

void Bytes::text(QStringView text)
{
    // ASCII, as most codes are, is its own bytes in every encoding the
    // system may use.
    const qsizetype size = text.size();
    const char16_t* const from = text.utf16();
    char* const to = room(size_t(size));
    char16_t all = 0;
    for (qsizetype i = 0; i < size; ++i) {
        all |= from[i];
        to[i] = char(from[i]);
    }
    if (all < 0x80) {
        m_size += size_t(size);
        return;
    }
    // Stateless: a lone surrogate at the end of one text never joins the
    // start of the next.
    static thread_local QStringEncoder encoder(QStringConverter::System,
                                               QStringConverter::Flag::Stateless);
    char* const start = room(size_t(encoder.requiredSpace(text.size())));
    m_size += size_t(encoder.appendToBuffer(start, text) - start);
}

} // namespace Checker
