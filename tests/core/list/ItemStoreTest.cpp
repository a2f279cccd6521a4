#include "core/list/ItemStore.h"

#include "core/list/Duplicates.h"
#include "support/QtPrinters.h"

#include <algorithm>
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
    qsizetype i = 0;
    for (HeldText text : store.texts()) {
        ASSERT_LT(i, store.count());
        EXPECT_EQ(text.toString(), items[size_t(i)].text) << "item " << i << " iterated";
        ++i;
    }
    EXPECT_EQ(i, store.count());
    EXPECT_EQ(store.checkedCount(), std::ranges::count(items, true, &Item::checked));
    for (i = 0; i < store.count(); ++i) {
        const Item& item = items[size_t(i)];
        EXPECT_EQ(store.text(i).toString(), item.text) << "item " << i;
        // Held in one byte a character exactly when every character fits.
        const bool latin1 = std::all_of(item.text.begin(), item.text.end(),
                                        [](QChar c) { return c.unicode() < 0x100; });
        EXPECT_EQ(store.text(i).isLatin1(), latin1) << "item " << i;
        EXPECT_EQ(store.wide(i), !latin1) << "item " << i;
        EXPECT_EQ(store.checked(i), item.checked) << "item " << i;
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

// Latin-1 and UTF-16 items side by side, of odd and even lengths, so that a
// removal moves UTF-16 texts by an odd number of bytes: every operation, in
// the order of each row, keeps every item's text, state and form.
TEST(ItemStore, LatinAndWideItemsMixedKeepEveryOperation)
{
    const QStringList mixed = {"801927504622",
                               "\u00e9",
                               "\u20ac",
                               "abc",
                               "\u0100\u00ff",
                               "",
                               QString(1, QChar(0xDC00)),
                               "\u00ff",
                               "x\U0001F600",
                               nul + "y"};
    enum Op
    {
        RemoveFirst,
        RemoveSecond,
        RemoveLast,
        Untick,
        AppendOwnLatin,
        AppendOwnWide,
        AppendHeld,
    };
    const std::vector<std::vector<Op>> rows = {
        {RemoveFirst, RemoveFirst, RemoveFirst},
        {RemoveSecond, RemoveSecond, AppendOwnWide, RemoveSecond},
        {Untick, RemoveLast, AppendOwnLatin, RemoveFirst, Untick},
        {AppendHeld, RemoveSecond, AppendOwnWide, RemoveFirst, RemoveLast},
    };
    for (size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(r);
        ItemStore store;
        std::vector<Item> items;
        store.appendMany(mixed);
        for (const QString& t : mixed)
            items.push_back({t, {}, true});
        for (const Op op : rows[r]) {
            const qsizetype last = store.count() - 1;
            const qsizetype firstWide =
                std::find_if(items.begin(), items.end(),
                             [](const Item& i) { return !QtPrivate::isLatin1(i.text); }) -
                items.begin();
            switch (op) {
            case RemoveFirst:
            case RemoveSecond:
            case RemoveLast: {
                const qsizetype at = op == RemoveFirst ? 0 : op == RemoveSecond ? 1 : last;
                store.remove(at);
                items.erase(items.begin() + at);
                break;
            }
            case Untick:
                store.setChecked(last, false);
                items[size_t(last)].checked = false;
                break;
            case AppendOwnLatin:
            case AppendOwnWide: {
                const qsizetype from = op == AppendOwnLatin ? 0 : firstWide;
                store.append(store.text(from));
                items.push_back({items[size_t(from)].text, {}, true});
                break;
            }
            case AppendHeld: {
                std::vector<HeldText> held;
                for (const HeldText t : store.texts())
                    held.push_back(t);
                ItemStore copy;
                copy.appendMany(held);
                expectHolds(copy, items);
                break;
            }
            }
            expectHolds(store, items);
        }
    }
}

TEST(ItemStore, ClearGivesTheMemoryBackAndTheStoreWorksAgain)
{
    ItemStore store;
    for (int i = 0; i < 5000; ++i)
        store.append(u"801927504622", i == 0 ? QStringList{"first's column"} : QStringList{});
    store.setChecked(0, false);
    store.clear();
    std::vector<Item> items;
    expectHolds(store, items);

    // Nothing of the old items shows through: state, column, text.
    store.append(u"x");
    store.append(u"");
    items = {{"x", {}, true}, {"", {}, true}};
    expectHolds(store, items);
}

TEST(ItemStore, ManyAtOnceEqualsOneByOne)
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
            const QString& t = texts.at(pick(int(texts.size())));
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
            } else if (pick(10) == 0) {
                // Duplicates go, the first of each text staying where it was;
                // a stream of the same texts finds the same firsts.
                const std::vector<bool> first = Duplicates::FirstOfEach(store);
                Duplicates::SeenTexts seen;
                for (qsizetype k = 0; k < store.count(); ++k)
                    ASSERT_EQ(seen.add(store.text(k)), first[size_t(k)]) << k;
                store.keepOnly(first);
                std::vector<Item> firsts;
                for (const Item& item : items)
                    if (std::none_of(firsts.begin(), firsts.end(),
                                     [&](const Item& f) { return f.text == item.text; }))
                        firsts.push_back(item);
                items = firsts;
            }
            break;
        }
        expectHolds(store, items);
        if (testing::Test::HasFailure())
            return;
    }
}

} // namespace
