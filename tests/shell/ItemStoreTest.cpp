#include "shell/ItemStore.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// What a store should hold, kept the plain way.
struct Item
{
    QString text;
    QStringList subItems;
    bool checked = true;
};

// Compares everything the store shows of every item with the plain list,
// reading the texts both one by one and through the iteration.
void expectHolds(const ItemStore& store, const std::vector<Item>& items)
{
    ASSERT_EQ(store.count(), qsizetype(items.size()));
    EXPECT_EQ(store.isEmpty(), items.empty());
    qsizetype i = 0;
    for (QStringView text : store.texts()) {
        ASSERT_LT(i, store.count());
        EXPECT_EQ(text.toString(), items[size_t(i)].text) << "item " << i << " iterated";
        ++i;
    }
    EXPECT_EQ(i, store.count());
    for (i = 0; i < store.count(); ++i) {
        const Item& item = items[size_t(i)];
        EXPECT_EQ(store.text(i).toString(), item.text) << "item " << i;
        EXPECT_EQ(store.checked(i), item.checked) << "item " << i;
        EXPECT_EQ(store.subItems(i), item.subItems) << "item " << i;
        for (qsizetype c = 0; c <= item.subItems.size(); ++c)
            EXPECT_EQ(store.subItem(i, c), item.subItems.value(c)) << "item " << i << " col " << c;
    }
}

const QString nul(1, QChar(0));

// Texts that an offset mistake would show: different lengths, nothing at
// all, NUL characters, surrogate pairs and a lone surrogate, a long one.
QStringList awkwardTexts()
{
    return {"801927504622",
            "",
            nul,
            "a" + nul + "b" + nul,
            "",
            QStringLiteral("\U0001F600 \u00e9"),
            QString(1, QChar(0xD800)),
            QString(70000, 'x') + "end",
            "712345678904",
            ""};
}

void fill(ItemStore& store, std::vector<Item>& items, const QStringList& texts)
{
    for (const QString& t : texts) {
        store.append(t);
        items.push_back({t, {}, true});
    }
}

TEST(ItemStore, RemovingAnyItemKeepsTheOthersWhole)
{
    // Every position: the start, the middle, the end, next to empty texts.
    const QStringList texts = awkwardTexts();
    for (qsizetype at = 0; at < texts.size(); ++at) {
        SCOPED_TRACE(at);
        ItemStore store;
        std::vector<Item> items;
        fill(store, items, texts);
        store.remove(at);
        items.erase(items.begin() + at);
        expectHolds(store, items);
        // Appending after a removal lands after the last remaining text.
        store.append(u"after");
        items.push_back({"after", {}, true});
        expectHolds(store, items);
    }

    // Emptied from the front and from the back, then used again.
    for (const bool fromFront : {true, false}) {
        ItemStore store;
        std::vector<Item> items;
        fill(store, items, texts);
        while (!items.empty()) {
            const qsizetype at = fromFront ? 0 : qsizetype(items.size()) - 1;
            store.remove(at);
            items.erase(items.begin() + at);
            expectHolds(store, items);
        }
        fill(store, items, {"", "again"});
        expectHolds(store, items);
    }
}

TEST(ItemStore, CheckedStatesMoveDownWithTheirItemsAcrossWords)
{
    // Removals at, just before and just after the 64-item words' edges.
    for (const qsizetype at : {0, 1, 62, 63, 64, 65, 127, 128, 129, 191, 192}) {
        SCOPED_TRACE(at);
        ItemStore store;
        std::vector<Item> items;
        for (int i = 0; i < 193; ++i) {
            const QString text = QString::number(i);
            const bool checked = (i % 3 == 0) || i == 64 || i == 128;
            store.append(text);
            store.setChecked(i, checked);
            items.push_back({text, {}, checked});
        }
        store.remove(at);
        items.erase(items.begin() + at);
        expectHolds(store, items);
        // A new item after the shift is checked, the ones before untouched.
        store.append(u"new");
        items.push_back({"new", {}, true});
        expectHolds(store, items);
    }

    // Counts falling to and through a word's edge, item by item.
    ItemStore store;
    std::vector<Item> items;
    for (int i = 0; i < 130; ++i) {
        store.append(QString::number(i));
        store.setChecked(i, i % 2 == 1);
        items.push_back({QString::number(i), {}, i % 2 == 1});
    }
    for (int round = 0; round < 70; ++round) {
        const qsizetype at = qsizetype(items.size()) / 2;
        store.remove(at);
        items.erase(items.begin() + at);
        expectHolds(store, items);
    }
}

TEST(ItemStore, TickingAllReachesEveryItemAndNewItemsComeChecked)
{
    for (const int n : {0, 1, 63, 64, 65, 128, 130}) {
        SCOPED_TRACE(n);
        ItemStore store;
        std::vector<Item> items;
        for (int i = 0; i < n; ++i) {
            store.append(u"c");
            items.push_back({"c", {}, true});
        }
        store.setAllChecked(false);
        for (Item& item : items)
            item.checked = false;
        expectHolds(store, items);

        // Unticked all, then the last removed: a new item in its place is
        // checked, the others stay unticked.
        if (n > 0) {
            store.remove(n - 1);
            items.pop_back();
        }
        store.append(u"new");
        items.push_back({"new", {}, true});
        expectHolds(store, items);

        store.setChecked(0, false);
        store.setAllChecked(true);
        for (Item& item : items)
            item.checked = true;
        expectHolds(store, items);
    }
}

