#include "features/ClipboardCopy.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/text/TextTable.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <vector>

namespace {

constexpr int ClipboardAttempts = 1000;

const QString CopiedMessage =
    QStringLiteral("Results have been copied to the clipboard.") + QStringLiteral("\r\r") +
    QStringLiteral("Click a text area where you normally type and press Ctrl+V to paste the "
                   "clipboard.");

// Calls `use` with the cell of item i in column c: the item's text (not
// copied), or its sub-item c - 1.
template <typename Use> void withCell(const ListModel& lv, qsizetype i, int c, Use&& use)
{
    if (c == 1)
        use(lv.ItemView(i));
    else
        use(QStringView(lv.SubItem(i, c)));
}

void copyListToClipboard(Host& host, const ListModel& list, const char* handler)
{
    Procedure p(host.prompts(), procedureTag("Form1", handler));
    p.step(106, [&] {
        PacedYield yield([&host] { host.DoEvents(); });
        Main::CopyListviewProperlySpacedToClipboard(list, *host.services().clipboard,
                                                    std::ref(yield));
    });
    p.step(108, [&] { host.prompts().messageBox(CopiedMessage, Main::ApplicationTitle()); });
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

void ClipboardCopy::copyValidList(Host& host)
{
    copyListToClipboard(host, host.validList(), "PushButton10_Click");
}

void ClipboardCopy::copyInvalidList(Host& host)
{
    copyListToClipboard(host, host.invalidList(), "PushButton11_Click");
}

namespace Main {

void CopyListviewProperlySpacedToClipboard(const ListModel& lv, Clipboard& clipboard,
                                           const std::function<void()>& doEvents)
{
    if (lv.ItemCount() == 0)
        return;

    std::vector<qsizetype> widths;
    for (int c = 1, columns = lv.ColumnCount(); c <= columns; ++c) {
        qsizetype w = 0;
        for (qsizetype i = 1, items = lv.ItemCount(); i <= items; ++i) {
            doEvents();
            withCell(lv, i, c, [&w](QStringView text) { w = TextTable::wider(w, text); });
        }
        widths.push_back(w);
    }

    // Room for every line at once (at most each cell's width and a TAB, and a
    // line end), so that the text does not grow by copying itself; what is
    // left over goes back at the end.
    QString text;
    qsizetype line = 2;
    for (const qsizetype w : widths)
        line += w + 1;
    text.reserve(lv.ItemCount() * line);
    for (qsizetype i = 1, items = lv.ItemCount(); i <= items; ++i) {
        doEvents();
        if (!lv.Checked(i))
            continue;
        for (int c = 1, columns = lv.ColumnCount(); c <= columns; ++c) {
            doEvents();
            if (size_t(c) > widths.size())
                throw Failure(QStringLiteral("Subscript out of range"));
            withCell(lv, i, c, [&](QStringView cell) {
                TextTable::appendCell(text, cell, widths[size_t(c - 1)]);
            });
        }
        TextTable::closeClipboardLine(text);
    }

    text.squeeze();

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
