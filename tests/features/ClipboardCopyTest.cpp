#include "features/ClipboardCopy.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "features/Main.h"
#include "features/ResultClearing.h"
#include "support/OutputTestSupport.h"
#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace {

using namespace OutputTest;

const QString CopiedMessage = QStringLiteral(
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type and "
    "press Ctrl+V to paste the clipboard.");

class ClipboardCopyTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    ScriptedHost host{script.services()};

    QString messageLine() const
    {
        return QStringLiteral("message|") + Main::ApplicationTitle() + QLatin1Char('|') +
               CopiedMessage;
    }
};

TEST_F(ClipboardCopyTest, TwoCheckedCodesAreCopiedAndTheMessageShown)
{
    host.valid.AppendItem("712345678904");
    host.valid.AppendItem("801927504622");
    ClipboardCopy::copyValidList(host);
    EXPECT_EQ(script.log,
              QStringList({"clipboard-clear", "clipboard-set|712345678904\r\n801927504622\r\n",
                           messageLine()}));
    EXPECT_FALSE(Main::ApplicationTitle().isEmpty());
}

TEST_F(ClipboardCopyTest, NoBlanksSurviveAtALineEnd)
{
    host.invalid.AppendItem("12345");
    host.invalid.AppendItem("279347895943");
    host.invalid.AppendItem("typed with blanks   ");
    host.invalid.SetChecked(2, false);
    ClipboardCopy::copyInvalidList(host);
    EXPECT_EQ(script.clipboardText, "12345\r\ntyped with blanks\r\n");
    EXPECT_EQ(script.logged("message"),
              QStringList{Main::ApplicationTitle() + "|" + CopiedMessage});
}

TEST_F(ClipboardCopyTest, TwoColumnsArePaddedToTheItemsWidthsNotTheHeaders)
{
    ListModel* list = &host.valid;
    list->AddColumnHeader("A second column");
    list->AppendItem("1", {"22"});
    list->AppendItem("333", {"4"});
    list->AppendItem("55", {});
    list->SetChecked(2, false);
    ClipboardCopy::copyValidList(host);
    // Widths 3 and 2 (the unchecked item counts); an empty last cell leaves
    // the TAB before it.
    EXPECT_EQ(script.clipboardText, "1  \t22\r\n55 \t\r\n");
}

TEST_F(ClipboardCopyTest, AnEmptyListLeavesTheClipboardAloneButShowsTheMessage)
{
    script.clipboardText = "what was there before";
    script.clipboardHasText = true;
    ClipboardCopy::copyValidList(host);
    EXPECT_EQ(script.log, QStringList{messageLine()});
    EXPECT_EQ(script.clipboardText, "what was there before");
    EXPECT_EQ(script.clipboardAttempts, 0);
}

TEST_F(ClipboardCopyTest, NoCheckedItemEmptiesTheClipboard)
{
    script.clipboardText = "what was there before";
    script.clipboardHasText = true;
    host.invalid.AppendItem("12345");
    host.invalid.SetChecked(1, false);
    ClipboardCopy::copyInvalidList(host);
    EXPECT_EQ(script.log, QStringList({"clipboard-clear", "clipboard-set|", messageLine()}));
    EXPECT_EQ(script.clipboardText, "");
}

TEST_F(ClipboardCopyTest, ABusyClipboardIsTriedAgain)
{
    host.valid.AppendItem("712345678904");
    script.clipboardFailures = 1500; // the clear gives up, the text gets through
    ClipboardCopy::copyValidList(host);
    EXPECT_EQ(script.clipboardAttempts, 1000 + 501);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|712345678904\r\n", messageLine()}));
}

TEST_F(ClipboardCopyTest, AClipboardRefusingEveryAttemptStillShowsTheMessage)
{
    host.valid.AppendItem("712345678904");
    script.clipboardFailures = -1;
    ClipboardCopy::copyValidList(host);
    EXPECT_EQ(script.clipboardAttempts, 2000);
    EXPECT_EQ(script.log, QStringList{messageLine()});
}

TEST_F(ClipboardCopyTest, ClipboardProceduresAbsorbFailuresThrownByTheClipboard)
{
    class ThrowingClipboard : public Clipboard
    {
    public:
        int attempts = 0;
        bool clear() override
        {
            if (++attempts <= 3)
                throw Failure("busy");
            return true;
        }
        bool setText(const QString&) override
        {
            ++attempts;
            throw Failure("busy");
        }
        std::optional<QString> text() override { return std::nullopt; }
    } clipboard;
    Main::ClearClipboardWithRetries(clipboard);
    EXPECT_EQ(clipboard.attempts, 4);
    Main::SetClipboardTextWithRetries(clipboard, "x");
    EXPECT_EQ(clipboard.attempts, 1004);
}

