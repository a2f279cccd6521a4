#include "features/CodeListEditing.h"

#include "core/upc/CodeReason.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

const QStringList& Samples = SampleCodes;
// The end of the valid and invalid lists' menus.
const QStringList Save = {"-", QStringLiteral("Save As Spreadsheet File\u2026")};
// Every menu ends with "Find…", offered also while the busy pointer shows.
const QStringList Find = {"-", QStringLiteral("Find\u2026")};

class CodeListEditingTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    ScriptedHost host{script.services()};

    QStringList typed(const QString& text)
    {
        script.inputAnswers.enqueue(text);
        CodeListEditing::addTypedCodes(host);
        return itemsOf(host.codes);
    }

    // A list's right-click menu after the count it opens with: "-" a
    // separator, "(text)" a line that only informs or a disabled entry.
    QStringList menu(const ListModel& list, qsizetype selected)
    {
        QStringList shown;
        for (const CodeListEditing::MenuEntry& e : CodeListEditing::listMenu(host, list, selected))
            shown.append(e.text.isEmpty() ? "-" : e.enabled ? e.text : "(" + e.text + ")");
        EXPECT_EQ(shown.value(0), "(" + CodeListEditing::countLine(list) + ")");
        return shown.mid(1);
    }

    void choose(ListModel& list, qsizetype selected, CodeListEditing::ListAction action)
    {
        CodeListEditing::runListAction(host, list, selected, action);
    }

    static QStringList ticks(const ListModel& list)
    {
        QStringList t;
        for (qsizetype i = 1; i <= list.ItemCount(); ++i)
            t.append(list.Checked(i) ? "x" : " ");
        return t;
    }
};

using Action = CodeListEditing::ListAction;

TEST_F(CodeListEditingTest, TypedCodesAreSplitAtCommasAndLoseTheirOuterBlanks)
{
    EXPECT_EQ(typed("801927504622, 712345678904,  012345678905"),
              QStringList({"801927504622", "712345678904", "012345678905"}));
    EXPECT_EQ(script.log, QStringList{"input|Quorvane|Enter UPC number or numbers (use commas): "});
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(CodeListEditingTest, EveryPieceBecomesAnItemEvenAnEmptyOne)
{
    EXPECT_EQ(typed("012345678905,"), QStringList({"012345678905", ""}));
    host.codes.Clear();
    EXPECT_EQ(typed(", ,a,,"), QStringList({"", "", "a", "", ""}));
}

TEST_F(CodeListEditingTest, HyphensInnerBlanksAndTabsStay)
{
    EXPECT_EQ(typed("  0-12345-67890-5 , 0 12345 67890 5,\t712345678904 "),
              QStringList({"0-12345-67890-5", "0 12345 67890 5", "\t712345678904"}));
}

TEST_F(CodeListEditingTest, CancelOrAnEmptyEntryAddsNothing)
{
    CodeListEditing::addTypedCodes(host); // no answer: Cancel
    EXPECT_EQ(typed(""), QStringList());
    EXPECT_EQ(script.logged("input").size(), 2);
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(CodeListEditingTest, TypedCodesAreAppendedAfterTheOnesThere)
{
    fill(host.codes, {"first"});
    EXPECT_EQ(typed("second,first"), QStringList({"first", "second", "first"}));
}

TEST_F(CodeListEditingTest, SamplesAreAppendedAtEveryClick)
{
    CodeListEditing::addSampleCodes(host);
    EXPECT_EQ(itemsOf(host.codes), Samples);
    CodeListEditing::addSampleCodes(host);
    EXPECT_EQ(itemsOf(host.codes), Samples + Samples);
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(CodeListEditingTest, ClearListEmptiesOnlyTheCodeListWithoutAsking)
{
    fill(host.codes, Samples);
    fill(host.valid, {"801927504622"});
    fill(host.invalid, {"279347895943"});
    CodeListEditing::clearCodeList(host);
    EXPECT_EQ(host.codes.ItemCount(), 0);
    EXPECT_EQ(itemsOf(host.valid), QStringList({"801927504622"}));
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"279347895943"}));
    EXPECT_TRUE(script.log.isEmpty());
    CodeListEditing::clearCodeList(host); // an empty list stays empty
    EXPECT_EQ(host.codes.ItemCount(), 0);
}

