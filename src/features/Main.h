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

// The procedures shared by the window's handlers: the small ones in Main.cpp,
// each larger one beside the feature that calls it (named below).
namespace Main {

// True when the named file's date and time of last change can be read.
bool FileExists(const QString& path);

// The program-wide title, made from the product name: every box's caption.
void SetApplicationTitle();
const QString& ApplicationTitle();

// About one start in a hundred, opens the maker's home page.
void OpenHomePageOccasionally(RandomSource& random, UrlOpener& opener, double secondsSinceMidnight);

// The part of a text after its last backslash (all of it when it holds none).
template <typename Text> Text FileNameFromPath(const Text& path)
{
    const qsizetype at = path.lastIndexOf(QLatin1Char('\\'));
    return at < 0 ? path : path.sliced(at + 1);
}

// A path joined from the dialog's folder and file name, its doubled
// separators made one: "/" + "/" + "codes.txt" is "/codes.txt".
QString FixDoubleBackslashes(const QString& path);

// TextFileImport.cpp: every line of a text file appended to a list. A missing
// file shows "File not found"; a read failure or a line beyond the bound
// throws Failure, and the items read before it stay.
void LoadListviewFromTextFile(Prompts& prompts, ListModel& list, const QString& path,
                              const TextFileReader::Reading& reading);

// TextExport.cpp: a list written to `path` as a padded text table, a header
// line and a line per checked item; reports its own failures. `doEvents` runs
// at every item and column of each walk and may change the list: every text
// and tick is read at its step, loop bounds when each loop starts; an item
// gone is reported once and ends the walk. The file replaces the target only
// when complete; a failure leaves any existing file as it was.
void SaveListviewProperlySpacedWithoutProgressBar(const ListModel& lv, const QString& path,
                                                  Prompts& prompts, PacedYield& doEvents,
                                                  const TextFileMaker& files = {});

// ClipboardCopy.cpp: the checked items of a list put on the clipboard as a
// padded text table; an empty list leaves the clipboard alone. `doEvents` runs
// at every item and column; a failure (an item gone meanwhile) passes up.
void CopyListviewProperlySpacedToClipboard(const ListModel& lv, Clipboard& clipboard,
                                           PacedYield& doEvents);

// Each tries up to 1000 times and absorbs failures.
void ClearClipboardWithRetries(Clipboard& clipboard);
void SetClipboardTextWithRetries(Clipboard& clipboard, const QString& text);

} // namespace Main