TEST(ItemStore, LaterColumnsFollowTheirItem)
{
    ItemStore store;
    std::vector<Item> items;
    for (int i = 0; i < 10; ++i) {
        const QString text = QString::number(i);
        QStringList subItems;
        if (i == 2 || i == 5 || i == 9)
            subItems = {"Valid " + text, "", "third " + text};
        store.append(text, subItems);
        items.push_back({text, subItems, true});
    }
    EXPECT_TRUE(store.hasSubItems());
    EXPECT_EQ(store.subItem(2, 2), "third 2");
    EXPECT_EQ(store.subItem(2, 3), "");
    EXPECT_EQ(store.subItem(3, 0), "");

    // An item before them, one of them, the one between, the last.
    for (const qsizetype at : {0, 3, 1, 6}) {
        SCOPED_TRACE(at);
        store.remove(at);
        items.erase(items.begin() + at);
        expectHolds(store, items);
    }
    // The item that took a removed item's place has no later columns.
    store.append(u"plain");
    items.push_back({"plain", {}, true});
    expectHolds(store, items);
    // The last item with later columns gone, none are left.
    store.remove(2);
    items.erase(items.begin() + 2);
    expectHolds(store, items);
    EXPECT_FALSE(store.hasSubItems());
}

TEST(ItemStore, TextsOfAnyContentComeBackWhole)
{
    ItemStore store;
    std::vector<Item> items;
    fill(store, items, awkwardTexts());
    const QString huge = QString(1 << 20, QChar(0x20AC));
    fill(store, items, {huge});
    expectHolds(store, items);

    // An item made from another item's own text, while the buffer grows
    // (from a small store too, whose old buffers are reused at once).
    const auto copyOwnTexts = [](ItemStore& s, std::vector<Item>& expected) {
        for (int i = 0; i < 300; ++i) {
            const qsizetype from = i % 2 == 0 ? 0 : qsizetype(expected.size()) - 1;
            s.append(s.text(from));
            expected.push_back({expected[size_t(from)].text, {}, true});
        }
        expectHolds(s, expected);
    };
    copyOwnTexts(store, items);
    ItemStore small;
    std::vector<Item> smallItems;
    fill(small, smallItems, {"801927504622"});
    copyOwnTexts(small, smallItems);
}

TEST(ItemStore, ClearGivesTheMemoryBackAndTheStoreWorksAgain)
{
    ItemStore store;
    for (int i = 0; i < 5000; ++i)
        store.append(u"801927504622", i == 0 ? QStringList{"first's column"} : QStringList{});
    store.setChecked(0, false);
    store.clear();
    EXPECT_EQ(store.bytesUsed(), 0);
    std::vector<Item> items;
    expectHolds(store, items);

    // Nothing of the old items shows through: state, column, text.
    store.append(u"x");
    store.append(u"");
    items = {{"x", {}, true}, {"", {}, true}};
    expectHolds(store, items);
    EXPECT_FALSE(store.hasSubItems());
}

TEST(ItemStore, ManyAtOnceEqualsOneByOneAndStaysSmall)
{
    // A batch onto a store whose count is not a word's multiple.
    QStringList codes;
    for (int i = 0; i < 100000; ++i)
        codes.append(QStringLiteral("%1").arg(i, 12, 10, QChar('0')));
    ItemStore many;
    ItemStore single;
    for (ItemStore* s : {&many, &single}) {
        s->append(u"a");
        s->append(u"");
        s->append(u"c");
        s->setChecked(1, false);
    }
    many.appendMany(codes);
    many.appendMany(QStringList{});
    for (const QString& code : codes)
        single.append(code);
    std::vector<Item> items = {{"a", {}, true}, {"", {}, false}, {"c", {}, true}};
    for (const QString& code : codes)
        items.push_back({code, {}, true});
    expectHolds(many, items);
    expectHolds(single, items);

    // About 32 bytes a 12-character code, with room to grow.
    EXPECT_LT(double(single.bytesUsed()) / double(single.count()), 50.0);
    ItemStore reserved;
    reserved.reserve(codes.size(), codes.size() * 12);
    reserved.appendMany(codes);
    EXPECT_LT(double(reserved.bytesUsed()) / double(reserved.count()), 33.0);
}

TEST(ItemStore, RandomEditsMatchAPlainList)
{
    std::mt19937 random(13);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    QStringList texts = awkwardTexts();
    texts[7] = QString(300, 'y');
    ItemStore store;
    std::vector<Item> items;
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        const int n = int(items.size());
        switch (pick(n > 0 ? 8 : 3)) {
        case 0: {
            const QString t = texts.at(pick(int(texts.size())));
            store.append(t);
            items.push_back({t, {}, true});
            break;
        }
        case 1: {
            const QStringList subItems =
                pick(2) ? QStringList{"v", QString::number(step)} : QStringList{nul};
            const QString t = QString::number(step);
            store.append(t, subItems);
            items.push_back({t, subItems, true});
            break;
        }
        case 2: {
            QStringList batch;
            for (int k = pick(70); k > 0; --k)
                batch.append(texts.at(pick(int(texts.size()))));
            store.appendMany(batch);
            for (const QString& t : batch)
                items.push_back({t, {}, true});
            break;
        }
        case 3:
        case 4: {
            const int at = pick(n);
            store.remove(at);
            items.erase(items.begin() + at);
            break;
        }
        case 5: {
            const int at = pick(n);
            const bool checked = pick(2);
            store.setChecked(at, checked);
            items[size_t(at)].checked = checked;
            break;
        }
        case 6: {
            const bool checked = pick(2);
            store.setAllChecked(checked);
            for (Item& item : items)
                item.checked = checked;
            break;
        }
        case 7:
            if (pick(40) == 0) {
                store.clear();
                items.clear();
            }
            break;
        }
        expectHolds(store, items);
        if (testing::Test::HasFailure())
            return;
    }
}

} // namespace
