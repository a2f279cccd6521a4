#include "features/CodeListEditing.h"

#include "core/text/PastedCodes.h"
#include "core/text/TypedCodes.h"
#include "core/upc/CodeMeaning.h"
#include "core/upc/CodeReason.h"
#include "features/Main.h"
#include "features/SpreadsheetFileExport.h"
#include "features/SpreadsheetFileImport.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <QLocale>
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

// What "Copy Corrected Code" copies, when it is offered: the code a damaged
// one most likely was, else the valid code the reason names.
std::optional<QString> correctedCode(const CodeReason::Explanation& why)
{
    if (!why.repaired.isEmpty())
        return why.repaired;
    if (!why.corrected.isEmpty())
        return why.corrected;
    return std::nullopt;
}

// Copies a code's reason, or the valid code it names, when there is one.
void copyExplanation(Host& host, const QString& code, bool reason)
{
    const CodeReason::Explanation why = CodeReason::Explain(code);
    const QString text = reason ? why.reason : correctedCode(why).value_or(QString());
    if (!text.isEmpty())
        Main::SetClipboardTextWithRetries(*host.services().clipboard, text);
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

void removeDuplicateCodes(Host& host)
{
    if (host.isBusy())
        return;
    const qsizetype removed = host.codeList().removeDuplicates();
    const QString count = QLocale().toString(removed);
    host.prompts().messageBox(removed == 0   ? QStringLiteral("No code is there twice.")
                              : removed == 1 ? QStringLiteral("1 duplicate code removed.")
                                             : count + QStringLiteral(" duplicate codes removed."),
                              Main::ApplicationTitle());
}

void addDroppedText(Host& host, QStringView text)
{
    if (host.isBusy())
        return;
    Procedure p(host.prompts(), procedureTag("Form1", "ListView1_OLEDragDrop"));
    p.step(100, [&] { appendPastedCodes(host.codeList(), text); });
}

QString countLine(const ListModel& list)
{
    const QLocale english(QLocale::English);
    const qsizetype count = list.ItemCount();
    return QStringLiteral("%1 %2, %3 ticked")
        .arg(english.toString(qlonglong(count)),
             count == 1 ? QStringLiteral("code") : QStringLiteral("codes"),
             english.toString(qlonglong(list.items().checkedCount())));
}

std::vector<MenuEntry> listMenu(const Host& host, const ListModel& list, qsizetype selected)
{
    const bool idle = !host.isBusy();
    const std::optional<QString> code = selectedText(list, selected);
    const bool hasItems = list.ItemCount() > 0;
    const CodeReason::Explanation why =
        code ? CodeReason::Explain(*code) : CodeReason::Explanation();
    std::vector<MenuEntry> menu{{countLine(list)}};
    if (!why.valid())
        menu.push_back({why.reason});
    if (&list == &host.validList() && code)
        if (const QString meaning = CodeMeaning::Of(*code); !meaning.isEmpty())
            menu.push_back({meaning});
    menu.push_back({});
    menu.push_back({QStringLiteral("Remove"), ListAction::Remove, idle && code.has_value()});
    menu.push_back({});
    menu.push_back({QStringLiteral("Tick All"), ListAction::TickAll, idle && hasItems});
    menu.push_back({QStringLiteral("Untick All"), ListAction::UntickAll, idle && hasItems});
    menu.push_back({});
    menu.push_back({QStringLiteral("Copy Code"), ListAction::CopyCode, code.has_value()});
    if (correctedCode(why))
        menu.push_back(
            {QStringLiteral("Copy Corrected Code"), ListAction::CopyCorrectedCode, true});
    if (!why.valid())
        menu.push_back({QStringLiteral("Copy Reason"), ListAction::CopyReason, true});
    if (&list == &host.codeList()) {
        menu.push_back({QStringLiteral("Paste Codes"), ListAction::PasteCodes, idle});
        menu.push_back({QStringLiteral("Remove Duplicate Codes"), ListAction::RemoveDuplicates,
                        idle && list.ItemCount() > 1});
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
    case ListAction::CopyReason:
        if (code)
            copyExplanation(host, *code, action == ListAction::CopyReason);
        break;
    case ListAction::RemoveDuplicates:
        if (&list == &host.codeList())
            removeDuplicateCodes(host);
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
