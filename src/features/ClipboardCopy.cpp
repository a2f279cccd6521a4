#include "features/ClipboardCopy.h"

#include "core/base/PacedYield.h"
#include "core/text/TextTable.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <utility>

namespace {

const QString CopiedMessage =
    QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                   "normally type and press Ctrl+V to paste the clipboard.");

void copyListToClipboard(Host& host, const ListModel& list, const char* handler)
{
    Procedure p(host.prompts(), procedureTag("Form1", handler));
    p.step(106, [&] {
        PacedYield yield([&host] { host.DoEvents(); });
        Main::CopyListviewProperlySpacedToClipboard(list, *host.services().clipboard, yield);
    });
    p.step(108, [&] { host.prompts().messageBox(CopiedMessage, Main::ApplicationTitle()); });
}

template <typename Attempt> void withRetries(Attempt&& attempt)
{
    for (int n = 1; n <= 1000; ++n) {
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
                                           PacedYield& doEvents)
{
    if (lv.ItemCount() == 0)
        return;

    TextTable::ListSource source(lv);
    const TextTable::Widths widths =
        TextTable::measureWidths(source, TextTable::Layout::Clipboard, &doEvents);
    TextTable::TableOutput out;
    TextTable::writeLines(source, TextTable::Layout::Clipboard, widths, out, &doEvents);
    QString text = std::move(out.text());
    // The room reserved for the longest lines goes back.
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
