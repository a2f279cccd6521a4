#include "input/TypedCodes.h"

#include "input/FilePath.h"
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

TEST(FixDoubleBackslashes, CollapsesDoubledSlashesOnThisPlatform)
{
    // A file picked in the root folder: the folder "/" already ends in one.
    EXPECT_EQ(Main::FixDoubleBackslashes("//codes.txt"), "/codes.txt");
    EXPECT_EQ(Main::FixDoubleBackslashes("/home/ann//codes.txt"), "/home/ann/codes.txt");
    // One pass over pairs that do not overlap.
    EXPECT_EQ(Main::FixDoubleBackslashes("/a///b"), "/a//b");
    EXPECT_EQ(Main::FixDoubleBackslashes("/a////b"), "/a//b");
    // A leading run becomes one separator: no network paths here.
    EXPECT_EQ(Main::FixDoubleBackslashes("////srv//x"), "/srv/x");
    EXPECT_EQ(Main::FixDoubleBackslashes("a//b"), "a/b");
    EXPECT_EQ(Main::FixDoubleBackslashes("//"), "/");
    EXPECT_EQ(Main::FixDoubleBackslashes(""), "");
    // A backslash is an ordinary character of a file name.
    EXPECT_EQ(Main::FixDoubleBackslashes("/tmp/a\\\\b.txt"), "/tmp/a\\\\b.txt");
}

TEST(FixDoubleBackslashes, KeepsTwoLeadingSeparatorsWhereNetworkPathsHaveThem)
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
