#pragma once

#include "core/files/TextStream.h"

#include <QString>

class Clipboard;
class ListModel;
class PacedYield;
class Prompts;
class RandomSource;
class UrlOpener;
namespace TextFileReader {
struct Reading;
}

// The general procedures shared by the window's handlers. The small ones are
// defined in Main.cpp; each larger one sits with the feature that calls it
// (named below).
namespace Main {

// True when the named file's date and time of last change can be read.
bool FileExists(const QString& path);

// Makes the program-wide title from the product name; ApplicationTitle()
// answers it, and every box given no caption of its own bears it.
void SetApplicationTitle();
const QString& ApplicationTitle();

// About one start in a hundred, opens the maker's home page.
void OpenHomePageOccasionally(RandomSource& random, UrlOpener& opener, double secondsSinceMidnight);

// The part of a text (QString or a view) after its last backslash: the whole
// text when it holds none, "" when it ends in one. The validation run shows
// it behind "Processing: ".
template <typename Text> Text FileNameFromPath(const Text& path)
{
    const qsizetype at = path.lastIndexOf(QLatin1Char('\\'));
    return at < 0 ? path : path.sliced(at + 1);
}

// The folder and file name joined by the file dialog's answer, tidied with
// the platform's separator: the folder of the root already ends in one, so
// "/" + "/" + "codes.txt" becomes "/codes.txt".
QString FixDoubleBackslashes(const QString& path);

// TextFileImport.cpp
// Appends every line of a text file to a list, one item per line, read as
// `reading` says (see TextFileReader). A path that does not exist shows "File
// not found" and adds nothing. A file that cannot be read, or a line beyond
// the bound, throws Failure; the items read before the failure stay.
void LoadListviewFromTextFile(Prompts& prompts, ListModel& list, const QString& path,
                              const TextFileReader::Reading& reading);

// TextExport.cpp
// Writes a list to the file `path` as a padded text table (TextTable's file
// layout): a header line, then one line per checked item.
//
// Reports its own failures through `prompts` and never passes one on.
// `doEvents` is called once per item and column while the widths are taken,
// once per header column, once per item and once per column of each written
// item; the list may change there (every text and check mark is read at its
// step, loop bounds when each loop starts). An item gone from the list is
// reported once and ends the walk of the items.
//
// The file is written beside the target and takes its place only when
// complete; when it cannot be created or a write fails, that one failure is
// reported and the save ends, leaving any existing file as it was.
void SaveListviewProperlySpacedWithoutProgressBar(const ListModel& lv, const QString& path,
                                                  Prompts& prompts, PacedYield& doEvents,
                                                  const TextFileMaker& files = {});

// ClipboardCopy.cpp
// Puts the checked items of a list on the clipboard as a padded text table
// (TextTable's clipboard layout). A list without items leaves the clipboard
// as it is. `doEvents` is called once per item and column while the widths
// are taken, once per item and once per column of each copied item. A
// failure (an item that vanished meanwhile) ends the copy and passes up.
void CopyListviewProperlySpacedToClipboard(const ListModel& lv, Clipboard& clipboard,
                                           PacedYield& doEvents);

// Empty the clipboard, or put a plain text on it, trying up to 1000 times;
// failures are absorbed.
void ClearClipboardWithRetries(Clipboard& clipboard);
void SetClipboardTextWithRetries(Clipboard& clipboard, const QString& text);

} // namespace Main
