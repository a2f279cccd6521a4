#include "gui/FindBar.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/PushButton.h"
#include "support/GapProbe.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidgetAction>
#include <gtest/gtest.h>

// Editing the code list through the window: the selection, real keys and
// double-clicks, the busy pointer, and the list kept from one start to the next.
namespace {

const QStringList& Samples = SampleCodes;
const QString SaveAsSpreadsheetFile = QStringLiteral("Save As Spreadsheet File\u2026");
const QString Find = QStringLiteral("Find\u2026");

class ListEditingWindowTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    std::unique_ptr<Form1> form = script.loadForm();

    QStringList typed(const QString& text)
    {
        script.inputAnswers.enqueue(text);
        form->PushButton6->click();
        return itemsOf(form->ListView1);
    }

    // Presses the key on the list; in the menu that opens, chooses `entry`
    // (or closes it when `entry` is not there). Answers the entries shown,
    // "-" for a separator, "(text)" for a disabled one and "[text]" for a
    // line of text.
    static QStringList menuChoice(ListView* list, const QString& entry, Qt::Key key = Qt::Key_Menu,
                                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                const auto* line = qobject_cast<const QWidgetAction*>(a);
                const auto* label = line ? qobject_cast<QLabel*>(line->defaultWidget()) : nullptr;
                shown.append(a->isSeparator()              ? "-"
                             : label && label->isEnabled() ? "[" + label->text() + "]"
                             : a->isEnabled() && !line     ? a->text()
                                                           : "(" + a->text() + ")");
                if (a->text() == entry)
                    chosen = a;
            }
            if (!chosen) {
                menu->close();
                return;
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::keyClick(list, key, modifiers);
        return shown;
    }

    // Drags the data onto the list and drops it there, as the desktop does.
    static void drop(ListView* list, QMimeData& data)
    {
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QDropEvent drop(QPointF(10, 10), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);
        if (drop.isAccepted()) {
            EXPECT_EQ(drop.dropAction(), Qt::CopyAction); // a dropped file is never moved
        }
        QCoreApplication::processEvents();
    }
};

TEST_F(ListEditingWindowTest, DeleteAndDoubleClickRemoveTheSelectedItemOfEachList)
{
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3}) {
        fill(list, {"a", "b", "c", "d"});
        selectItem(*list, 2);
    }
    form->ListView1_DblClick();
    form->ListView2_KeyDown(CodeListEditing::DeleteKeyCode, 0);
    form->ListView3_KeyDown(CodeListEditing::DeleteKeyCode, 1 | 2 | 4); // with Shift, Ctrl and Alt
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3})
        EXPECT_EQ(itemsOf(list), QStringList({"a", "c", "d"})) << list->objectName().toStdString();

    selectItem(*form->ListView2, 3);
    form->ListView2_DblClick();
    selectItem(*form->ListView3, 1);
    form->ListView3_DblClick();
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"a", "c"}));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"c", "d"}));
}

TEST_F(ListEditingWindowTest, OtherKeysAndNoSelectionRemoveNothing)
{
    fill(form->ListView2, {"a", "b"});
    selectItem(*form->ListView2, 1);
    form->ListView2_KeyDown('A', 0);
    form->ListView2_KeyDown(8, 0); // Backspace
    EXPECT_EQ(form->ListView2->ItemCount(), 2);

    fill(form->ListView1, {"a", "b"});
    form->ListView1_DblClick();
    form->ListView1_KeyDown(CodeListEditing::DeleteKeyCode, 0);
    EXPECT_EQ(form->ListView1->ItemCount(), 2);

    form->ListView3_DblClick(); // an empty list
    form->ListView3_KeyDown(CodeListEditing::DeleteKeyCode, 0);
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
}

TEST_F(ListEditingWindowTest, RealKeyPressesAndDoubleClicksReachTheHandlers)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    fill(form->ListView2, {"a", "b", "c"});
    selectItem(*form->ListView2, 2);
    QTest::keyClick(form->ListView2, Qt::Key_Delete);
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"a", "c"}));
    QTest::keyClick(form->ListView2, Qt::Key_X);
    EXPECT_EQ(form->ListView2->ItemCount(), 2);

    fill(form->ListView3, {"a", "b", "c"});
    selectItem(*form->ListView3, 3);
    // A double-click on the empty area below the items removes the selected one.
    QTest::mouseDClick(form->ListView3->viewport(), Qt::LeftButton, {},
                       QPoint(10, form->ListView3->viewport()->height() - 3));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"a", "b"}));
}

