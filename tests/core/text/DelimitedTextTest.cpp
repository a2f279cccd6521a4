#include "core/text/DelimitedText.h"

#include "core/base/Failure.h"
#include "core/text/CodeColumn.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// A file's records, each as its first line and fields joined by "|", or the
// failure's description.
QStringList recordsOf(const QString& path, qsizetype longest = 0)
{
    QStringList shown;
    DelimitedText::Options options;
    options.separator = DelimitedText::separatorForName(path);
    options.longestField = longest;
    try {
        DelimitedText::readRecords(
            path, options, [&shown](const QStringList& fields, quint64 line) {
                shown.append(QString::number(line) + u':' + fields.join(u'|'));
            });
    } catch (const Failure& failure) {
        shown.append(failure.description());
    }
    return shown;
}

struct ReaderCase
{
    const char* name;
    QByteArray bytes;
    QStringList records;
    const char* file = "codes.csv";
    qsizetype longest = 0;
};

TEST(DelimitedTextTest, ReadsRecordsAsSpreadsheetsWriteThem)
{
    const ReaderCase cases[] = {
        {"plain, final line end adds no record", "a,b\n1,2\n", {"1:a|b", "2:1|2"}},
        {"CR LF and CR", "a,b\r\n1,2\r3,4", {"1:a|b", "2:1|2", "3:3|4"}},
        {"quotes, doubled quotes, separator inside",
         "\"x,y\",\"say \"\"hi\"\"\",\"\"\n",
         {u"1:x,y|say \"hi\"|"_s}},
        {"line ends inside quotes, empty lines between records",
         "\"a\r\nb\",\"c\n\nd\"\n\n2,3\n",
         {"1:a\nb|c\n\nd", "6:2|3"}},
        {"quote inside an unquoted field and after a closing one",
         "ab\"c,\"d\"e\n",
         {"1:ab\"c|de"}},
        {"semicolon sniffed from the first record",
         "Code;Price\n012345678905;1,50\n",
         {"1:Code|Price", "2:012345678905|1,50"}},
        {"TAB sniffed; commas inside quotes do not count",
         "\"a,b,c\"\tx\n1\t2\n",
         {"1:a,b,c|x", "2:1|2"}},
        {"TAB for .tsv whatever the text", "a,b\tc\n", {"1:a,b|c"}, "codes.tsv"},
        {"UTF-8 with its byte-order mark", "\xEF\xBB\xBF\xC3\xA9,1\n", {u"1:é|1"_s}},
        {"Windows-1252 when not UTF-8", "\xE9\x80,1\n", {u"1:é€|1"_s}},
        {"unclosed quote names its record's first line",
         "a\n\"b,\nc\n",
         {"1:a", "line 2: a quoted field is not closed"}},
        {"field beyond the bound names its record's first line",
         "a\n\"12\n34\"\n",
         {"1:a", "line 2 is longer than 4 characters"},
         "codes.csv",
         4},
    };
    TempFolder folder;
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(recordsOf(folder.write(QLatin1String(c.file), c.bytes), c.longest), c.records);
    }
}

TEST(DelimitedTextTest, FirstRecordsStopsEarly)
{
    TempFolder folder;
    const QString path = folder.write(u"many.csv"_s, "1\n2\n3\n\"4\n");
    const std::vector<QStringList> rows = DelimitedText::firstRecords(path, {}, 2);
    EXPECT_EQ(rows, (std::vector<QStringList>{{"1"}, {"2"}}));
}

// A wide record keeps its first fields only, its quoted ones past them read
// whole, and lets the window run every 1024 of its fields.
TEST(DelimitedTextTest, KeepsTheFirstFieldsAndTurnsWithinAWideRecord)
{
    TempFolder folder;
    QByteArray bytes = "a,b,\"c\n,d\"";
    for (int i = 3; i < 3000; ++i)
        bytes += ",x";
    bytes += "\ne,f\n";
    DelimitedText::Options options;
    options.keptFields = 2;
    int turns = 0;
    options.betweenPieces = [&turns] { ++turns; };
    std::vector<QStringList> records;
    DelimitedText::readRecords(
        folder.write(u"wide.csv"_s, bytes), options,
        [&records](const QStringList& fields, quint64) { records.push_back(fields); });
    EXPECT_EQ(records, (std::vector<QStringList>{{"a", "b"}, {"e", "f"}}));
    EXPECT_EQ(turns, 2);
}

TEST(CodeColumnTest, GuessesTheColumnOfCodesAndItsHeader)
{
    struct Case
    {
        const char* name;
        std::vector<QStringList> rows;
        std::optional<int> column;
        bool header;
    };
    const Case cases[] = {
        {"codes in B under a header",
         {{"Name", "UPC"}, {"Tea", "0-12345-67890-5"}, {"Jam", "712345678904"}},
         1,
         true},
        {"no header", {{"x", "012345678905"}, {"y", "712345678904"}}, 1, false},
        {"the column with more codes wins",
         {{"1234567890", "012345678905"}, {"", "712345678904"}},
         1,
         false},
        {"one row of codes", {{"abc", "012345678905"}}, 1, false},
        {"nothing like a code", {{"a", "b"}, {"1", "22"}}, std::nullopt, false},
        {"an empty table", {}, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CodeColumn::Guess> guess = CodeColumn::guess(c.rows);
        ASSERT_EQ(guess.has_value(), c.column.has_value());
        if (guess) {
            EXPECT_EQ(guess->column, *c.column);
            EXPECT_EQ(guess->header, c.header);
        }
    }
}

TEST(CodeColumnTest, NamesColumnsByNumberLetterOrHeader)
{
    EXPECT_EQ(CodeColumn::letters(0), u"A"_s);
    EXPECT_EQ(CodeColumn::letters(25), u"Z"_s);
    EXPECT_EQ(CodeColumn::letters(26), u"AA"_s);
    EXPECT_EQ(CodeColumn::letters(701), u"ZZ"_s);
    EXPECT_EQ(CodeColumn::letters(702), u"AAA"_s);

    const QStringList header = {"Name", " UPC ", "B"};
    struct Case
    {
        const char* name;
        std::optional<int> column;
        bool byHeader;
    };
    const Case cases[] = {{"2", 1, false},
                          {"upc", 1, true},
                          {"b", 2, true},
                          {"c", 2, false},
                          {"aa", 26, false},
                          {"0", std::nullopt, false},
                          {"Price", std::nullopt, false},
                          {"", std::nullopt, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool byHeader = true;
        EXPECT_EQ(CodeColumn::named(QLatin1String(c.name), header, &byHeader), c.column);
        EXPECT_EQ(byHeader, c.byHeader);
    }
}

} // namespace
