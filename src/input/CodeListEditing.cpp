#include "../shell/Form1.h"
#include "../shell/ListView.h"
#include "../shell/Main.h"
#include "../shell/Procedure.h"
#include "TypedCodes.h"

#include <QStringList>

namespace {

const QString TypedCodesPrompt = QStringLiteral("Enter UPC number or numbers (use commas): ");

} // namespace

void Form1::PushButton6_Click()
{
    Procedure p(prompts(), procedureTag("Form1", "PushButton6_Click"));

    QString typed;
    p.step(100, [&] { typed = prompts().inputBox(TypedCodesPrompt, Main::ApplicationTitle()); });
    if (p.endsIf(102, [&] { return typed.isEmpty(); }))
        return;
    QStringList pieces;
    p.step(104, [&] { pieces = TypedCodes::split(typed); });
    const qsizetype n = p.count(106, [&] { return pieces.size(); });
    for (qsizetype i = 0; i < n; ++i) { // 108
        QString code;
        p.step(110, [&] { code = TypedCodes::trimBlanks(pieces.at(i)); });
        p.step(112, [&] { ListView1->AppendItem(code); });
    } // 114
}

void Form1::PushButton12_Click()
{
    Procedure p(prompts(), procedureTag("Form1", "PushButton12_Click"));

    p.step(100, [&] { ListView1->AppendItem(QStringLiteral("801927504622")); });
    p.step(102, [&] { ListView1->AppendItem(QStringLiteral("012345678905")); });
    p.step(104, [&] { ListView1->AppendItem(QStringLiteral("712345678904")); });
    p.step(106, [&] { ListView1->AppendItem(QStringLiteral("279347895943")); });
}

void Form1::PushButton1_Click()
{
    Procedure p(prompts(), procedureTag("Form1", "PushButton1_Click"));

    // No confirmation; refused while a long action shows the busy pointer.
    p.step(100, [&] {
        if (MousePointer() != vbHourglass)
            ListView1->Clear();
    });
}

void Form1::ListView1_DblClick()
{
    removeSelectedItem(ListView1);
}

void Form1::ListView2_DblClick()
{
    removeSelectedItem(ListView2);
}

void Form1::ListView3_DblClick()
{
    removeSelectedItem(ListView3);
}

void Form1::ListView1_KeyDown(int keyCode, int)
{
    listKeyDown(ListView1, keyCode);
}

void Form1::ListView2_KeyDown(int keyCode, int)
{
    listKeyDown(ListView2, keyCode);
}

void Form1::ListView3_KeyDown(int keyCode, int)
{
    listKeyDown(ListView3, keyCode);
}

void Form1::listKeyDown(ListView* list, int keyCode)
{
    if (keyCode == ListView::DeleteKeyCode)
        removeSelectedItem(list);
}

// Removes the list's selected item, wherever it stands; nothing while a long
// action shows the busy pointer, and nothing when no item is selected.
void Form1::removeSelectedItem(ListView* list)
{
    if (MousePointer() == vbHourglass)
        return;
    if (list->ItemCount() == 0)
        return;
    const qsizetype selected = list->SelectedItem();
    if (selected > 0 && selected <= list->ItemCount())
        list->RemoveItem(selected);
}
