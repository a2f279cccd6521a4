#include "gui/ListView.h"

#include "core/base/Failure.h"
#include "support/ListItems.h"
#include "support/QtPrinters.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString description(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

TEST(ListView, ItemsAreNumberedFromOneAndAppendedAtTheEnd)
{
    ListView list;
    list.model().AddColumnHeader("UPC Codes");
    EXPECT_EQ(list.model().ColumnCount(), 1);
    EXPECT_EQ(list.model().HeaderText(1), "UPC Codes");
    EXPECT_EQ(list.ItemCount(), 0);
    list.AppendItem("a");
    list.AppendItem("");
    list.AppendItem("a");
    EXPECT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.model().ItemText(1), "a");
    EXPECT_EQ(list.model().ItemText(2), "");
    EXPECT_EQ(list.model().ItemText(3), "a");
    EXPECT_TRUE(list.model().Checked(3)); // appended items start checked
}

TEST(ListView, ReadingAnItemThatDoesNotExistFails)
{
    ListView list;
    list.model().AddColumnHeader("h");
    EXPECT_EQ(description([&] { list.model().ItemText(1); }), "Index out of bounds");
    list.AppendItem("x");
    EXPECT_EQ(description([&] { list.model().ItemText(0); }), "Index out of bounds");
    EXPECT_EQ(description([&] { list.model().ItemText(2); }), "Index out of bounds");
    EXPECT_EQ(description([&] { list.model().Checked(2); }), "Index out of bounds");
    EXPECT_EQ(description([&] { list.model().RemoveItem(2); }), "Index out of bounds");
    EXPECT_EQ(description([&] { list.model().HeaderText(2); }), "Index out of bounds");
    EXPECT_EQ(description([&] { list.SetColumnWidth(2, 100); }), "Index out of bounds");
}

// ItemText is the item's text as a string of its own: a feature that yields
// between reading and using it keeps the text whatever the list does
// meanwhile. Ticking all reaches every item and tells the view.
TEST(ListView, ItemTextOutlivesChangesAndTickingAllReachesTheView)
{
    ListView list;
    list.model().AddColumnHeader("h");
    list.AppendItem("first");
    list.AppendItem("second");
    const QString first = list.model().ItemText(1);
    const QString second = list.model().ItemText(2);
    list.model().RemoveItem(1);
    for (int i = 0; i < 5000; ++i) // the buffer moves as it grows
        list.AppendItem("0123456789");
    list.Clear();
    list.AppendItem("other");
    EXPECT_EQ(first, "first");
    EXPECT_EQ(second, "second");
    EXPECT_EQ(description([&] { list.model().HeldTextAt(2); }), "Index out of bounds");

    list.AppendItem("x");
    list.Refresh();
    list.AppendItem("not shown yet");
    list.SetChecked(1, false);
    QSignalSpy changed(&list.model(), &QAbstractItemModel::dataChanged);
    list.model().SetAllChecked(false);
    EXPECT_FALSE(list.model().Checked(1) || list.model().Checked(2) || list.model().Checked(3));
    list.model().SetAllChecked(true);
    EXPECT_TRUE(list.model().Checked(1) && list.model().Checked(2) && list.model().Checked(3));
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][1].toModelIndex().row(), 1);
    EXPECT_EQ(list.model().data(list.model().index(1, 0), Qt::CheckStateRole), Qt::Checked);
}

TEST(ListView, RemovingAnItemMovesTheLaterOnesUp)
{
    ListView list;
    list.model().AddColumnHeader("h");
    for (const char* text : {"1", "2", "3", "4"})
        list.AppendItem(text);
    list.SetChecked(3, false);
    list.model().RemoveItem(2);
    ASSERT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(list.model().ItemText(1), "1");
    EXPECT_EQ(list.model().ItemText(2), "3");
    EXPECT_FALSE(list.model().Checked(2));
    EXPECT_EQ(list.model().ItemText(3), "4");
    list.Clear();
    EXPECT_EQ(list.ItemCount(), 0);
}

