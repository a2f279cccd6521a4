#include "core/base/Failure.h"
#include "support/QtPrinters.h"
#include "support/TextTableReference.h"

#include <gtest/gtest.h>

namespace {

using TextTable::Row;
using TextTable::Table;

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

Table oneColumn(const QString& header, std::vector<Row> rows)
{
    return Table{{header}, std::move(rows)};
}

// Cells ---------------------------------------------------------------------

TEST(TextTableCell, PaddedCellGetsBlanksUpToTheWidthThenATab)
{
    QString line = "x";
    TextTable::appendPaddedCell(line, u"12345", 13);
    EXPECT_EQ(line, "x12345" + blanks(8) + "\t");
}

TEST(TextTableCell, TextAsLongAsTheWidthGetsNoBlanks)
{
    QString line;
    TextTable::appendCell(line, u"712345678904", 12);
    EXPECT_EQ(line, "712345678904\t");
    EXPECT_TRUE(TextTable::fits(12, u"712345678904"));
}

TEST(TextTableCell, TextLongerThanTheWidthIsFollowedByTheTabAlone)
{
    EXPECT_FALSE(TextTable::fits(3, u"abcd"));
    QString line;
    TextTable::appendCell(line, u"abcd", 3);
    EXPECT_EQ(line, "abcd\t");
    // Padding a text that no longer fits adds no blanks either.
    line.clear();
    TextTable::appendPaddedCell(line, u"abcd", 3);
    EXPECT_EQ(line, "abcd\t");
}

TEST(TextTableCell, EmptyTextInAnEmptyColumnIsJustATab)
{
    QString line;
    TextTable::appendCell(line, u"", 0);
    EXPECT_EQ(line, "\t");
}

TEST(TextTableCell, TabsAndLineBreaksInsideATextAreKeptAndCounted)
{
    QString line;
    TextTable::appendCell(line, u"a\tb\r\n", 6);
    EXPECT_EQ(line, "a\tb\r\n \t");
}

TEST(TextTableCell, WiderTakesTheLongerOfWidthAndText)
{
    EXPECT_EQ(TextTable::wider(0, u"abc"), 3);
    EXPECT_EQ(TextTable::wider(5, u"abc"), 5);
    EXPECT_EQ(TextTable::wider(3, u""), 3);
}

// Clipboard lines -------------------------------------------------------------

TEST(TextTableClipboardLine, DropsTheLastTabAndTrailingBlanks)
{
    QString text = "12345" + blanks(7) + "\t";
    TextTable::closeClipboardLine(text);
    EXPECT_EQ(text, "12345\r\n");
}

TEST(TextTableClipboardLine, BlankRemovalStopsAtTheTabBeforeTheLastCell)
{
    QString text = "1  \t" + blanks(5) + "\t";
    TextTable::closeClipboardLine(text);
    EXPECT_EQ(text, "1  \t\r\n");
}

TEST(TextTableClipboardLine, BlankRemovalStopsAtTheEndOfTheLineBefore)
{
    QString text = "abc\r\n" + blanks(4) + "\t";
    TextTable::closeClipboardLine(text);
    EXPECT_EQ(text, "abc\r\n\r\n");
}

TEST(TextTableClipboardLine, OnlyBlanksAreRemovedNotTabs)
{
    // A text that itself ends in a TAB keeps it: only the closing TAB goes.
    QString text = "ab\t  \t";
    TextTable::closeClipboardLine(text);
    EXPECT_EQ(text, "ab\t\r\n");
}

TEST(TextTableClipboardLine, NothingToDropFails)
{
    QString text;
    EXPECT_THROW(TextTable::closeClipboardLine(text), Failure);
}

// Whole tables ----------------------------------------------------------------

TEST(TextTableFile, EmptyListsGiveTheHeaderLineAlone)
{
    EXPECT_EQ(TextTable::fileText(oneColumn(" Valid Codes", {})), " Valid Codes\t\r\n");
    EXPECT_EQ(TextTable::fileText(oneColumn("Invalid Codes", {{{"1"}, false}, {{"22"}, false}})),
              "Invalid Codes\t\r\n");
}

TEST(TextTableFile, WidthOfTwelveEqualsTheHeaderSoNoBlanks)
{
    EXPECT_EQ(
        TextTable::fileText(oneColumn(" Valid Codes", {{{"712345678904"}}, {{"801927504622"}}})),
        " Valid Codes\t\r\n712345678904\t\r\n801927504622\t\r\n");
}

TEST(TextTableFile, HeaderWidthOfThirteenPadsShorterItems)
{
    EXPECT_EQ(TextTable::fileText(oneColumn("Invalid Codes", {{{"279347895943"}}, {{"12345"}}})),
              "Invalid Codes\t\r\n279347895943 \t\r\n12345" + blanks(8) + "\t\r\n");
}

TEST(TextTableFile, UncheckedItemStillWidensEveryLine)
{
    const QString twenty = "ABCDEFGHIJKLMNOPQRST";
    EXPECT_EQ(
        TextTable::fileText(oneColumn(" Valid Codes", {{{"712345678904"}}, {{twenty}, false}})),
        " Valid Codes" + blanks(8) + "\t\r\n712345678904" + blanks(8) + "\t\r\n");
}

TEST(TextTableFile, SeveralColumnsArePaddedEachToTheirOwnWidth)
{
    const Table table{{"A", "Second"}, {{{"1", "22"}}, {{"333"}}, {{"4", "5555555"}, false}}};
    EXPECT_EQ(TextTable::columnWidths(table, true), (std::vector<qsizetype>{3, 7}));
    EXPECT_EQ(TextTable::fileText(table), "A  \tSecond \t\r\n"
                                          "1  \t22     \t\r\n"
                                          "333\t       \t\r\n");
}

TEST(TextTableClipboard, TwoCheckedCodesGiveTwoLines)
{
    EXPECT_EQ(TextTable::clipboardText(
                  oneColumn(" Valid Codes", {{{"712345678904"}}, {{"801927504622"}}})),
              "712345678904\r\n801927504622\r\n");
}

TEST(TextTableClipboard, HeadersAreNotMeasuredAndNoBlanksSurviveAtALineEnd)
{
    const Table table =
        oneColumn("A very long header text",
                  {{{"12345"}}, {{"712345678904"}, false}, {{"typed with blanks   "}}});
    EXPECT_EQ(TextTable::columnWidths(table, false), (std::vector<qsizetype>{20}));
    EXPECT_EQ(TextTable::clipboardText(table), "12345\r\ntyped with blanks\r\n");
}

TEST(TextTableClipboard, TwoColumnsOfWidthsThreeAndTwo)
{
    const Table table{{"Codes", "More"}, {{{"1", "22"}}, {{"333", "4"}, false}}};
    EXPECT_EQ(TextTable::columnWidths(table, false), (std::vector<qsizetype>{3, 2}));
    EXPECT_EQ(TextTable::clipboardText(table), "1  \t22\r\n");
}

TEST(TextTableClipboard, AnEmptyLastCellLosesItsBlanksButNotTheTabBeforeIt)
{
    const Table table{{"A", "B"}, {{{"1", ""}}, {{"22", "333"}, false}}};
    EXPECT_EQ(TextTable::clipboardText(table), "1 \t\r\n");
}

TEST(TextTableClipboard, NoCheckedItemGivesTheEmptyText)
{
    EXPECT_EQ(TextTable::clipboardText(oneColumn("X", {{{"1"}, false}})), "");
}

} // namespace
