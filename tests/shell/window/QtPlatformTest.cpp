#include "shell/window/QtPlatform.h"

#include "support/QtPrinters.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

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

TEST(QtClipboard, KeepsThePlainText)
{
    QtClipboard clipboard;
    ASSERT_TRUE(clipboard.setText("712345678904\r\n"));
    EXPECT_EQ(QApplication::clipboard()->text(), "712345678904\r\n");
    ASSERT_TRUE(clipboard.clear());
    EXPECT_EQ(QApplication::clipboard()->text(), "");
}

} // namespace
