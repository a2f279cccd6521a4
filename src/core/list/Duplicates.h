#pragma once

#include "core/list/ItemStore.h"

#include <vector>

// Which items of a list are the first with their text: a supplier's sheet
// often repeats codes. Linear in the items, with a table of about eight
// bytes an item while it runs.
namespace Duplicates {

// One flag for each item: true for the first item with its text, false for
// each later one with the same text.
std::vector<bool> FirstOfEach(const ItemStore& items);

} // namespace Duplicates
