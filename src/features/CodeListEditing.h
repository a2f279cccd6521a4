#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <vector>

class Host;
class ListModel;

// Editing the code list by hand: typed, sample, pasted and dropped codes,
// clearing, and the items of any of the three lists: removing one, ticking
// them all, copying one.
namespace CodeListEditing {

// Key codes: Delete, Insert, and V.
inline constexpr int DeleteKeyCode = 46;
inline constexpr int InsertKeyCode = 45;
inline constexpr int VKeyCode = 'V';

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

// A key pressed on a list (ListView1/2/3_KeyDown), with the state of Shift (1),
// Ctrl (2) and Alt (4): Delete removes the selected item; on the code list
// Ctrl+V and Shift+Insert paste codes.
void listKeyDown(Host& host, ListModel& list, qsizetype selected, int keyCode, int shift = 0);

// Ctrl+V on the code list, or its menu's "Paste Codes": the codes of the
// clipboard's text appended to the code list (see PastedCodes). Nothing while
// a long action shows the busy pointer.
void pasteCodes(Host& host);

// Text dropped on the code list: its codes appended as a paste.
void addDroppedText(Host& host, QStringView text);

// What an entry of a list's right-click menu does.
enum class ListAction
{
    None, // a line that only informs
    Remove,
    TickAll,
    UntickAll,
    CopyCode,
    CopyCorrectedCode,
    PasteCodes,
    LoadFromSpreadsheetFile,
};

struct MenuEntry
{
    QString text; // "" for a separator
    ListAction action = ListAction::None;
    bool enabled = false;
};

// The right-click menu of a list (also opened by the Menu key and Shift+F10)
// with its item `selected` (0: none): "Remove", "Tick All", "Untick All",
// "Copy Code"; on the code list "Paste Codes" and "Load Codes From
// Spreadsheet File…"; on the invalid list first the
// selected code's reason, and "Copy Corrected Code" when the only fault is
// its check digit. While the busy pointer shows only the copies are enabled.
std::vector<MenuEntry> listMenu(const Host& host, const ListModel& list, qsizetype selected);

// Carries out a chosen entry of the menu on `list` and its item `selected`.
// Everything but the copies is refused while the busy pointer shows.
void runListAction(Host& host, ListModel& list, qsizetype selected, ListAction action);

} // namespace CodeListEditing
