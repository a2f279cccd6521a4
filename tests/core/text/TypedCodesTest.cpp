#include "core/text/TypedCodes.h"

#include "core/files/FilePath.h"
#include "core/text/PastedCodes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(TypedCodes, SplitsAtEveryCommaKeepingEmptyPieces)
{
    EXPECT_EQ(TypedCodes::split("801927504622"), QStringList({"801927504622"}));
    EXPECT_EQ(TypedCodes::split("a, b,c"), QStringList({"a", " b", "c"}));
    EXPECT_EQ(TypedCodes::split("a,"), QStringList({"a", ""}));
    EXPECT_EQ(TypedCodes::split(",a,,b,"), QStringList({"", "a", "", "b", ""}));
    EXPECT_EQ(TypedCodes::split(" "), QStringList({" "}));
    EXPECT_EQ(TypedCodes::split(QStringLiteral("a\uFF0Cb;c")), QStringList({"a\uFF0Cb;c"}));
}

TEST(TypedCodes, TrimsBlanksOnly)
{
    EXPECT_EQ(TypedCodes::trimBlanks("  012345678905   "), "012345678905");
    EXPECT_EQ(TypedCodes::trimBlanks(" 0-12345 67890-5 "), "0-12345 67890-5");
    EXPECT_EQ(TypedCodes::trimBlanks("\t012345678905 \t"), "\t012345678905 \t");
    EXPECT_EQ(TypedCodes::trimBlanks(QStringLiteral("\u00A0a\u00A0")), "\u00A0a\u00A0");
    EXPECT_EQ(TypedCodes::trimBlanks("   "), "");
    EXPECT_EQ(TypedCodes::trimBlanks(""), "");
}

TEST(PastedCodes, OneCodePerLineAndPieceWithEmptyPiecesSkipped)
{
    const QStringList column = {"801927504622", "012345678905", "712345678904"};
    const std::pair<QString, QStringList> cases[] = {
        // A column copied from a spreadsheet, with the line ends of each desktop.
        {"801927504622\n012345678905\n712345678904\n", column},
        {"801927504622\r\n012345678905\r\n712345678904\r\n", column},
        {"801927504622\r012345678905\r712345678904", column},
        {"801927504622\r\n\r\n\n012345678905\n\r712345678904\n\n", column},
        // Commas and blanks as in the input box; empty pieces count for nothing.
        {" 801927504622 ,, 012345678905,\n ,712345678904 , ", column},
        {"", {}},
        {" , \r\n ", {}},
        // Cells of a row copied from a spreadsheet: a TAB separates as a comma
        // does, and a trailing TAB adds nothing; blanks inside stay.
        {"801927504622\t012345678905\t\n712345678904\t\n", column},
        {"0 12345 67890 5\t\n\t712345678904", {"0 12345 67890 5", "712345678904"}},
    };
    for (const auto& [text, codes] : cases) {
        QStringList taken;
        PastedCodes::forEachCode(text, [&taken](QString&& code) { taken.append(code); });
        EXPECT_EQ(taken, codes) << text.toStdString();
    }
}

TEST(FilePath, CollapsesDoubledSlashesOnThisPlatform)
{
    // A file picked in the root folder: the folder "/" already ends in one.
    EXPECT_EQ(FilePath::collapseDoubledSeparators("//codes.txt"), "/codes.txt");
    EXPECT_EQ(FilePath::collapseDoubledSeparators("/home/ann//codes.txt"), "/home/ann/codes.txt");
    // One pass over pairs that do not overlap.
    EXPECT_EQ(FilePath::collapseDoubledSeparators("/a///b"), "/a//b");
    EXPECT_EQ(FilePath::collapseDoubledSeparators("/a////b"), "/a//b");
    // A leading run becomes one separator: no network paths here.
    EXPECT_EQ(FilePath::collapseDoubledSeparators("////srv//x"), "/srv/x");
    EXPECT_EQ(FilePath::collapseDoubledSeparators("a//b"), "a/b");
    EXPECT_EQ(FilePath::collapseDoubledSeparators("//"), "/");
    EXPECT_EQ(FilePath::collapseDoubledSeparators(""), "");
    // A backslash is an ordinary character of a file name.
    EXPECT_EQ(FilePath::collapseDoubledSeparators("/tmp/a\\\\b.txt"), "/tmp/a\\\\b.txt");
}

TEST(FilePath, KeepsTwoLeadingSeparatorsWhereNetworkPathsHaveThem)
{
    const auto fix = [](const QString& path) {
        return FilePath::collapseDoubledSeparators(path, QLatin1Char('\\'), true);
    };
    EXPECT_EQ(fix("C:\\\\codes.txt"), "C:\\codes.txt");
    EXPECT_EQ(fix("C:\\a\\\\\\b"), "C:\\a\\\\b");
    EXPECT_EQ(fix("\\\\server\\share\\\\x.txt"), "\\\\server\\share\\x.txt");
    EXPECT_EQ(fix("\\x"), "\\\\x");
    EXPECT_EQ(fix("\\\\\\\\x"), "\\\\x");
    EXPECT_EQ(fix("C:/a//b"), "C:/a//b");
}

} // namespace
