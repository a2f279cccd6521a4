// The padded text table in both layouts, byte for byte against golden files
// (tests/data/table-<case>-<layout>.txt).
#include "core/text/TextTable.h"

#include "core/base/Failure.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QBuffer>
#include <QStringDecoder>
#include <algorithm>
#include <gtest/gtest.h>

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

// Refuses every write.
class FullDevice : public QIODevice
{
public:
    FullDevice()
    {
        open(QIODevice::WriteOnly);
        setErrorString(QStringLiteral("No space left on device"));
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

TEST(TextTable, EachTableInEachLayoutIsItsGoldenFile)
{
    for (const Case& c : cases()) {
        ItemStore items;
        fill(items, c);
        for (const Layout layout : {Layout::File, Layout::Clipboard}) {
            const QByteArray want = golden(c, layout);
            const char* name = layout == Layout::File ? "file" : "clipboard";
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            TextTable::writeTable(layout, c.headers, items, buffer);
            EXPECT_EQ(buffer.data(), want) << c.name << " " << name;
            // The whole text at once, as the clipboard takes it.
            EXPECT_EQ(TextTable::tableText(layout, c.headers, items),
                      QStringDecoder(QStringConverter::System).decode(want))
                << c.name << " " << name;
        }
    }
}

// A file table of one column, all checked, is its golden file by the column
// walk as well (after the header line).
TEST(TextTable, TheColumnWalkWritesTheLinesOfAFileTable)
{
    int walked = 0;
    for (const Case& c : cases()) {
        if (c.headers.size() != 1 ||
            !std::all_of(c.rows.begin(), c.rows.end(), [](const Row& r) { return r.checked; }))
            continue;
        ItemStore items;
        fill(items, c);
        qsizetype longest = 0;
        for (qsizetype i = 0; i < items.count(); ++i)
            longest = std::max(longest, items.text(i).size());
        QByteArray lines;
        TextTable::Output out([&lines](QByteArrayView block) { lines += block; });
        TextTable::writeColumnLines(
            items.count(), [&items](qsizetype i) { return items.text(i); },
            TextTable::fileColumnWidth(c.headers.front(), longest), out);
        out.flush();
        const QByteArray want = golden(c, Layout::File);
        EXPECT_EQ(lines, want.sliced(want.indexOf("\r\n") + 2)) << c.name;
        ++walked;
    }
    EXPECT_EQ(walked, 2);
}

TEST(TextTable, FailuresPassOn)
{
    ItemStore items;
    items.append(u"712345678904");
    FullDevice full;
    try {
        TextTable::writeTable(Layout::File, {" Valid Codes"}, items, full);
        ADD_FAILURE() << "a refused write passed";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "No space left on device");
    }
    // A clipboard line of no cells has no TAB to drop.
    EXPECT_THROW(TextTable::tableText(Layout::Clipboard, {}, items), Failure);
}

} // namespace
