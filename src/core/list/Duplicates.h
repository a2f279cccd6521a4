#pragma once

#include "core/list/ItemStore.h"

#include <cstdint>
#include <vector>

// Which items of a list repeat an earlier one's text: a supplier's sheet
// often repeats codes. Equal texts are held alike (Latin-1 when they can be),
// so their bytes decide.
namespace Duplicates {

// One flag for each item: true for the first item with its text, false for
// each later one with the same text. Linear, with a table of about twelve
// bytes an item while it runs.
std::vector<bool> FirstOfEach(const ItemStore& items);

// The texts met so far, each once, for a stream of texts of unknown length:
// add() answers whether a text is new (and keeps it).
class SeenTexts
{
public:
    bool add(HeldText text);

private:
    ItemStore m_texts;
    std::vector<std::uint64_t> m_table; // see Duplicates.cpp
};

} // namespace Duplicates
