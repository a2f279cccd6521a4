#pragma once

#include <QString>
#include <functional>

class Clipboard;
class Host;
class ListModel;

namespace Main {

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

// Empties the clipboard, trying up to 1000 times; failures are absorbed.
void ClearClipboardWithRetries(Clipboard& clipboard);

// Puts a plain text on the clipboard, trying up to 1000 times; failures are
// absorbed.
void SetClipboardTextWithRetries(Clipboard& clipboard, const QString& text);

} // namespace Main

namespace ClipboardCopy {

// "Copy Results To Clipboard" under the valid list (PushButton10) and under
// the invalid list (PushButton11).
void copyValidList(Host& host);
void copyInvalidList(Host& host);

} // namespace ClipboardCopy