TEST_F(ListEditingWindowTest, WhileTheBusyPointerShowsNothingIsRemovedButCodesAreAdded)
{
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3}) {
        fill(list, {"a", "b"});
        selectItem(*list, 1);
    }
    form->SetMousePointer(PointerMode::Hourglass);
    form->PushButton1->click();
    form->ListView1_DblClick();
    form->ListView2_KeyDown(CodeListEditing::DeleteKeyCode, 0);
    form->ListView3_DblClick();
    for (ListView* list : {form->ListView1, form->ListView2, form->ListView3})
        EXPECT_EQ(itemsOf(list), QStringList({"a", "b"}));

    form->PushButton12->click();
    EXPECT_EQ(itemsOf(form->ListView1), QStringList({"a", "b"}) + Samples);
    EXPECT_EQ(typed("c"), QStringList({"a", "b"}) + Samples + QStringList({"c"}));
    EXPECT_EQ(form->MousePointer(), PointerMode::Hourglass);

    form->SetMousePointer(PointerMode::Default);
    form->PushButton1->click();
    EXPECT_EQ(form->ListView1->ItemCount(), 0);
}

// The valid and invalid lists' "Save As Spreadsheet File…" writes their
// ticked codes under their headers, with no office running.
TEST_F(ListEditingWindowTest, TheResultListsSaveAsSpreadsheetFiles)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    fill(form->ListView2, {"012345678905", "801927504622"});
    form->ListView2->SetChecked(2, false);
    fill(form->ListView3, {"00123"});
    const QString valid = script.folder.file("valid.csv");
    const QString invalid = script.folder.file("invalid.xlsx");
    script.saveAnswers.append({valid, invalid});
    menuChoice(form->ListView2, SaveAsSpreadsheetFile);
    menuChoice(form->ListView3, SaveAsSpreadsheetFile);
    EXPECT_EQ(TempFolder::read(valid), "\xEF\xBB\xBF Valid Codes\r\n012345678905\r\n");
    EXPECT_TRUE(TempFolder::read(invalid).startsWith("PK\x03\x04"));
    EXPECT_EQ(script.logged("message"), QStringList());
    EXPECT_FALSE(menuChoice(form->ListView1, "(none)").contains(SaveAsSpreadsheetFile));
}

TEST_F(ListEditingWindowTest, MenuKeyCtrlVAndDropsReachTheFeatures)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    fill(form->ListView3, {"801927504623", "1&2"});
    selectItem(*form->ListView3, 1);
    form->ListView3->SetChecked(2, false);
    const QStringList shown = menuChoice(form->ListView3, "Copy Corrected Code");
    ASSERT_EQ(shown.size(), 15);
    EXPECT_EQ(shown.mid(0, 2), QStringList({"[2 codes, 1 ticked]",
                                            "[Check digit 3 is wrong, expected 2: 801927504622]"}));
    EXPECT_EQ(shown.mid(2), QStringList({"-", "Remove", "-", "Tick All", "Untick All", "-",
                                         "Copy Code", "Copy Corrected Code", "Copy Reason", "-",
                                         SaveAsSpreadsheetFile, "-", Find}));
    EXPECT_EQ(script.clipboardText, "801927504622");
    menuChoice(form->ListView3, "Copy Reason");
    EXPECT_EQ(script.clipboardText, "Check digit 3 is wrong, expected 2: 801927504622");
    menuChoice(form->ListView3, "Untick All", Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(form->ListView3->model().Checked(1));
    EXPECT_FALSE(form->ListView3->model().Checked(2));
    // A reason naming "&" shows it as it is.
    selectItem(*form->ListView3, 2);
    EXPECT_EQ(menuChoice(form->ListView3, "Remove")[1],
              "[\"&\" at position 2 is not a digit, hyphen or blank]");
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"801927504623"}));

    // The right mouse button opens the same menu.
    fill(form->ListView2, {"801927504622"});
    selectItem(*form->ListView2, 1);
    QStringList clicked;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                clicked.append(a->text());
            menu->close();
        }
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            form->ListView2->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(form->ListView2->viewport(), &click);
    EXPECT_EQ(clicked, QStringList({"1 code, 1 ticked", "Number system 8: a regular item", "",
                                    "Remove", "", "Tick All", "Untick All", "", "Copy Code", "",
                                    SaveAsSpreadsheetFile, "", Find}));

    // Ctrl+V and "Paste Codes" on the code list; Ctrl+V elsewhere pastes nothing.
    script.clipboardText = "801927504622\n012345678905\n";
    script.clipboardHasText = true;
    QTest::keyClick(form->ListView1, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form->ListView2, Qt::Key_V, Qt::ControlModifier);
    script.clipboardText = "712345678904";
    menuChoice(form->ListView1, "Paste Codes");
    EXPECT_EQ(itemsOf(form->ListView1),
              QStringList({"801927504622", "012345678905", "712345678904"}));
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"801927504622"}));

    // A dropped file is imported, dropped text pasted; the other lists take no drop.
    const QString path = script.folder.write("dropped codes.txt", "a1\r\na2\r\n");
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(path)});
    file.setText(path);
    drop(form->ListView1, file);
    QMimeData text;
    text.setText("t1, t2\r\nt3");
    drop(form->ListView1, text);
    drop(form->ListView2, text);
    drop(form->ListView3, file);
    EXPECT_EQ(itemsOf(form->ListView1).mid(3), QStringList({"a1", "a2", "t1", "t2", "t3"}));
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"801927504622"}));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"801927504623"}));
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);
    EXPECT_TRUE(script.errors().isEmpty());
}

