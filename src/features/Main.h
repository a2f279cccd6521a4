#pragma once

#include "core/files/TextStream.h"

#include <QString>
#include <functional>

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

// The part of the text after its last backslash: the whole text when it holds
// none, "" when it ends in one. The validation run shows it behind
// "Processing: ".
QString FileNameFromPath(const QString& path);
// The same as a view of the text.
QStringView FileNameFromPath(QStringView path);
QLatin1StringView FileNameFromPath(QLatin1StringView path);

// The folder and file name joined by the file dialog's answer, tidied with
// the platform's separator: the folder of the root already ends in one, so
// "/" + "/" + "codes.txt" becomes "/codes.txt".
QString FixDoubleBackslashes(const QString& path);

// TextFileImport.cpp
// Appends every line of a text file to a list, one item per line (see
// TextFileReader), read as `reading` says: in pieces of its size, a line
// longer than its bound failing, and its `betweenPieces` run between two
// pieces once their items are in the list (the import lets the window run
// there). A path that does not exist shows "File not found" and adds
// nothing. A file that cannot be read, or a line beyond the bound, throws
// Failure; the items read before the failure stay in the list.
void LoadListviewFromTextFile(Prompts& prompts, ListModel& list, const QString& path,
                              const TextFileReader::Reading& reading);

// TextExport.cpp
// Writes a list to the file `path` as a padded text table: a header line, then
// one line per checked item; each cell padded with blanks to its column's
// width and closed by a TAB; each line closed by CR LF.
//
// Reports its own failures through `prompts` and never passes one on.
// `doEvents` lets the window process its pending events; it is called once
// per item and column while the widths are taken, once per header column,
// once per item and once per column of each written item. The list may change
// there: loop bounds are fixed when each loop starts and every text and check
// mark is read from the list at its step. An item that has gone from the list
// when it is read is reported once and ends the walk of the items: the widths
// are taken without it and those after it, and the file ends with the lines
// written before it.
//
// The file is written beside the target and takes its place only when
// complete; when it cannot be created or a write fails, that one failure is
// reported and the save ends, leaving any existing file as it was.
void SaveListviewProperlySpacedWithoutProgressBar(const ListModel& lv, const QString& path,
                                                  Prompts& prompts,
                                                  const std::function<void()>& doEvents,
                                                  const TextFileMaker& files = {});
// The same with the window's paced yield, which lets the stretches of items
// where the window does not run be written in one go.
void SaveListviewProperlySpacedWithoutProgressBar(const ListModel& lv, const QString& path,
                                                  Prompts& prompts, PacedYield& doEvents,
                                                  const TextFileMaker& files = {});

// ClipboardCopy.cpp
// Puts the checked items of a list on the clipboard as text: one line per
// item, cells padded with blanks to their column's width (taken from the
// items alone, checked or not) and separated by TABs, with no blanks or TAB
// at a line's end; every line closed by CR LF. A list without items leaves
// the clipboard as it is.
//
// `doEvents` lets the window process its pending events: once per item and
// column while the widths are taken, once per item and once per column of
// each copied item. Loop bounds are fixed when each loop starts; every text
// and check mark is read from the list at its step. A failure (an item that
// vanished meanwhile) ends the copy and passes up to the caller.
void CopyListviewProperlySpacedToClipboard(const ListModel& lv, Clipboard& clipboard,
                                           const std::function<void()>& doEvents);
// The same with the window's paced yield (see above).
void CopyListviewProperlySpacedToClipboard(const ListModel& lv, Clipboard& clipboard,
                                           PacedYield& doEvents);

// Empties the clipboard, trying up to 1000 times; failures are absorbed.
void ClearClipboardWithRetries(Clipboard& clipboard);

// Puts a plain text on the clipboard, trying up to 1000 times; failures are
// absorbed.
void SetClipboardTextWithRetries(Clipboard& clipboard, const QString& text);

} // namespace Main
