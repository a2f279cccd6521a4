#include "gui/platform/QtPlatform.h"

#include "support/QtPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

// Runs `inspect` on the modal box once it is up, then lets `answer` close it.
void whenModalShows(std::function<void(QWidget*)> inspect)
{
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inspect(modal);
    });
}

TEST(QtPrompts, ErrorReportShowsTheLoneCarriageReturnsAsLineBreaks)
{
    EXPECT_EQ(QtPrompts::displayText("D\r\nin tag at line 110\r\rPlease"),
              "D\nin tag at line 110\n\nPlease");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        EXPECT_EQ(box->buttons().size(), 1);
        box->accept();
    });
    QtPrompts().errorReport("D\r\nin tag at line 110\r\rPlease");
    EXPECT_EQ(title, "Application Error");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(text, "D\nin tag at line 110\n\nPlease");
}

TEST(QtPrompts, MessageBoxHasNoIconAndTheGivenCaption)
{
    QString title;
    QMessageBox::Icon icon = QMessageBox::Warning;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    QtPrompts().messageBox("Done.", "Quorvane");
    EXPECT_EQ(title, "Quorvane");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(QtPrompts, InputBoxAnswersTheTextOrNothingOnCancel)
{
    whenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->labelText(), "Enter codes: ");
        dialog->setTextValue("1, 2");
        dialog->accept();
    });
    EXPECT_EQ(QtPrompts().inputBox("Enter codes: ", "Quorvane"), "1, 2");
    whenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue("typed, then cancelled");
        dialog->reject();
    });
    EXPECT_EQ(QtPrompts().inputBox("Enter codes: ", "Quorvane"), "");
}

TEST(QtFileDialogs, FilterBecomesQtNameFilters)
{
    EXPECT_EQ(QtFileDialogs::nameFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
              QStringList({"Text Files (*.txt)", "All Files (*)"}));
    EXPECT_EQ(QtFileDialogs::nameFilters("Lists|*.txt;*.csv"),
              QStringList({"Lists (*.txt *.csv)"}));
    EXPECT_TRUE(QtFileDialogs::nameFilters("").isEmpty());
}

TEST(QtFileDialogs, TheOpenDialogAnswersTypedNamesAndTheSaveDialogOpensInTheImportsFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    QFile existing(folder + "/a.txt");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    ASSERT_TRUE(QDir(folder).mkdir("sub"));
    // A dialog still open after a while (refused names, a box of its own)
    // fails the test instead of hanging it.
    QTimer guard;
    guard.setInterval(5000);
    QObject::connect(&guard, &QTimer::timeout, [] {
        while (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "still open: " << qPrintable(modal->windowTitle());
            modal->close();
        }
    });
    // Types into the name field of the dialog once it is up, and presses Enter.
    auto typeInto = [&guard](const QString& typed, std::function<void(QFileDialog*)> check = {}) {
        whenModalShows([typed, check](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (check)
                check(dialog);
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            // The user types into the field that has the focus.
            dialog->activateWindow();
            QApplication::setActiveWindow(dialog);
            edit->setFocus();
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        guard.start();
    };
    const FileDialogRequest open{"", 2621953, "Load",
                                 "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"};
    const QChar nul(0);
    struct Case
    {
        QString typed;
        QString answer;
    };
    const Case cases[] = {
        {folder + "/missing.txt", folder + "/missing.txt"},
        {"\"a.txt\" \"missing.txt\"", folder + nul + "a.txt" + nul + "missing.txt"},
        {"\"missing.txt\" \"sub/b.txt\"", folder + nul + "missing.txt" + nul + "sub/b.txt"},
    };
    for (const Case& c : cases) {
        typeInto(c.typed, [&](QFileDialog* dialog) { dialog->setDirectory(folder); });
        EXPECT_EQ(QtFileDialogs().showOpen(open), c.answer) << qPrintable(c.typed);
    }
    // After an import of several files, the save dialog opens in their folder
    // with no name filled in.
    const FileDialogRequest save{folder + nul + "a.txt" + nul + "missing.txt", 2621953, "Save",
                                 open.filter};
    typeInto("results", [&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath(), folder);
        EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "");
    });
    EXPECT_EQ(QtFileDialogs().showSave(save), folder + "/results");
    // Given a folder alone, the open dialog opens in it too.
    typeInto("a.txt",
             [&](QFileDialog* dialog) { EXPECT_EQ(dialog->directory().absolutePath(), folder); });
    EXPECT_EQ(QtFileDialogs().showOpen({folder + nul, 2621441, "Load", open.filter}),
              folder + "/a.txt");
}

TEST(QtColumnChooser, ShowsTheRowsProposesTheGuessAndIsUsedByKeyboard)
{
    const std::vector<QStringList> rows = {
        {"Name", "UPC", "A long note that is cut off somewhere after thirty characters"},
        {"Tea", "012345678905"}};
    QtColumnChooser chooser;
    QStringList names;
    bool header = false;
    int rowsShown = 0;
    QString selected;
    whenModalShows([&](QWidget* modal) {
        auto* columns = modal->findChild<QComboBox*>("columns");
        auto* preview = modal->findChild<QTableWidget*>("preview");
        ASSERT_TRUE(columns && preview);
        for (int i = 0; i < columns->count(); ++i)
            names.append(columns->itemText(i));
        header = modal->findChild<QCheckBox*>("header")->isChecked();
        rowsShown = preview->rowCount();
        EXPECT_EQ(modal->focusWidget(), columns);
        EXPECT_FALSE(columns->accessibleName().isEmpty());
        // Down picks column C, Space clears the header, Return accepts.
        QTest::keyClick(columns, Qt::Key_Down);
        selected = preview->selectedItems().value(0)->text();
        QTest::keyClick(modal->findChild<QCheckBox*>("header"), Qt::Key_Space);
        QTest::keyClick(columns, Qt::Key_Return);
    });
    EXPECT_EQ(chooser.chooseColumn("codes.csv", rows, {1, true}), (ColumnChoice{2, false}));
    EXPECT_EQ(names, QStringList({u"A \u2014 Name"_s, u"B \u2014 UPC"_s,
                                  u"C \u2014 A long note that is cut off s\u2026"_s}));
    EXPECT_TRUE(header);
    EXPECT_EQ(rowsShown, 2);
    EXPECT_EQ(selected, rows[0][2]);

    whenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(chooser.chooseColumn("codes.csv", rows, {0, false}), std::nullopt);
}

TEST(QtClipboard, KeepsThePlainText)
{
    QtClipboard clipboard;
    ASSERT_TRUE(clipboard.setText("712345678904\r\n"));
    EXPECT_EQ(QApplication::clipboard()->text(), "712345678904\r\n");
    ASSERT_TRUE(clipboard.clear());
    EXPECT_EQ(QApplication::clipboard()->text(), "");
}

} // namespace
