#include "core/base/PlainBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

size_t blockBytes(size_t bytes)
{
    if (bytes < MappedBytes)
        return bytes;
    static const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

void* growBlock(void* block, size_t had, size_t bytes)
{
    if (bytes < MappedBytes) {
        void* grown = std::realloc(block, bytes);
        if (!grown)
            throw std::bad_alloc();
        return grown;
    }
    if (had >= MappedBytes) {
        void* moved = ::mremap(block, had, bytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        return moved;
    }
    void* mapped =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    if (had > 0)
        std::memcpy(mapped, block, had);
    std::free(block);
    return mapped;
}

void freeBlock(void* block, size_t bytes)
{
    if (bytes >= MappedBytes)
        ::munmap(block, bytes);
    else
        std::free(block);
}
