#pragma once

#include <QString>

class RandomSource;
class UrlOpener;

// General procedures shared by the window's handlers.
namespace Main {

// True when the named file's date and time of last change can be read.
bool FileExists(const QString& path);

// Makes the program-wide title from the product name; ApplicationTitle()
// answers it, and every box given no caption of its own bears it.
void SetApplicationTitle();
const QString& ApplicationTitle();

// About one start in a hundred, opens the maker's home page.
void OpenHomePageOccasionally(RandomSource& random, UrlOpener& opener, double secondsSinceMidnight);

} // namespace Main