TEST_F(CodeListEditingTest, EachListsMenuOffersWhatTheListAndItsSelectionAllow)
{
    fill(host.codes, {"801927504622"});
    fill(host.valid, {"801927504622"});
    fill(host.invalid, {"801927504623", "12345", "0-12345-67890-5x"});
    const QString wrongDigit = CodeReason::Explain(QStringLiteral("801927504623")).reason;
    const QString tooShort = CodeReason::Explain(QStringLiteral("12345")).reason;
    ASSERT_FALSE(wrongDigit.isEmpty());
    ASSERT_FALSE(tooShort.isEmpty());

    const QString load = u"Load Codes From Spreadsheet File\u2026"_s;
    const QString once = "(Remove Duplicate Codes)"; // one code cannot be there twice
    EXPECT_EQ(menu(host.codes, 1), QStringList({"-", "Remove", "-", "Tick All", "Untick All", "-",
                                                "Copy Code", "Paste Codes", once, load}) +
                                       Find);
    EXPECT_EQ(menu(host.codes, 0), QStringList({"-", "(Remove)", "-", "Tick All", "Untick All", "-",
                                                "(Copy Code)", "Paste Codes", once, load}) +
                                       Find);
    EXPECT_EQ(menu(host.valid, 1), QStringList({"(Number system 8: a regular item)", "-", "Remove",
                                                "-", "Tick All", "Untick All", "-", "Copy Code"}) +
                                       Save + Find);
    host.valid.Clear();
    EXPECT_EQ(menu(host.valid, 0), QStringList({"-", "(Remove)", "-", "(Tick All)", "(Untick All)",
                                                "-", "(Copy Code)"}) +
                                       Save + Find);
    EXPECT_EQ(menu(host.invalid, 1),
              QStringList({"(" + wrongDigit + ")", "-", "Remove", "-", "Tick All", "Untick All",
                           "-", "Copy Code", "Copy Corrected Code", "Copy Reason"}) +
                  Save + Find);
    EXPECT_EQ(menu(host.invalid, 2),
              QStringList({"(" + tooShort + ")", "-", "Remove", "-", "Tick All", "Untick All", "-",
                           "Copy Code", "Copy Reason"}) +
                  Save + Find);
    EXPECT_EQ(menu(host.invalid, 0),
              QStringList({"-", "(Remove)", "-", "Tick All", "Untick All", "-", "(Copy Code)"}) +
                  Save + Find);

    // While a long action shows the busy pointer, only the copies and Find are offered.
    host.SetMousePointer(PointerMode::Hourglass);
    EXPECT_EQ(menu(host.codes, 1),
              QStringList({"-", "(Remove)", "-", "(Tick All)", "(Untick All)", "-", "Copy Code",
                           "(Paste Codes)", once, "(" + load + ")"}) +
                  Find);
    EXPECT_EQ(menu(host.invalid, 1).mid(7), QStringList({"Copy Code", "Copy Corrected Code",
                                                         "Copy Reason", "-", "(" + Save[1] + ")"}) +
                                                Find);
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(CodeListEditingTest, MenuActionsRemoveTickAndCopyButOnlyCopyWhileBusy)
{
    fill(host.invalid, {"801927504623", "12345", "x"});
    host.invalid.SetChecked(2, false);
    choose(host.invalid, 0, Action::UntickAll);
    EXPECT_EQ(ticks(host.invalid), QStringList({" ", " ", " "}));
    choose(host.invalid, 0, Action::TickAll);
    EXPECT_EQ(ticks(host.invalid), QStringList({"x", "x", "x"}));
    choose(host.invalid, 1, Action::CopyCode);
    choose(host.invalid, 1, Action::CopyCorrectedCode);
    choose(host.invalid, 2, Action::CopyCorrectedCode); // no corrected code for 5 digits
    choose(host.invalid, 2, Action::CopyReason);
    choose(host.invalid, 0, Action::CopyCode); // nothing selected
    EXPECT_EQ(script.log, QStringList({"clipboard-set|801927504623", "clipboard-set|801927504622",
                                       "clipboard-set|5 digits, UPC-A has 12"}));
    choose(host.invalid, 3, Action::Remove);
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"801927504623", "12345"}));

    script.log.clear();
    host.SetMousePointer(PointerMode::Hourglass);
    choose(host.invalid, 1, Action::Remove);
    choose(host.invalid, 1, Action::UntickAll);
    choose(host.invalid, 2, Action::CopyCode);
    script.clipboardText = "999";
    script.clipboardHasText = true;
    choose(host.codes, 0, Action::PasteCodes);
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"801927504623", "12345"}));
    EXPECT_EQ(ticks(host.invalid), QStringList({"x", "x"}));
    EXPECT_EQ(host.codes.ItemCount(), 0);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|12345"}));
}

TEST_F(CodeListEditingTest, AnotherGtinFormOffersItsUpcAAsTheCorrectedCode)
{
    fill(host.invalid, {"0012345678905", "4006381333931"});
    const QString why = CodeReason::Explain(QStringLiteral("0012345678905")).reason;
    EXPECT_TRUE(why.contains("EAN-13 form of UPC-A 012345678905"));
    EXPECT_EQ(menu(host.invalid, 1),
              QStringList({"(" + why + ")", "-", "Remove", "-", "Tick All", "Untick All", "-",
                           "Copy Code", "Copy Corrected Code", "Copy Reason"}) +
                  Save + Find);
    EXPECT_EQ(menu(host.invalid, 2).mid(7),
              QStringList({"Copy Code", "Copy Reason"}) + Save + Find); // no UPC-A form
    choose(host.invalid, 1, Action::CopyCorrectedCode);
    choose(host.invalid, 2, Action::CopyCorrectedCode);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|012345678905"}));
}