TEST(ListView, SubItemsAnswerEmptyWhenAbsent)
{
    ListView list;
    list.model().AddColumnHeader("a");
    list.model().AddColumnHeader("b");
    list.model().AppendItem("1", {"22"});
    list.AppendItem("3");
    EXPECT_EQ(list.model().SubItem(1, 2), "22");
    EXPECT_EQ(list.model().SubItem(2, 2), "");
    EXPECT_EQ(list.model().SubItem(2, 3), "");
}

TEST(ListView, ViewLearnsOfAppendedRowsInBatches)
{
    ListView list;
    list.model().AddColumnHeader("h");
    QSignalSpy inserts(&list.model(), &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 1000; ++i)
        list.AppendItem(QString::number(i));
    // The list's own operations see every item at once...
    EXPECT_EQ(list.ItemCount(), 1000);
    EXPECT_EQ(list.model().ItemText(1000), "999");
    // ...while the view is told once, at the next frame.
    EXPECT_EQ(list.model().rowCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.model().rowCount() == 1000; }, 2000));
    EXPECT_EQ(inserts.count(), 1);
    // Removing and clearing keep the view in step.
    list.model().RemoveItem(1);
    EXPECT_EQ(list.model().rowCount(), 999);
    list.AppendItem("late");
    list.model().RemoveItem(1000); // not yet shown
    EXPECT_EQ(list.model().rowCount(), 999);
    list.Clear();
    EXPECT_EQ(list.model().rowCount(), 0);
}

TEST(ListView, UserTicksCheckBoxes)
{
    ListView list;
    list.model().AddColumnHeader("h");
    list.AppendItem("x");
    list.Refresh();
    const QModelIndex first = list.model().index(0, 0);
    EXPECT_EQ(list.model().data(first, Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(list.model().flags(first) & Qt::ItemIsUserCheckable);
    list.model().setData(first, Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(list.model().Checked(1));
}

TEST(ListView, SelectionIsSingle)
{
    ListView list;
    list.model().AddColumnHeader("h");
    list.AppendItem("a");
    list.AppendItem("b");
    EXPECT_EQ(list.SelectedItem(), 0);
    selectItem(list, 2);
    EXPECT_EQ(list.SelectedItem(), 2);
    selectItem(list, 1);
    EXPECT_EQ(list.SelectedItem(), 1);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
}

TEST(ListView, ColumnCanBeWiderThanTheList)
{
    ListView list;
    list.resize(520, 109);
    list.model().AddColumnHeader("h");
    list.SetColumnWidth(1, 7000);
    EXPECT_EQ(list.columnWidth(0), 467); // 7000 twips
    EXPECT_EQ(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    list.setColumnWidth(0, 2000);
    EXPECT_EQ(list.columnWidth(0), 2000);
}

TEST(ListView, DeleteKeyAndDoubleClickAreReported)
{
    ListView list;
    list.model().AddColumnHeader("h");
    list.AppendItem("a");
    list.resize(300, 100);
    list.show();
    QSignalSpy keys(&list, &ListView::KeyDown);
    QSignalSpy doubleClicks(&list, &ListView::DblClick);
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_A);
    // The modifier keys are pressed first, and report their own key codes.
    ASSERT_EQ(keys.count(), 4);
    EXPECT_EQ(keys[0][0].toInt(), 16);
    EXPECT_EQ(keys[1][0].toInt(), 17);
    EXPECT_EQ(keys[2][0].toInt(), 46);
    EXPECT_EQ(keys[2][1].toInt(), 3);
    EXPECT_EQ(keys[3][0].toInt(), int('A'));
    EXPECT_EQ(keys[3][1].toInt(), 0);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(200, 80));
    EXPECT_EQ(doubleClicks.count(), 1);
}

} // namespace
