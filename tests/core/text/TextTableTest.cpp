// The padded text table in both layouts, byte for byte against golden files
// (tests/data/table-<case>-<layout>.txt).
#include "core/text/TextTable.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QStringDecoder>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace {

using TextTable::Layout;

struct Row
{
    QStringList cells;
    bool checked = true;
};

struct Case
{
    const char* name;
    QStringList headers;
    std::vector<Row> rows;
};

std::vector<Case> cases()
{
    const QString longText(3000, QLatin1Char('L'));
    const QString longerUnchecked(4500, QLatin1Char('M'));
    return {
        {"one-column",
         {"Invalid Codes"},
         {{{"279347895943"}}, {{"12345"}}, {{" 7123-4567 8904 "}}, {{""}}, {{"712345678904"}}}},
        {"several-columns",
         {"A", "Second", "C"},
         {{{"1", "22"}},
          {{"333"}},
          {{"4", "5555555", "x"}, false},
          {{"", "", "tail  "}},
          {{"55", "", ""}}}},
        {"unchecked-wide",
         {" Valid Codes"},
         {{{"712345678904"}}, {{"ABCDEFGHIJKLMNOPQRST"}, false}, {{"12345"}}}},
        {"empty", {"Invalid Codes"}, {}},
        {"long-texts",
         {"Long"},
         {{{longText}},
          {{"a\tb\r\nc"}},
          {{longerUnchecked}, false},
          {{"ends in blanks" + QString(100, QLatin1Char(' '))}}}},
        {"non-ascii",
         {QStringLiteral("C\u00f3digo"), QStringLiteral("\u540d\u524d")},
         {{{QStringLiteral("caf\u00e9"), QStringLiteral("\u4e2d\u6587")}},
          {{QStringLiteral("Stra\u00dfe"), QStringLiteral("\U0001F600")}},
          {{QStringLiteral("\u00fcn\u00efc\u00f6d\u00e9 wide"), QStringLiteral("x")}, false}}},
    };
}

void fill(ItemStore& items, const Case& c)
{
    for (const Row& row : c.rows) {
        items.append(row.cells.value(0), row.cells.mid(1));
        items.setChecked(items.count() - 1, row.checked);
    }
}

QByteArray golden(const Case& c, Layout layout)
{
    return TempFolder::read(qEnvironmentVariable("QUORVANE_SOURCE_DIR") + "/tests/data/table-" +
                            c.name + (layout == Layout::File ? "-file.txt" : "-clipboard.txt"));
}

TEST(TextTable, EachTableInEachLayoutIsItsGoldenFile)
{
    for (const Case& c : cases()) {
        ItemStore items;
        fill(items, c);
        for (const Layout layout : {Layout::File, Layout::Clipboard}) {
            const QByteArray want = golden(c, layout);
            const char* name = layout == Layout::File ? "file" : "clipboard";
            QByteArray written;
            TextTable::writeTable(layout, c.headers, items,
                                  [&written](QByteArrayView block) { written += block; });
            EXPECT_EQ(written, want) << c.name << " " << name;
            // The whole text at once, as the clipboard takes it.
            EXPECT_EQ(TextTable::tableText(layout, c.headers, items),
                      QStringDecoder(QStringConverter::System).decode(want))
                << c.name << " " << name;
        }
    }
}

// With the window's paced yield, the stretches where the window does not run
// are written in one go: the same text as step by step, around every limit of
// a stretch (its items, its text, a block).
TEST(TextTable, QuietStretchesWriteWhatTheStepsWrite)
{
    // Mostly short texts; every 97th one long or past ASCII. The longest
    // text makes the column narrow or wide.
    const QStringList quick = {"712345678904", "", "ends in blanks  ", "a\tb\r\nc", "  "};
    for (const qsizetype longest : {qsizetype(40), qsizetype(3000)}) {
        const QStringList other = {QString(longest, 'L'), QStringLiteral("caf\u00e9"),
                                   QStringLiteral("\u4e2d\u6587 x")};
        const QStringList headers = {"Invalid Codes"};
        ItemStore items;
        for (int i = 0; i < 5000; ++i) {
            items.append(i % 97 == 0 ? other.at(i % 3) : quick.at(i * 7 % 23 % quick.size()));
            items.setChecked(i, i % 11 != 3);
        }
        enum class Kind
        {
            Utf8File,
            Utf16File,
            Clipboard
        };
        for (const Kind kind : {Kind::Utf8File, Kind::Utf16File, Kind::Clipboard}) {
            const Layout layout = kind == Kind::Clipboard ? Layout::Clipboard : Layout::File;
            for (const qsizetype block : {qsizetype(100), qsizetype(64) * 1024}) {
                const auto walk = [&](PacedYield& pace) {
                    TextTable::StoreSource source(headers, items);
                    const TextTable::Widths widths =
                        TextTable::measureWidths(source, layout, &pace);
                    QByteArray bytes;
                    std::optional<TextTable::TableOutput> out;
                    if (kind == Kind::Utf8File)
                        out.emplace(TextTable::ByteSink([&](QByteArrayView b) { bytes += b; }),
                                    block);
                    else
                        out.emplace();
                    TextTable::writeLines(source, layout, widths, *out, &pace);
                    if (kind != Kind::Utf8File)
                        return out->text().toUtf8();
                    out->flush();
                    return bytes;
                };
                PacedYield everyYieldPoint([] {}, 0);
                const QByteArray stepByStep = walk(everyYieldPoint);
                // A clock that stands still (the window runs once, at the
                // start), one that makes the window due every fourth look, and
                // one at every look.
                for (const qint64 tick : {qint64(0), qint64(3'000'000), qint64(10'000'000)}) {
                    qint64 now = 0;
                    int looks = 0;
                    PacedYield paced([] {}, PacedYield::DefaultIntervalNanoseconds,
                                     [&] {
                                         ++looks;
                                         return now += tick;
                                     });
                    EXPECT_EQ(walk(paced), stepByStep)
                        << longest << " " << int(kind) << " " << block << " " << tick;
                    if (tick == 0 && block > 100) { // a look a stretch, not every 16 yield points
                        EXPECT_LT(looks, 250) << int(kind) << " " << block;
                    }
                    if (tick == PacedYield::DefaultIntervalNanoseconds) {
                        EXPECT_GT(paced.yields(), 1000) << int(kind) << " " << block;
                    }
                }
            }
        }
    }
}

TEST(TextTable, FailuresPassOn)
{
    ItemStore items;
    items.append(u"712345678904");
    try {
        TextTable::writeTable(Layout::File, {" Valid Codes"}, items, [](QByteArrayView) {
            throw Failure(QStringLiteral("No space left on device"));
        });
        ADD_FAILURE() << "a refused write passed";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "No space left on device");
    }
    // A clipboard line of no cells has no TAB to drop.
    EXPECT_THROW(TextTable::tableText(Layout::Clipboard, {}, items), Failure);
}

} // namespace
