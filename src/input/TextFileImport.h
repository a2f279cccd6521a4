#pragma once

#include <QString>

class ListView;
class Prompts;

namespace Main {

// Appends every line of a text file to a list, one item per line (see
// TextFileReader). A path that does not exist shows "File not found" and adds
// nothing. A file that cannot be read throws Failure; the items read before
// the failure stay in the list.
void LoadListviewFromTextFile(Prompts& prompts, ListView& list, const QString& path);

} // namespace Main
