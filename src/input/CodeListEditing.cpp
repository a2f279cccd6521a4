#include "input/CodeListEditing.h"

#include "input/TypedCodes.h"
#include "shell/Host.h"
#include "shell/Main.h"
#include "shell/Procedure.h"

#include <QStringList>

namespace {

const QString TypedCodesPrompt = QStringLiteral("Enter UPC number or numbers (use commas): ");

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
        if (host.MousePointer() != Host::vbHourglass)
            host.codeList().Clear();
    });
}

void listKeyDown(Host& host, ListModel& list, qsizetype selected, int keyCode)
{
    if (keyCode == DeleteKeyCode)
        removeItem(host, list, selected);
}

void removeItem(Host& host, ListModel& list, qsizetype selected)
{
    if (host.MousePointer() == Host::vbHourglass)
        return;
    if (list.ItemCount() == 0)
        return;
    if (selected > 0 && selected <= list.ItemCount())
        list.RemoveItem(selected);
}

} // namespace CodeListEditing
