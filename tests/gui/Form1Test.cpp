#include "gui/Form1.h"

#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/PushButton.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct Placement
{
    const char* name;
    const char* text;
    int left, top, width, height, tab;
};

// The window's layout in twips, with each control's text and tab position.
const Placement Layout[] = {
    {"PushButton5", "Help", 120, 120, 7800, 405, 13},
    {"ListView1", "UPC Codes", 120, 630, 7800, 1635, 0},
    {"PushButton6", "Add UPC Number or Numbers", 120, 2355, 3840, 405, 3},
    {"PushButton3", "Load UPCs From Text File", 4080, 2355, 3840, 405, 4},
    {"PushButton1", "Clear List", 120, 2865, 3840, 405, 5},
    {"PushButton12", "Load Sample/Example UPCs", 4080, 2865, 3840, 405, 16},
    {"PushButton17", "Start Validating", 120, 3375, 7800, 405, 6},
    {"ListView2", " Valid Codes", 120, 3870, 7800, 1635, 1},
    {"PushButton4", "Save Results As Text File", 120, 5595, 3840, 405, 7},
    {"PushButton13", "Save Results As Excel File", 4080, 5595, 3840, 405, 8},
    {"PushButton10", "Copy Results To Clipboard", 120, 6105, 3840, 405, 14},
    {"PushButton2", "Clear Results", 4080, 6105, 3840, 405, 9},
    {"ListView3", "Invalid Codes", 135, 6630, 7800, 1635, 2},
    {"PushButton8", "Save Results As Text File", 120, 8350, 3840, 405, 10},
    {"PushButton7", "Save Results As Excel File", 4080, 8350, 3840, 405, 11},
    {"PushButton11", "Copy Results To Clipboard", 120, 8860, 3840, 405, 15},
    {"PushButton9", "Clear Results", 4080, 8860, 3840, 405, 12},
    {"ProgressBar1", "Progress Bar", 120, 9380, 7800, 405, 17},
};

// A user's double-click: press, release, the double-click, release.
void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

int px(int twips)
{
    return qRound(twips / 15.0);
}

class Form1Test : public ::testing::Test
{
protected:
    ScriptedServices script;

    void installCursor(const QByteArray& bytes)
    {
        QFile out(script.programFolder() + "/HAND-M.CUR");
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    static QByteArray shippedCursor()
    {
        QFile in(qEnvironmentVariable("QUORVANE_SOURCE_DIR") + "/resources/HAND-M.CUR");
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        return in.readAll();
    }
};

TEST_F(Form1Test, WindowHasItsFixedSizeCaptionAndWhiteBackground)
{
    auto form = script.loadForm();
    EXPECT_EQ(form->windowTitle(), "Quorvane");
    EXPECT_EQ(form->size(), QSize(536, 660));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->font().family(), "Arial");
    EXPECT_EQ(form->font().pointSizeF(), 9.0);
    EXPECT_TRUE(form->font().bold());
    EXPECT_TRUE(script.log.isEmpty()) << qPrintable(script.log.join('\n'));
}

TEST_F(Form1Test, EveryControlStandsAtItsPlaceWithItsText)
{
    auto form = script.loadForm();
    for (const Placement& p : Layout) {
        SCOPED_TRACE(p.name);
        auto* control = form->findChild<QWidget*>(QLatin1String(p.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(px(p.left), px(p.top), px(p.width), px(p.height)));
        if (auto* button = qobject_cast<PushButton*>(control)) {
            EXPECT_EQ(button->text(), p.text);
            EXPECT_EQ(button->font().pointSizeF(), 11.25);
            EXPECT_TRUE(button->font().bold());
            EXPECT_EQ(button->palette().color(QPalette::Button), QColor(Qt::white));
            EXPECT_TRUE(button->toolTip().isEmpty());
        } else if (auto* list = qobject_cast<ListView*>(control)) {
            EXPECT_EQ(list->model().HeaderText(1), p.text);
            EXPECT_EQ(list->model().ColumnCount(), 1);
            EXPECT_EQ(list->columnWidth(0), 467); // 7000 twips
            EXPECT_EQ(list->toolTip(), "Double-click item to remove it. Move | line to right and "
                                       "out of window to reveal full names.");
            EXPECT_EQ(list->font().pointSizeF(), 9.0);
        } else if (auto* bar = qobject_cast<ProgressBar*>(control)) {
            EXPECT_EQ(bar->Text(), p.text);
            EXPECT_EQ(bar->Value(), 0);
        }
    }
}

// Centred in the screen's free area. Where the window with its frame (at
// most 8 by 40 more) is larger than that, the layout, whole, scrolls in a
// window that fits there, and Tab scrolls to the control it reaches.
TEST_F(Form1Test, OpensCentredOrScrollsItsLayoutWhereTheScreenIsTooSmall)
{
    auto form = script.loadForm();
    form->placeWithin(QRect(0, 0, 1280, 1024));
    EXPECT_EQ(form->geometry(), QRect(372, 182, 536, 660));
    EXPECT_EQ(form->findChild<QScrollArea*>(), nullptr);

    form = script.loadForm();
    const QRect available(0, 20, 640, 492); // 1280x1024 at twice the scale, a panel above
    form->placeWithin(available);
    EXPECT_TRUE(available.contains(QRect(form->pos(), form->size() + QSize(8, 40))));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const auto* view = form->findChild<QScrollArea*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->widget()->size(), QSize(536, 660));
    EXPECT_EQ(form->ListView3->parentWidget(), view->widget());
    EXPECT_EQ(form->ListView3->geometry(), QRect(px(135), px(6630), px(7800), px(1635)));
    EXPECT_EQ(form->ProgressBar1->parentWidget(), view->widget());

    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->PushButton_MouseMove();
    QTest::mouseMove(view->widget(), QPoint(3, 3)); // the window's background
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    QScrollBar* bar = view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 660 - view->viewport()->height());
    bar->setValue(bar->maximum());
    form->PushButton11->setFocus();
    QTest::keyClick(form->PushButton11, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->PushButton12);
    EXPECT_LE(bar->value(), px(2865));
}

