#pragma once

#include <QtGlobal>

class Host;
class ListModel;

// Editing the code list by hand: typed codes, the sample codes, clearing, and
// removing one item from any of the three lists.
namespace CodeListEditing {

// The key code of Delete.
inline constexpr int DeleteKeyCode = 46;

// "Add UPC Number or Numbers" (PushButton6): the codes typed into an input
// box, separated by commas, appended to the code list.
void addTypedCodes(Host& host);

// "Load Sample/Example UPCs" (PushButton12): four sample codes.
void addSampleCodes(Host& host);

// "Clear List" (PushButton1): no confirmation; refused while a long action
// shows the busy pointer.
void clearCodeList(Host& host);

// A double-click on a list (ListView1/2/3_DblClick): removes its selected item
// `selected` (0: none), wherever it stands; nothing while a long action shows
// the busy pointer.
void removeItem(Host& host, ListModel& list, qsizetype selected);

// A key pressed on a list (ListView1/2/3_KeyDown): Delete removes the selected item.
void listKeyDown(Host& host, ListModel& list, qsizetype selected, int keyCode);

} // namespace CodeListEditing
