#pragma once

#include "output/TextStream.h"

#include <QString>
#include <functional>

class Host;
class ListModel;
class Prompts;

namespace Main {

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
                                                  const FileSystemObject& files = {});

} // namespace Main

namespace TextExport {

// "Save Results As Text File" under the valid list (PushButton4) and under the
// invalid list (PushButton8): the save dialog, then the list written to the
// chosen file.
void saveValidList(Host& host);
void saveInvalidList(Host& host);

} // namespace TextExport