TEST_F(ClipboardCopyTest, AListClearedDuringTheCopyIsReportedAndTheMessageStillShown)
{
    script.clipboardText = "what was there before";
    for (const char* code : {"712345678904", "801927504622"})
        host.valid.AppendItem(code);
    host.atYield = [&](int k) {
        if (k == 1)
            ResultClearing::clearValidList(host);
    };
    ClipboardCopy::copyValidList(host);
    EXPECT_EQ(reportedAt(script.errors()), QStringList{"Form1.PushButton10_Click 106"});
    EXPECT_EQ(descriptions(script.errors()), QStringList{"Index out of bounds"});
    EXPECT_EQ(script.logged("message"),
              QStringList{Main::ApplicationTitle() + "|" + CopiedMessage});
    EXPECT_EQ(script.clipboardText, "what was there before");
    EXPECT_EQ(script.clipboardAttempts, 0);
}

// Yielding, and lists that change meanwhile ---------------------------------------------

class ListDuringCopy : public ::testing::Test
{
protected:
    ScriptedServices script;
    ListModel list;
    int yields = 0;
    std::function<void(int)> atYield = [](int) {};

    void copy()
    {
        PacedYield everyCall([this] { atYield(++yields); }, 0);
        Main::CopyListviewProperlySpacedToClipboard(list, script, everyCall);
    }
};

TEST_F(ListDuringCopy, YieldsOncePerMeasuredCellItemAndCopiedCell)
{
    fill(list, {{"A", "B"}, {{{"1", "2"}}, {{"3", "4"}, false}, {{"5", "6"}}}});
    copy();
    // 2 columns x 3 items measured, 3 items, 2 x 2 copied cells.
    EXPECT_EQ(yields, 6 + 3 + 4);
    EXPECT_EQ(script.clipboardText, "1\t2\r\n5\t6\r\n");
}

TEST_F(ListDuringCopy, TextsGrownSinceTheWidthsWereTakenAreCopiedWithoutBlanks)
{
    fill(list, {{"A", "B"}, {{{"1", "22"}}, {{"333", "4"}}}});
    // Yields: 4 measuring; at the first item's yield the list is refilled.
    atYield = [&](int n) {
        if (n != 5)
            return;
        list.Clear();
        list.AppendItem("ABCDE", {"x"});
        list.AppendItem("y", {"LONGER"});
        list.AppendItem("never reached", {});
    };
    copy();
    EXPECT_EQ(script.clipboardText, "ABCDE\tx\r\ny  \tLONGER\r\n");
}

TEST_F(ListDuringCopy, AnItemThatVanishedEndsTheCopyWithAFailure)
{
    fill(list, {{"A"}, {{{"1"}}, {{"2"}}}});
    atYield = [&](int n) {
        if (n == 4) // item 2's yield
            list.RemoveItem(2);
    };
    EXPECT_THROW(copy(), Failure);
    EXPECT_EQ(script.clipboardAttempts, 0);
}

// Clearing ----------------------------------------------------------------------------

class ClearResultsTest : public ClipboardCopyTest
{
protected:
    void SetUp() override
    {
        host.codes.AppendItem("712345678904");
        host.valid.AppendItem("712345678904");
        host.valid.AppendItem("801927504622");
        host.invalid.AppendItem("12345");
        host.SetProgressValue(100);
        script.clipboardText = "on the clipboard";
    }

    void expectUntouchedBesides(const ListModel* cleared)
    {
        EXPECT_EQ(host.codes.ItemCount(), 1);
        if (cleared != &host.valid) {
            EXPECT_EQ(host.valid.ItemCount(), 2);
        }
        if (cleared != &host.invalid) {
            EXPECT_EQ(host.invalid.ItemCount(), 1);
        }
        EXPECT_EQ(host.ProgressValue(), 100);
        EXPECT_EQ(script.clipboardText, "on the clipboard");
        EXPECT_TRUE(script.log.isEmpty());
    }
};

TEST_F(ClearResultsTest, ClearingTheValidListEmptiesOnlyIt)
{
    ResultClearing::clearValidList(host);
    EXPECT_EQ(host.valid.ItemCount(), 0);
    expectUntouchedBesides(&host.valid);
}

TEST_F(ClearResultsTest, ClearingTheInvalidListEmptiesOnlyIt)
{
    ResultClearing::clearInvalidList(host);
    EXPECT_EQ(host.invalid.ItemCount(), 0);
    expectUntouchedBesides(&host.invalid);
}

TEST_F(ClearResultsTest, ClearingDoesNotWaitForTheBusyPointer)
{
    host.SetMousePointer(PointerMode::Hourglass);
    ResultClearing::clearInvalidList(host);
    ResultClearing::clearValidList(host);
    EXPECT_EQ(host.valid.ItemCount(), 0);
    EXPECT_EQ(host.invalid.ItemCount(), 0);
    EXPECT_EQ(host.MousePointer(), PointerMode::Hourglass);
}

TEST_F(ClearResultsTest, ClearingAnEmptyListShowsNothing)
{
    ResultClearing::clearInvalidList(host);
    ResultClearing::clearInvalidList(host);
    EXPECT_EQ(host.invalid.ItemCount(), 0);
    expectUntouchedBesides(&host.invalid);
}

} // namespace
