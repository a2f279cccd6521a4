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

// Open addressing: each slot holds an item's number plus one (0: empty) in
// its low half and the high half of its text's hash in its high half, so
// that few texts are read twice. Answers whether an item of `items` holds
// the text `text` of hash `hash`; if none does, item `index` takes the slot.
bool seenOrNoted(std::vector<std::uint64_t>& table, const ItemStore& items, HeldText text,
                 size_t hash, qsizetype index)
{
    const size_t mask = table.size() - 1;
    const std::uint64_t tag = std::uint64_t(hash) >> 32;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        if (table[s] == 0) {
            table[s] = (tag << 32) | std::uint64_t(index + 1);
            return false;
        }
        if ((table[s] >> 32) == tag &&
            same(items.text(qsizetype(table[s] & 0xFFFFFFFFu) - 1), text))
            return true;
    }
}

// A table for `n` items, at most two thirds full.
std::vector<std::uint64_t> tableFor(qsizetype n)
{
    return std::vector<std::uint64_t>(std::bit_ceil(size_t(n) + size_t(n) / 2 + 1), 0);
}

} // namespace

std::vector<bool> FirstOfEach(const ItemStore& items)
{
    const qsizetype n = items.count();
    std::vector<bool> first(size_t(n), true);
    std::vector<std::uint64_t> table = tableFor(n);
    const size_t mask = table.size() - 1;
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
        first[size_t(i)] = !seenOrNoted(table, items, items.text(i), hash, i);
    }
    return first;
}

bool SeenTexts::add(HeldText text)
{
    const qsizetype n = m_texts.count();
    if (size_t(n) * 3 >= m_table.size() * 2) {
        // Grown, every text kept so far is noted again.
        m_table = tableFor(2 * n + 1024);
        for (qsizetype i = 0; i < n; ++i)
            seenOrNoted(m_table, m_texts, m_texts.text(i), hashOf(m_texts.text(i)), i);
    }
    if (seenOrNoted(m_table, m_texts, text, hashOf(text), n))
        return false;
    m_texts.append(text);
    return true;
}

} // namespace Duplicates
