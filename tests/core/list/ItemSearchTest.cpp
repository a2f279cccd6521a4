#include "core/list/ItemSearch.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct MatchCase
{
    const char16_t* typed;
    const char16_t* item;
    bool matches;
};

// Typed digits match across an item's hyphens and blanks; anything else is
// found as it is, in any letter case. Items held in UTF-16 match the same way.
const MatchCase MatchCases[] = {
    {u"036000 29145", u"0-36000-29145-2", true},
    {u"036000291452", u"0-36000-29145-2", true},
    {u"0-3600", u" 036000 291452 ", true},
    {u"36000", u"036000291452", true},
    {u"036000291453", u"036000291452", false},
    {u"0360002914520", u"036000291452", false}, // longer than the item's digits
    {u"12", u"1.2", false},                     // only hyphens and blanks are left out
    {u"12", u"1\t2", false},
    {u"12", u"1\u00e92", false},
    {u"12", u"\u4e001-2", true}, // an item held in UTF-16
    {u"abc", u"12ABC4", true},
    {u"a-b", u"ab", false}, // not digits: hyphens count
    {u"1.2", u"01.25", true},
    {u"\u00e9", u"12\u00c9", true},
    {u"-", u"1-2", true},
    {u"-", u"12", false},
    {u" ", u"1 2", true},
};

TEST(ItemSearchTest, MatchesAsTheTableSays)
{
    for (const MatchCase& c : MatchCases) {
        ItemStore store;
        store.append(QStringView(c.item));
        EXPECT_EQ(ItemSearch(QStringView(c.typed)).matches(store.text(0)), c.matches)
            << QString::fromUtf16(c.typed).toStdString() << " in "
            << QString::fromUtf16(c.item).toStdString();
    }
    EXPECT_TRUE(ItemSearch(u"").isEmpty());
}

// From an item on, forward or back, round the list; the count, and how many
// matches stand before an item.
TEST(ItemSearchTest, FindsRoundTheListAndCounts)
{
    ItemStore store;
    for (int i = 0; i < 10000; ++i)
        store.append(QString::number(i % 1000 == 7 ? 123456789012 : 500000000000 + i));
    const ItemSearch search(u"1234-5678");
    int calls = 0;
    const auto goOn = [&calls] { return ++calls > 0; };
    const std::vector<std::pair<qsizetype, bool>> from = {{0, false}, {8, false}, {9999, false},
                                                          {8, true},  {6, true},  {9999, true}};
    const std::vector<qsizetype> found = {7, 1007, 7, 7, 9007, 9007};
    for (size_t k = 0; k < from.size(); ++k)
        EXPECT_EQ(search.findFrom(store, from[k].first, from[k].second, goOn), found[k]) << k;
    const auto tally = search.count(store, 3007, goOn);
    ASSERT_TRUE(tally);
    EXPECT_EQ(tally->total, 10);
    EXPECT_EQ(tally->before, 3);
    EXPECT_EQ(calls, 2); // after each 4096 items
    EXPECT_EQ(ItemSearch(u"777777").findFrom(store, 0, false, goOn), -1);
    // A goOn that answers false ends the search.
    EXPECT_EQ(ItemSearch(u"500000009999").findFrom(store, 0, false, [] { return false; }), -1);
    EXPECT_FALSE(search.count(store, 0, [] { return false; }));
}

} // namespace
