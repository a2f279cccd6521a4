#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <vector>

class Host;
class ListModel;

// Editing the lists by hand: typed, sample, pasted and dropped codes,
// clearing, and each list's items and right-click menu. While a long action
// shows the busy pointer, clearing, removing, ticking, pasting and dropping
// do nothing.
namespace CodeListEditing {

inline constexpr int DeleteKeyCode = 46;
inline constexpr int InsertKeyCode = 45;
inline constexpr int VKeyCode = 'V';

// "Add UPC Number or Numbers" (PushButton6): codes typed, separated by commas.
void addTypedCodes(Host& host);

// "Load Sample/Example UPCs" (PushButton12): four sample codes.
void addSampleCodes(Host& host);

// "Clear List" (PushButton1), without confirmation.
void clearCodeList(Host& host);

// A double-click on a list (ListView1/2/3_DblClick): removes item `selected` (0: none).
void removeItem(Host& host, ListModel& list, qsizetype selected);

// A key pressed on a list (ListView1/2/3_KeyDown), with Shift (1), Ctrl (2) and
// Alt (4): Delete removes the selected item; on the code list Ctrl+V and
// Shift+Insert paste codes.
void listKeyDown(Host& host, ListModel& list, qsizetype selected, int keyCode, int shift = 0);

// Ctrl+V on the code list, or "Paste Codes": the clipboard's codes appended.
void pasteCodes(Host& host);
// Keeps the first of each code in the code list and says how many went.
void removeDuplicateCodes(Host& host);

// Text dropped on the code list: its codes appended as a paste.
void addDroppedText(Host& host, QStringView text);

enum class ListAction
{
    None, // a line that only informs
    Remove,
    TickAll,
    UntickAll,
    CopyCode,
    CopyCorrectedCode,
    CopyReason,
    PasteCodes,
    RemoveDuplicates,
    LoadFromSpreadsheetFile,
    SaveAsSpreadsheetFile,
    Find, // the window opens the list's find bar
};

struct MenuEntry
{
    QString text; // "" for a separator
    ListAction action = ListAction::None;
    bool enabled = false;
};

// The list's count and ticked count: "200,000 codes, 199,998 ticked".
QString countLine(const ListModel& list);

// The right-click menu of a list with its item `selected` (0: none). It opens
// with lines that only inform: the count, and for a code that is not valid
// its reason. While the busy pointer shows only the copies and "Find…", which change
// nothing, are enabled.
std::vector<MenuEntry> listMenu(const Host& host, const ListModel& list, qsizetype selected);

// Carries out a chosen entry of the menu.
void runListAction(Host& host, ListModel& list, qsizetype selected, ListAction action);

} // namespace CodeListEditing