// The code list as typed comes back at the next start, as the stored value allows.
TEST_F(ListEditingWindowTest, CodeListComesBackAfterClosingAndStartingAgain)
{
    typed(" 801927504622 ,712345678904,712345678904");
    fill(form->ListView1, {"  inner  blanks  ", "", "x||MySeparator23||y", "p||myseparator23||q"});
    ASSERT_TRUE(form->close());
    EXPECT_EQ(script.settings.read("Tarnwell", "Quorvane", "UPC Codes"),
              "801927504622||MySeparator23||712345678904||MySeparator23||712345678904"
              "||MySeparator23||  inner  blanks  ||MySeparator23||||MySeparator23||x"
              "||MySeparator23||y||MySeparator23||p||myseparator23||q");
    auto again = script.loadForm();
    // The empty item is dropped and the separator inside an item splits it;
    // duplicates and blanks stay, another letter case is plain text.
    EXPECT_EQ(itemsOf(again->ListView1),
              QStringList({"801927504622", "712345678904", "712345678904", "  inner  blanks  ", "x",
                           "y", "p||myseparator23||q"}));
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(ListEditingWindowTest, MoreThan32767CodesAreStoredAndRestoredWhole)
{
    for (int i = 0; i < 40000; ++i)
        form->ListView1->AppendItem(QString::number(100000000000LL + i));
    ASSERT_TRUE(form->close());
    auto again = script.loadForm();
    ASSERT_EQ(again->ListView1->ItemCount(), 40000);
    EXPECT_EQ(again->ListView1->model().ItemText(1), "100000000000");
    EXPECT_EQ(again->ListView1->model().ItemText(32768), "100000032767");
    EXPECT_EQ(again->ListView1->model().ItemText(40000), "100000039999");
}

// "Load Codes From Spreadsheet File…" on the code list's menu, by keyboard:
// the chosen column's cells join the code list; the other lists offer no such
// entry.
TEST_F(ListEditingWindowTest, TheCodeListsMenuLoadsASpreadsheetFilesColumn)
{
    const QString load = QStringLiteral("Load Codes From Spreadsheet File\u2026");
    fill(form->ListView1, {"kept"});
    script.openAnswers.enqueue(
        script.folder.write("codes.tsv", "Name\tUPC\r\nTea\t012345678905\r\nJam\t12\r\n"));
    EXPECT_TRUE(menuChoice(form->ListView1, load).contains(load));
    EXPECT_EQ(itemsOf(form->ListView1), QStringList({"kept", "012345678905", "12"}));
    EXPECT_EQ(script.logged("column"),
              QStringList({"codes.tsv|1|1|Name,UPC;Tea,012345678905;Jam,12"}));
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);
    EXPECT_FALSE(menuChoice(form->ListView2, load).contains(load));
}

