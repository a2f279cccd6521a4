#include "input/CodeListEditing.h"

#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace {

const QStringList& Samples = SampleCodes;

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
};

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

} // namespace