TEST_F(CodeListEditingTest, RemoveDuplicateCodesKeepsTheFirstOfEachAndSaysHowManyWent)
{
    fill(host.codes, {"012345678905", "x", "012345678905", "0-12345-67890-5", "x", "012345678905"});
    host.codes.SetChecked(2, false);
    choose(host.codes, 0, Action::RemoveDuplicates);
    EXPECT_EQ(itemsOf(host.codes), QStringList({"012345678905", "x", "0-12345-67890-5"}));
    EXPECT_EQ(ticks(host.codes), QStringList({"x", " ", "x"}));
    choose(host.codes, 0, Action::RemoveDuplicates);
    EXPECT_EQ(script.log, QStringList({"message|Quorvane|3 duplicate codes removed.",
                                       "message|Quorvane|No code is there twice."}));
}

TEST_F(CodeListEditingTest, ADamagedCodeOffersTheCodeItMostLikelyWas)
{
    fill(host.invalid, {"12345678905.0"});
    const QString why = CodeReason::Explain(QStringLiteral("12345678905.0")).reason;
    EXPECT_TRUE(why.startsWith("A number written with a decimal part")) << why.toStdString();
    EXPECT_EQ(menu(host.invalid, 1).mid(7),
              QStringList({"Copy Code", "Copy Corrected Code", "Copy Reason"}) + Save + Find);
    choose(host.invalid, 1, Action::CopyCorrectedCode);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|012345678905"}));
}

// Eleven digits name the completed code, on any list it is found in.
TEST_F(CodeListEditingTest, ElevenDigitsOfferTheCompletedCode)
{
    fill(host.codes, {"0-12345-67890"});
    const QString why = CodeReason::Explain(QStringLiteral("0-12345-67890")).reason;
    EXPECT_EQ(why, "11 digits, UPC-A has 12; check digit 5 completes it: 012345678905");
    EXPECT_EQ(menu(host.codes, 1).mid(0, 2), QStringList({"(" + why + ")", "-"}));
    EXPECT_EQ(menu(host.codes, 1).mid(7, 3),
              QStringList({"Copy Code", "Copy Corrected Code", "Copy Reason"}));
    choose(host.codes, 1, Action::CopyCorrectedCode);
    choose(host.codes, 1, Action::CopyReason);
    EXPECT_EQ(script.log, QStringList({"clipboard-set|012345678905", "clipboard-set|" + why}));
}

TEST_F(CodeListEditingTest, EachListsCountSaysHowManyCodesAndHowManyTicked)
{
    const struct
    {
        qsizetype codes, unticked;
        const char* line;
    } cases[] = {
        {0, 0, "0 codes, 0 ticked"},
        {1, 0, "1 code, 1 ticked"},
        {2, 1, "2 codes, 1 ticked"},
        {200'000, 2, "200,000 codes, 199,998 ticked"},
    };
    for (const auto& c : cases) {
        host.valid.Clear();
        for (qsizetype i = 0; i < c.codes; ++i)
            host.valid.AppendItem(QStringLiteral("012345678905"));
        for (qsizetype i = 1; i <= c.unticked; ++i)
            host.valid.SetChecked(i, false);
        EXPECT_EQ(CodeListEditing::countLine(host.valid), c.line);
    }
}

TEST_F(CodeListEditingTest, CtrlVShiftInsertAndTheMenuPasteTheClipboardsCodesIntoTheCodeListOnly)
{
    fill(host.codes, {"kept"});
    fill(host.valid, {"v"});
    script.clipboardText = "801927504622\r\n012345678905, 712345678904\r\n";
    script.clipboardHasText = true;
    CodeListEditing::listKeyDown(host, host.codes, 1, 'V', 2);
    CodeListEditing::listKeyDown(host, host.codes, 0, CodeListEditing::InsertKeyCode, 1);
    CodeListEditing::listKeyDown(host, host.codes, 0, 'V', 0);     // V alone
    CodeListEditing::listKeyDown(host, host.codes, 0, 'V', 2 | 4); // Ctrl+Alt+V
    CodeListEditing::listKeyDown(host, host.valid, 1, 'V', 2);     // another list
    choose(host.valid, 1, Action::PasteCodes);
    choose(host.codes, 1, Action::PasteCodes);
    const QStringList pasted = {"801927504622", "012345678905", "712345678904"};
    EXPECT_EQ(itemsOf(host.codes), QStringList({"kept"}) + pasted + pasted + pasted);
    EXPECT_EQ(itemsOf(host.valid), QStringList({"v"}));

    // A clipboard without text, or one that cannot be had, adds nothing.
    script.clipboardHasText = false;
    CodeListEditing::pasteCodes(host);
    script.clipboardFailures = -1;
    CodeListEditing::pasteCodes(host);
    EXPECT_EQ(host.codes.ItemCount(), 10);
    EXPECT_TRUE(script.errors().isEmpty());

    CodeListEditing::addDroppedText(host, u"a,b\nc");
    EXPECT_EQ(itemsOf(host.codes).mid(10), QStringList({"a", "b", "c"}));
}

} // namespace