TEST_F(Form1Test, TabOrderFollowsTheLayout)
{
    auto form = script.loadForm();
    std::vector<const Placement*> byTab;
    QStringList names;
    for (const Placement& p : Layout) {
        byTab.push_back(&p);
        names.append(p.name);
    }
    std::sort(byTab.begin(), byTab.end(), [](auto a, auto b) { return a->tab < b->tab; });
    // The focus chain also holds the lists' inner parts (scroll bars, viewport).
    QWidget* current = form->findChild<QWidget*>(QLatin1String(byTab.front()->name));
    for (size_t i = 1; i < byTab.size(); ++i) {
        QWidget* next = current->nextInFocusChain();
        while (!names.contains(next->objectName()) && next != current)
            next = next->nextInFocusChain();
        EXPECT_EQ(next->objectName(), byTab[i]->name) << "after " << byTab[i - 1]->name;
        current = next;
    }
}

TEST_F(Form1Test, StartsWithoutCursorFileSilently)
{
    auto form = script.loadForm();
    EXPECT_TRUE(script.log.isEmpty());
    EXPECT_FALSE(form->MouseIcon().has_value());
    form->PushButton_MouseMove();
    EXPECT_EQ(form->MousePointer(), PointerMode::Custom);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Form1Test, LoadsTheHandCursorWithItsHotspot)
{
    installCursor(shippedCursor());
    auto form = script.loadForm();
    EXPECT_TRUE(script.log.isEmpty()) << qPrintable(script.log.join('\n'));
    ASSERT_TRUE(form->MouseIcon().has_value());
    EXPECT_EQ(form->MouseIcon()->hotSpot(), QPoint(6, 0));
    EXPECT_EQ(form->MouseIcon()->pixmap().size(), QSize(32, 32));
    form->PushButton_MouseMove();
    EXPECT_EQ(form->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(Form1Test, CursorFileThatIsNoPictureIsReportedAtLine110AndStartUpGoesOn)
{
    installCursor("this is not a cursor");
    auto form = script.loadForm();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.errors()[0], "Invalid picture\r\nin Lintorak2021/08/31.Form1.Form_Load at "
                                  "line 110\r\rPlease email screenshot of this message to "
                                  "support@tarnwell.example");
    EXPECT_FALSE(form->MouseIcon().has_value());
    EXPECT_EQ(form->ListView3->model().HeaderText(1), "Invalid Codes"); // later steps ran
}

TEST_F(Form1Test, PointerFeedback)
{
    installCursor(shippedCursor());
    auto form = script.loadForm();
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);
    form->PushButton_MouseMove();
    EXPECT_EQ(form->MousePointer(), PointerMode::Custom);
    // The progress bar has no handler: the hand stays until the background or a list.
    QTest::mouseMove(form->ProgressBar1);
    EXPECT_EQ(form->MousePointer(), PointerMode::Custom);
    form->ListView_MouseMove();
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);
    form->PushButton_MouseMove();
    form->Form_MouseMove();
    EXPECT_EQ(form->MousePointer(), PointerMode::Default);

    form->SetMousePointer(PointerMode::Hourglass);
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
    form->PushButton_MouseMove();
    form->ListView_MouseMove();
    form->Form_MouseMove();
    EXPECT_EQ(form->MousePointer(), PointerMode::Hourglass);
}

