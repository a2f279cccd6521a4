#include "features/CodeListEditing.h"

#include "core/text/PastedCodes.h"
#include "core/text/TypedCodes.h"
#include "core/upc/CodeReason.h"
#include "features/Main.h"
#include "features/SpreadsheetFileExport.h"
#include "features/SpreadsheetFileImport.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <QStringList>
#include <optional>

namespace {

const QString TypedCodesPrompt = QStringLiteral("Enter UPC number or numbers (use commas): ");

void appendPastedCodes(ListModel& codes, QStringView text)
{
    PastedCodes::forEachCode(text, [&codes](QString&& code) { codes.AppendItem(code); });
}

std::optional<QString> selectedText(const ListModel& list, qsizetype selected)
{
    if (selected > 0 && selected <= list.ItemCount())
        return list.ItemText(selected);
    return std::nullopt;
}

// Whether "Copy Corrected Code" is offered for a code: when only its check
// digit is wrong, and when it is another GTIN form of a UPC-A.
bool offersCorrectedCode(const CodeReason::Explanation& why)
{
    return why.fault == CodeReason::Fault::CheckDigit ||
           (why.gtin.toInt() != 0 && !why.corrected.isEmpty());
}

} // namespace

namespace CodeListEditing {

void addTypedCodes(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton6_Click"));

    QString typed;
    p.step(100,
           [&] { typed = host.prompts().inputBox(TypedCodesPrompt, Main::ApplicationTitle()); });
    if (p.endsIf(102, [&] { return typed.isEmpty(); }))
        return;
    QStringList pieces;
    p.step(104, [&] { pieces = TypedCodes::split(typed); });
    const qsizetype n = p.count(106, [&] { return pieces.size(); });
    for (qsizetype i = 0; i < n; ++i) { // 108
        QString code;
        p.step(110, [&] { code = TypedCodes::trimBlanks(pieces.at(i)); });
        p.step(112, [&] { host.codeList().AppendItem(code); });
    } // 114
}

void addSampleCodes(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton12_Click"));
    ListModel& codes = host.codeList();

    p.step(100, [&] { codes.AppendItem(QStringLiteral("801927504622")); });
    p.step(102, [&] { codes.AppendItem(QStringLiteral("012345678905")); });
    p.step(104, [&] { codes.AppendItem(QStringLiteral("712345678904")); });
    p.step(106, [&] { codes.AppendItem(QStringLiteral("279347895943")); });
}

void clearCodeList(Host& host)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton1_Click"));

    p.step(100, [&] {
        if (!host.isBusy())
            host.codeList().Clear();
    });
}

void listKeyDown(Host& host, ListModel& list, qsizetype selected, int keyCode, int shift)
{
    if (keyCode == DeleteKeyCode)
        removeItem(host, list, selected);
    const bool paste =
        (keyCode == VKeyCode && (shift & ~1) == 2) || (keyCode == InsertKeyCode && shift == 1);
    if (paste && &list == &host.codeList())
        pasteCodes(host);
}

void pasteCodes(Host& host)
{
    if (host.isBusy())
        return;
    Procedure p(host.prompts(), procedureTag("Form1", "ListView1_Paste"));
    std::optional<QString> text;
    p.step(100, [&] { text = host.services().clipboard->text(); });
    if (p.endsIf(102, [&] { return !text || text->isEmpty(); }))
        return;
    p.step(104, [&] { appendPastedCodes(host.codeList(), *text); });
}

void addDroppedText(Host& host, QStringView text)
{
    if (host.isBusy())
        return;
    Procedure p(host.prompts(), procedureTag("Form1", "ListView1_OLEDragDrop"));
    p.step(100, [&] { appendPastedCodes(host.codeList(), text); });
}

std::vector<MenuEntry> listMenu(const Host& host, const ListModel& list, qsizetype selected)
{
    const bool idle = !host.isBusy();
    const std::optional<QString> code = selectedText(list, selected);
    const bool hasItems = list.ItemCount() > 0;
    std::vector<MenuEntry> menu;
    CodeReason::Explanation why;
    if (&list == &host.invalidList() && code) {
        why = CodeReason::Explain(*code);
        if (!why.valid()) {
            menu.push_back({why.reason, ListAction::None, false});
            menu.push_back({});
        }
    }
    menu.push_back({QStringLiteral("Remove"), ListAction::Remove, idle && code.has_value()});
    menu.push_back({});
    menu.push_back({QStringLiteral("Tick All"), ListAction::TickAll, idle && hasItems});
    menu.push_back({QStringLiteral("Untick All"), ListAction::UntickAll, idle && hasItems});
    menu.push_back({});
    menu.push_back({QStringLiteral("Copy Code"), ListAction::CopyCode, code.has_value()});
    if (offersCorrectedCode(why))
        menu.push_back(
            {QStringLiteral("Copy Corrected Code"), ListAction::CopyCorrectedCode, true});
    if (&list == &host.codeList()) {
        menu.push_back({QStringLiteral("Paste Codes"), ListAction::PasteCodes, idle});
        menu.push_back({QStringLiteral("Load Codes From Spreadsheet File\u2026"),
                        ListAction::LoadFromSpreadsheetFile, idle});
    } else {
        menu.push_back({});
        menu.push_back({QStringLiteral("Save As Spreadsheet File\u2026"),
                        ListAction::SaveAsSpreadsheetFile, idle});
    }
    menu.push_back({});
    menu.push_back({QStringLiteral("Find\u2026"), ListAction::Find, true});
    return menu;
}

void runListAction(Host& host, ListModel& list, qsizetype selected, ListAction action)
{
    const std::optional<QString> code = selectedText(list, selected);
    switch (action) {
    case ListAction::None:
    case ListAction::Find: // the window's own
        break;
    case ListAction::Remove:
        removeItem(host, list, selected);
        break;
    case ListAction::TickAll:
    case ListAction::UntickAll:
        if (!host.isBusy())
            list.SetAllChecked(action == ListAction::TickAll);
        break;
    case ListAction::CopyCode:
        if (code)
            Main::SetClipboardTextWithRetries(*host.services().clipboard, *code);
        break;
    case ListAction::CopyCorrectedCode:
        if (code) {
            const CodeReason::Explanation why = CodeReason::Explain(*code);
            if (offersCorrectedCode(why))
                Main::SetClipboardTextWithRetries(*host.services().clipboard, why.corrected);
        }
        break;
    case ListAction::PasteCodes:
        if (&list == &host.codeList())
            pasteCodes(host);
        break;
    case ListAction::LoadFromSpreadsheetFile:
        if (&list == &host.codeList())
            SpreadsheetFileImport::loadCodesFromSpreadsheetFile(host);
        break;
    case ListAction::SaveAsSpreadsheetFile:
        if (&list != &host.codeList())
            SpreadsheetFileExport::saveList(host, list);
        break;
    }
}

void removeItem(Host& host, ListModel& list, qsizetype selected)
{
    if (!host.isBusy() && selected > 0 && selected <= list.ItemCount())
        list.RemoveItem(selected);
}

} // namespace CodeListEditing
