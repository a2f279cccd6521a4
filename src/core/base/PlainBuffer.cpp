#include "core/base/PlainBuffer.h"

#include <cstdlib>
#include <malloc.h>
#include <new>

void* resizeBlock(void* block, size_t bytes)
{
    // Blocks of 128 KiB and more are mappings of their own, whatever was freed
    // before: glibc's realloc then grows them by moving their pages (mremap),
    // without holding the old and the new block at once, and free gives them
    // back to the system.
    static const bool mapped = mallopt(M_MMAP_THRESHOLD, 128 << 10) == 1;
    (void)mapped;
    void* resized = std::realloc(block, bytes);
    if (!resized)
        throw std::bad_alloc();
    return resized;
}