TEST_F(Form1Test, RealMouseOnTheListsAndTheirParts)
{
    auto form = script.loadForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // The pointer: the hand over a button, the arrow over any part of a list.
    ListView* list = form->ListView2;
    for (QWidget* over :
         {static_cast<QWidget*>(form->PushButton17), list->viewport(),
          list->horizontalHeader()->viewport(), static_cast<QWidget*>(list->verticalScrollBar()),
          static_cast<QWidget*>(list->horizontalScrollBar())}) {
        form->PushButton_MouseMove();
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(over, &move);
        EXPECT_EQ(form->MousePointer(),
                  over == form->PushButton17 ? PointerMode::Custom : PointerMode::Default)
            << qPrintable(over->metaObject()->className());
    }
    // A double-click removes the item under it; one on the empty area below
    // the items removes the item selected then.
    fill(list, {"a", "b", "c"});
    list->Refresh();
    const QPoint onB = list->visualRect(list->model().index(1, 0)).center();
    doubleClick(list->viewport(), onB);
    EXPECT_EQ(itemsOf(list), QStringList({"a", "c"}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(onB.x(), 2));
    ASSERT_EQ(list->SelectedItem(), 1);
    const QPoint empty(10, list->viewport()->height() - 5);
    ASSERT_FALSE(list->indexAt(empty).isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(list->SelectedItem(), 1);
    doubleClick(list->viewport(), empty);
    EXPECT_EQ(itemsOf(list), QStringList({"c"}));
}

TEST_F(Form1Test, OnlyTheDeleteKeyRemovesAndTabLeavesTheList)
{
    auto form = script.loadForm();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ListView* list = form->ListView1;
    fill(list, {"a", "b", "c", "d"});
    selectItem(*list, 2);
    list->setFocus();
    // "." of the main keyboard and of the keypad, "," and ">" share no code
    // with Delete; Tab, Shift+Tab, Ctrl+Tab and Ctrl+Shift+Tab go along the
    // tab order and leave the selection where it is.
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focusAfter;
    };
    const Key keys[] = {
        {Qt::Key_Period, Qt::NoModifier, list},
        {Qt::Key_Period, Qt::KeypadModifier, list},
        {Qt::Key_Greater, Qt::ShiftModifier, list},
        {Qt::Key_Comma, Qt::KeypadModifier, list},
        {Qt::Key_Tab, Qt::NoModifier, form->ListView2},
        {Qt::Key_Backtab, Qt::ShiftModifier, list},
        {Qt::Key_Tab, Qt::ControlModifier, form->ListView2},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, list},
    };
    for (const Key& k : keys) {
        QTest::keyClick(QApplication::focusWidget(), k.key, k.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), k.focusAfter) << k.key;
        EXPECT_EQ(itemsOf(list), QStringList({"a", "b", "c", "d"})) << k.key;
        EXPECT_EQ(list->SelectedItem(), 2) << k.key;
    }
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(itemsOf(list), QStringList({"a", "c", "d"}));
}

TEST_F(Form1Test, HomePageOpensOnADrawOfSeven)
{
    script.secondsSinceMidnight = 3600.25;
    script.randomNumbers.enqueue(0.5);
    script.loadForm();
    EXPECT_TRUE(script.logged("url").isEmpty());
    EXPECT_EQ(script.seeds, QList<double>{3600.25});

    script.randomNumbers.enqueue(0.065);
    script.loadForm();
    EXPECT_EQ(script.logged("url"), QStringList{"https://tarnwell.example/"});
}

TEST_F(Form1Test, FailingHomePageVisitIsReportedAtLine112)
{
    script.randomNumbers.enqueue(0.06);
    script.urlOpenerFails = true;
    auto form = script.loadForm();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("Form1.Form_Load at line 112\r"));
    EXPECT_EQ(form->ListView1->model().ColumnCount(), 1);
}

TEST_F(Form1Test, HelpShowsTheContactAddress)
{
    auto form = script.loadForm();
    form->PushButton5->click();
    EXPECT_EQ(script.log, QStringList{"message|Quorvane|Questions? Please contact Team Tarnwell "
                                      "at https://tarnwell.example/contact/"});
}