// Ctrl+F on a list opens its find bar: typed digits find codes across their
// hyphens and blanks, F3 and Shift+F3 step round the matches, Escape closes.
// "Find…" is on every list's menu, also while the busy pointer shows.
TEST_F(ListEditingWindowTest, TheFindBarSelectsAndCountsTheMatches)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ListView* list = form->ListView2;
    QStringList items(300, "801927504622");
    items[1] = "0-36000-29145-2";
    items[120] = "036000 291452";
    items[250] = "036000291452";
    fill(list, items);
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    auto* bar = list->findChild<FindBar*>();
    ASSERT_TRUE(bar && bar->isVisible());
    EXPECT_EQ(bar->accessibleName(), "Find in Valid Codes");
    EXPECT_EQ(bar->entry()->accessibleName(), "Find");
    EXPECT_TRUE(QTest::qWaitFor([bar] { return QApplication::activeWindow() == bar; }));
    EXPECT_EQ(QApplication::focusWidget(), bar->entry());
    // A window of its own, in the desktop's colours (light or dark), not the list's white.
    EXPECT_EQ(bar->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Window));
    QTest::keyClicks(bar->entry(), "036000 29145");
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_unknown, {}},
                                                              {Qt::Key_F3, {}},
                                                              {Qt::Key_F3, {}},
                                                              {Qt::Key_F3, {}},
                                                              {Qt::Key_F3, Qt::ShiftModifier}};
    const std::pair<qsizetype, QString> seen[] = {{2, "1 of 3 matches"},
                                                  {121, "2 of 3 matches"},
                                                  {251, "3 of 3 matches"},
                                                  {2, "1 of 3 matches"},
                                                  {251, "3 of 3 matches"}};
    for (size_t k = 0; k < std::size(keys); ++k) {
        if (keys[k].first != Qt::Key_unknown)
            QTest::keyClick(bar->entry(), keys[k].first, keys[k].second);
        EXPECT_EQ(list->SelectedItem(), seen[k].first) << k;
        EXPECT_EQ(bar->status(), seen[k].second) << k;
        const QRect row = list->visualRect(list->model().index(int(seen[k].first - 1), 0));
        EXPECT_TRUE(list->viewport()->rect().contains(row.center())) << k;
    }
    QTest::keyClicks(bar->entry(), "x");
    EXPECT_EQ(bar->status(), "No match");
    EXPECT_EQ(list->SelectedItem(), 251);
    QTest::keyClick(bar->entry(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(itemsOf(list), items);

    form->SetMousePointer(PointerMode::Hourglass);
    for (ListView* each : {form->ListView1, form->ListView2, form->ListView3})
        EXPECT_TRUE(menuChoice(each, Find).contains(Find)) << each->objectName().toStdString();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->entry()->selectedText(), "036000 29145x");
    form->SetMousePointer(PointerMode::Default);
}

// While LibreOffice reads a document (a stand-in that takes its time on the
// reading's thread), the window handles its events: a copy works, and a
// close is taken at once and stops the reading.
TEST_F(ListEditingWindowTest, TheWindowStaysLiveWhileLibreOfficeReadsADocument)
{
    const QString load = QStringLiteral("Load Codes From Spreadsheet File\u2026");
    fill(form->ListView2, {"012345678905"});
    script.sheetCsv = "UPC\n001234567890\n";
    const QString path = script.folder.write("codes.xlsx", "read by the stand-in");
    // Once the reading has begun, `act` runs once at the window's next turn.
    QTimer watch;
    std::function<void()> act;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (script.sheetReading && act)
            std::exchange(act, nullptr)();
    });
    watch.start(5);

    script.sheetMilliseconds = 1000;
    script.openAnswers.enqueue(path);
    act = [&] {
        EXPECT_TRUE(form->isBusy());
        form->PushButton10->click();
    };
    GapProbe gaps;
    menuChoice(form->ListView1, load);
    EXPECT_LE(gaps.largestMs(), 50);
    EXPECT_EQ(itemsOf(form->ListView1), QStringList({"001234567890"}));
    EXPECT_EQ(script.logged("clipboard-set").size(), 1);
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);

    // A close: the list is stored, the program ends, the reading is stopped.
    script.sheetReading = false;
    script.sheetMilliseconds = 60000;
    script.openAnswers.enqueue(path);
    act = [&] {
        EXPECT_TRUE(form->isBusy());
        form->close();
    };
    QElapsedTimer waited;
    waited.start();
    menuChoice(form->ListView1, load);
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_EQ(script.programEnds, QList<bool>{true});
    EXPECT_EQ(script.sheetStops, 1);
    EXPECT_EQ(script.settings.read("Tarnwell", "Quorvane", "UPC Codes"), "001234567890");
}

} // namespace
