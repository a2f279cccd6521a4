#include "output/ClipboardCopy.h"

#include "OutputTestSupport.h"
#include "shell/Failure.h"
#include "shell/Form1.h"
#include "shell/ListView.h"
#include "shell/Main.h"
#include "shell/ProgressBar.h"
#include "shell/PushButton.h"

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
    std::unique_ptr<Form1> form = script.loadForm();

    QString messageLine() const
    {
        return QStringLiteral("message|") + Main::ApplicationTitle() + QLatin1Char('|') +
               CopiedMessage;
    }
};

TEST_F(ClipboardCopyTest, TwoCheckedCodesAreCopiedAndTheMessageShown)
{
    form->ListView2->AppendItem("712345678904");
    form->ListView2->AppendItem("801927504622");
    form->PushButton10_Click();
    EXPECT_EQ(script.log,
              QStringList({"clipboard-clear", "clipboard-set|712345678904\r\n801927504622\r\n",
                           messageLine()}));
    EXPECT_FALSE(Main::ApplicationTitle().isEmpty());
}

TEST_F(ClipboardCopyTest, NoBlanksSurviveAtALineEnd)
{
    form->ListView3->AppendItem("12345");
    form->ListView3->AppendItem("279347895943");
    form->ListView3->AppendItem("typed with blanks   ");
    form->ListView3->SetChecked(2, false);
    form->PushButton11_Click();
    EXPECT_EQ(script.clipboardText, "12345\r\ntyped with blanks\r\n");
    EXPECT_EQ(script.logged("message"),
              QStringList{Main::ApplicationTitle() + "|" + CopiedMessage});
}

TEST_F(ClipboardCopyTest, TwoColumnsArePaddedToTheItemsWidthsNotTheHeaders)
{
    ListView* list = form->ListView2;
    list->AddColumnHeader("A second column");
    list->AppendItem("1", {"22"});
    list->AppendItem("333", {"4"});
    list->AppendItem("55", {});
    list->SetChecked(2, false);
    form->PushButton10_Click();
    // Widths 3 and 2 (the unchecked item counts); an empty last cell leaves
    // the TAB before it.
    EXPECT_EQ(script.clipboardText, "1  \t22\r\n55 \t\r\n");
}

TEST_F(ClipboardCopyTest, AnEmptyListLeavesTheClipboardAloneButShowsTheMessage)
{
    script.clipboardText = "what was there before";
    script.clipboardHasText = true;
    form->PushButton10_Click();
    EXPECT_EQ(script.log, QStringList{messageLine()});
    EXPECT_EQ(script.clipboardText, "what was there before");
    EXPECT_EQ(script.clipboardAttempts, 0);
}

TEST_F(ClipboardCopyTest, NoCheckedItemEmptiesTheClipboard)
{
    script.clipboardText = "what was there before";
    script.clipboardHasText = true;
    form->ListView3->AppendItem("12345");
    form->ListView3->SetChecked(1, false);
    form->PushButton11_Click();
    EXPECT_EQ(script.log, QStringList({"clipboard-clear", "clipboard-set|", messageLine()}));
    EXPECT_EQ(script.clipboardText, "");
}

TEST_F(ClipboardCopyTest, ABusyClipboardIsTriedAgain)
{
    form->ListView2->AppendItem("712345678904");
    script.clipboardFailures = 1500; // the clear gives up, the text gets through
    form->PushButton10_Click();
    EXPECT_EQ(script.clipboardAttempts, 1000 + 501);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|712345678904\r\n", messageLine()}));
}

TEST_F(ClipboardCopyTest, AClipboardRefusingEveryAttemptStillShowsTheMessage)
{
    form->ListView2->AppendItem("712345678904");
    script.clipboardFailures = -1;
    form->PushButton10_Click();
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
        form->ListView2->AppendItem(code);
    QMetaObject::invokeMethod(
        form.get(), [&] { form->PushButton2_Click(); }, Qt::QueuedConnection);
    form->PushButton10_Click();
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
    ListView list;
    int yields = 0;
    std::function<void(int)> atYield = [](int) {};

    void copy()
    {
        Main::CopyListviewProperlySpacedToClipboard(list, script, [this] { atYield(++yields); });
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

TEST_F(ListDuringCopy, TheTextMatchesTheTableForRandomLists)
{
    QRandomGenerator random(20210831);
    for (int round = 0; round < 100; ++round) {
        const TextTable::Table table = randomTable(random);
        ListView fresh;
        fill(fresh, table);
        script.clipboardText = "untouched";
        Main::CopyListviewProperlySpacedToClipboard(fresh, script, [] {});
        ASSERT_EQ(script.clipboardText,
                  table.rows.empty() ? QString("untouched") : TextTable::clipboardText(table))
            << "round " << round;
    }
}

// Clearing ----------------------------------------------------------------------------

class ClearResultsTest : public ClipboardCopyTest
{
protected:
    void SetUp() override
    {
        form->ListView1->AppendItem("712345678904");
        form->ListView2->AppendItem("712345678904");
        form->ListView2->AppendItem("801927504622");
        form->ListView3->AppendItem("12345");
        form->ProgressBar1->SetValue(100);
        script.clipboardText = "on the clipboard";
    }

    void expectUntouchedBesides(const ListView* cleared)
    {
        EXPECT_EQ(form->ListView1->ItemCount(), 1);
        if (cleared != form->ListView2) {
            EXPECT_EQ(form->ListView2->ItemCount(), 2);
        }
        if (cleared != form->ListView3) {
            EXPECT_EQ(form->ListView3->ItemCount(), 1);
        }
        EXPECT_EQ(form->ProgressBar1->Value(), 100);
        EXPECT_EQ(script.clipboardText, "on the clipboard");
        EXPECT_TRUE(script.log.isEmpty());
    }
};

TEST_F(ClearResultsTest, ClearingTheValidListEmptiesOnlyIt)
{
    form->PushButton2_Click();
    EXPECT_EQ(form->ListView2->ItemCount(), 0);
    expectUntouchedBesides(form->ListView2);
}

TEST_F(ClearResultsTest, ClearingTheInvalidListEmptiesOnlyIt)
{
    form->PushButton9_Click();
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    expectUntouchedBesides(form->ListView3);
}

TEST_F(ClearResultsTest, ClearingDoesNotWaitForTheBusyPointer)
{
    form->SetMousePointer(Form1::vbHourglass);
    form->PushButton9_Click();
    form->PushButton2_Click();
    EXPECT_EQ(form->ListView2->ItemCount(), 0);
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    EXPECT_EQ(form->MousePointer(), Form1::vbHourglass);
}

TEST_F(ClearResultsTest, ClearingAnEmptyListShowsNothing)
{
    form->PushButton9_Click();
    form->PushButton9_Click();
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    expectUntouchedBesides(form->ListView3);
}

TEST_F(ClearResultsTest, TheButtonsAreWiredToTheirHandlers)
{
    form->PushButton9->click();
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    form->PushButton10->click();
    EXPECT_EQ(script.clipboardText, "712345678904\r\n801927504622\r\n");
}

} // namespace