TEST_F(Form1Test, ClosingStoresTheCodeListAndEndsTheProgram)
{
    {
        auto form = script.loadForm();
        for (const char* code : {"801927504622", "712345678904", "012345678905"})
            form->ListView1->AppendItem(code);
        form->ListView2->AppendItem("not stored");
        EXPECT_TRUE(form->close());
        EXPECT_EQ(script.programEnds, QList<bool>{false});
    }
    EXPECT_EQ(script.settings.read("Tarnwell", "Quorvane", "UPC Codes"),
              "801927504622||MySeparator23||712345678904||MySeparator23||012345678905");
    auto again = script.loadForm();
    ASSERT_EQ(again->ListView1->ItemCount(), 3);
    EXPECT_EQ(again->ListView1->model().ItemText(3), "012345678905");
    EXPECT_EQ(again->ListView2->ItemCount(), 0);
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(Form1Test, ClosingWithAnEmptyListStoresAnEmptyValue)
{
    script.settings.write("Tarnwell", "Quorvane", "UPC Codes", "old");
    auto form = std::make_unique<Form1>(script.services());
    form->close();
    EXPECT_EQ(script.settings.read("Tarnwell", "Quorvane", "UPC Codes", "default"), "");
    auto again = script.loadForm();
    EXPECT_EQ(again->ListView1->ItemCount(), 0);
    EXPECT_TRUE(script.log.isEmpty());
}

TEST_F(Form1Test, UnreadableStoreIsReportedAtLine142AndTheListStaysEmpty)
{
    QDir().mkpath(script.configFolder() + "/Tarnwell/Quorvane/UPC Codes");
    auto form = script.loadForm();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("Form1.Form_Load at line 142\r"));
    EXPECT_EQ(form->ListView1->ItemCount(), 0);
}

TEST_F(Form1Test, AStoreThatIsNoRegularFileIsNeitherReadNorReplaced)
{
    // Pipes and devices of this test's own, never the system's.
    const QByteArray fifo = QFile::encodeName(script.folder.file("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray device = QFile::encodeName(script.folder.file("device"));
    const bool haveDevice = ::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    const QString folder = script.configFolder() + "/Tarnwell/Quorvane";
    const QByteArray store = QFile::encodeName(folder + "/UPC Codes");
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct
    {
        const char* what;
        std::function<int()> make;
        mode_t type; // of what the store's path leads to
    } cases[] = {
        {"a pipe", [&] { return ::mkfifo(store.constData(), 0600); }, S_IFIFO},
        {"a link to a pipe", [&] { return ::symlink(fifo.constData(), store.constData()); },
         S_IFIFO},
        {"a link to a device", [&] { return ::symlink(device.constData(), store.constData()); },
         S_IFCHR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.type == S_IFCHR && !haveDevice)
            continue; // only root may make a device node
        ::unlink(store.constData());
        ASSERT_EQ(c.make(), 0);
        script.log.clear();
        auto form = script.loadForm(); // returns: nothing waits for a writer
        ASSERT_EQ(script.errors().size(), 1);
        EXPECT_TRUE(script.errors()[0].startsWith(
            "Not a regular file\r\nin Lintorak2021/08/31.Form1.Form_Load at line 142\r"));
        EXPECT_EQ(form->ListView1->ItemCount(), 0);

        form->ListView1->AppendItem("801927504622");
        EXPECT_TRUE(form->close());
        ASSERT_EQ(script.errors().size(), 2);
        EXPECT_TRUE(script.errors()[1].startsWith(
            "Not a regular file\r\nin Lintorak2021/08/31.Form1.Form_QueryUnload at line 110\r"));
        struct stat info;
        ASSERT_EQ(::stat(store.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, c.type);
        // Nothing beside it: neither a kept copy nor a new value.
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                  QStringList{"UPC Codes"});
    }
}

TEST_F(Form1Test, UnwritableStoreIsReportedAtLine110AndClosingGoesOn)
{
    auto form = script.loadForm();
    form->ListView1->AppendItem("x");
    // A plain file where the store's folder must go.
    QFile blocker(script.configFolder() + "/Tarnwell");
    QDir().mkpath(script.configFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(form->close());
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("Form1.Form_QueryUnload at line 110\r"));
    EXPECT_EQ(script.programEnds.size(), 1);
}

TEST_F(Form1Test, TheButtonsAreWiredToTheirHandlers)
{
    auto form = script.loadForm();
    form->ListView2->AppendItem("712345678904");
    form->ListView2->AppendItem("801927504622");
    form->ListView3->AppendItem("12345");
    form->PushButton9->click();
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    form->PushButton10->click();
    EXPECT_EQ(script.clipboardText, "712345678904\r\n801927504622\r\n");
}

} // namespace
