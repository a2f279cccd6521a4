#pragma once

#include "core/text/TextFileReader.h"
#include "features/ValidationRun.h"

#include <QString>
#include <QStringList>
#include <functional>

class Host;

namespace TextFileImport {

// The longest line the import takes: 16 Mi characters, a million times a
// code (a file without line ends then holds at most about 40 MB). A longer
// line ends the reading of its file with one error report.
inline constexpr qsizetype LongestLine = qsizetype(16) * 1024 * 1024;

// How an import reads its files; tests take a small bound or let the window
// run between every two pieces read (an interval of 0). The window handles
// its pending events as often as during the validation run.
struct Limits
{
    qsizetype longestLine = LongestLine;
    qint64 yieldIntervalNanoseconds = ValidationRun::YieldIntervalNanoseconds;
};

// How an import reads its files: in pieces, with its bound on a line, and
// between two pieces `first` (if any), then the window's paced turn.
TextFileReader::Reading importReading(Host& host, const Limits& limits,
                                      std::function<void()> first = {});

// "Load UPCs From Text File" (PushButton3): the open dialog, several files at
// once; every line of each chosen file appended to the code list.
//
// While a file longer than a piece is read, the window handles its pending
// events between two pieces, once their items are in the list. The busy
// pointer keeps the list's own edits (removal, "Clear List", paste, drop)
// away meanwhile. Whatever else runs there (a validation run, another import)
// finds the items read so far, and the import goes on appending after what
// it added; such an action ends with the default pointer, which takes the
// guard away for the rest of the import, as it does during a validation run.
void loadCodesFromTextFiles(Host& host, const Limits& limits = {});

// Files dropped on the code list: each loaded in turn as the import loads a
// chosen file, with the same reports, under the busy pointer. Nothing while a
// long action shows the busy pointer.
void loadDroppedFiles(Host& host, const QStringList& paths, const Limits& limits = {});

} // namespace TextFileImport
