#include "core/list/Duplicates.h"

#include <QHashFunctions>
#include <algorithm>
#include <bit>
#include <cstdint>

namespace Duplicates {

namespace {

size_t hashOf(HeldText text)
{
    return text.isLatin1() ? qHash(QByteArrayView(text.latin1().data(), text.size()))
                           : qHash(text.utf16());
}

bool same(HeldText a, HeldText b)
{
    return a.isLatin1() == b.isLatin1() && a.size() == b.size() &&
           (a.isLatin1() ? a.latin1() == b.latin1() : a.utf16() == b.utf16());
}

} // namespace

std::vector<bool> FirstOfEach(const ItemStore& items)
{
    const qsizetype n = items.count();
    std::vector<bool> first(size_t(n), true);
    // Open addressing: each slot holds an item's number plus one (0: empty)
    // and the high half of its hash, so that few texts are read twice. A text
    // is held one way only (Latin-1 when it can be), so equal texts are held
    // alike.
    const size_t mask = std::bit_ceil(size_t(n) + size_t(n) / 2 + 1) - 1;
    std::vector<std::uint64_t> table(mask + 1, 0);
    // The slots of the next few items are asked for from memory ahead of
    // their turn: in a large list each is a miss of every cache.
    constexpr qsizetype Ahead = 16;
    size_t hashes[Ahead];
    const auto ask = [&](qsizetype i) {
        hashes[i % Ahead] = hashOf(items.text(i));
        __builtin_prefetch(&table[hashes[i % Ahead] & mask]);
    };
    for (qsizetype i = 0; i < std::min(n, Ahead); ++i)
        ask(i);
    for (qsizetype i = 0; i < n; ++i) {
        const size_t hash = hashes[i % Ahead];
        if (i + Ahead < n)
            ask(i + Ahead);
        const std::uint64_t tag = std::uint64_t(hash) >> 32;
        for (size_t s = hash & mask;; s = (s + 1) & mask) {
            if (table[s] == 0) {
                table[s] = (tag << 32) | std::uint64_t(i + 1);
                break;
            }
            if ((table[s] >> 32) == tag &&
                same(items.text(qsizetype(table[s] & 0xFFFFFFFFu) - 1), items.text(i))) {
                first[size_t(i)] = false;
                break;
            }
        }
    }
    return first;
}

} // namespace Duplicates
