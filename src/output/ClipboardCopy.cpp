#include "ClipboardCopy.h"

#include "PacedYield.h"
#include "TextTable.h"
#include "shell/Failure.h"
#include "shell/Form1.h"
#include "shell/ListView.h"
#include "shell/Main.h"
#include "shell/Platform.h"
#include "shell/Procedure.h"

#include <vector>

namespace {

constexpr int ClipboardAttempts = 1000;

const QString CopiedMessage =
    QStringLiteral("Results have been copied to the clipboard.") + QStringLiteral("\r\r") +
    QStringLiteral("Click a text area where you normally type and press Ctrl+V to paste the "
                   "clipboard.");

// The cell of item i in column c: the item's text, or its sub-item c - 1.
QString cell(const ListView& lv, qsizetype i, int c)
{
    return c == 1 ? lv.ItemText(i) : lv.SubItem(i, c);
}

void copyListToClipboard(Form1& form, const ListView& list, const char* handler)
{
    Procedure p(form.prompts(), procedureTag("Form1", handler));
    p.step(106, [&] {
        PacedYield yield([&form] { form.DoEvents(); });
        Main::CopyListviewProperlySpacedToClipboard(list, *form.services().clipboard,
                                                    std::ref(yield));
    });
    p.step(108, [&] { form.prompts().messageBox(CopiedMessage, Main::ApplicationTitle()); });
}

template <typename Attempt> void withRetries(Attempt&& attempt)
{
    for (int n = 1; n <= ClipboardAttempts; ++n) {
        try {
            if (attempt())
                return;
        } catch (...) {
            // Another program may hold the clipboard: try again.
        }
    }
}

} // namespace

void Form1::PushButton10_Click()
{
    copyListToClipboard(*this, *ListView2, "PushButton10_Click");
}

void Form1::PushButton11_Click()
{
    copyListToClipboard(*this, *ListView3, "PushButton11_Click");
}

// Clearing a result list does not wait for the busy pointer: a list can be
// cleared while a save or a validation run is yielding to the window.
void Form1::PushButton2_Click()
{
    Procedure p(prompts(), procedureTag("Form1", "PushButton2_Click"));
    p.step(100, [&] { ListView2->Clear(); });
}

void Form1::PushButton9_Click()
{
    Procedure p(prompts(), procedureTag("Form1", "PushButton9_Click"));
    p.step(100, [&] { ListView3->Clear(); });
}

namespace Main {

void CopyListviewProperlySpacedToClipboard(const ListView& lv, Clipboard& clipboard,
                                           const std::function<void()>& doEvents)
{
    if (lv.ItemCount() == 0)
        return;

    std::vector<qsizetype> widths;
    for (int c = 1, columns = lv.ColumnCount(); c <= columns; ++c) {
        qsizetype w = 0;
        for (qsizetype i = 1, items = lv.ItemCount(); i <= items; ++i) {
            doEvents();
            w = TextTable::wider(w, cell(lv, i, c));
        }
        widths.push_back(w);
    }

    QString text;
    for (qsizetype i = 1, items = lv.ItemCount(); i <= items; ++i) {
        doEvents();
        if (!lv.Checked(i))
            continue;
        for (int c = 1, columns = lv.ColumnCount(); c <= columns; ++c) {
            doEvents();
            if (size_t(c) > widths.size())
                throw Failure(QStringLiteral("Subscript out of range"));
            TextTable::appendCell(text, cell(lv, i, c), widths[size_t(c - 1)]);
        }
        TextTable::closeClipboardLine(text);
    }

    ClearClipboardWithRetries(clipboard);
    SetClipboardTextWithRetries(clipboard, text);
}

void ClearClipboardWithRetries(Clipboard& clipboard)
{
    withRetries([&] { return clipboard.clear(); });
}

void SetClipboardTextWithRetries(Clipboard& clipboard, const QString& text)
{
    withRetries([&] { return clipboard.setText(text); });
}

} // namespace Main
