// The window on the desktop as its users meet it: under a dark theme, through
// a screen reader's eyes, and from the keyboard.
#include "gui/Contrast.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/PushButton.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DesktopTest : public ::testing::Test
{
protected:
    ScriptedServices script;
};

// A palette whose text colours are light, as a dark desktop theme gives.
QPalette darkPalette()
{
    QPalette p;
    const QColor dark(0x24, 0x24, 0x24), light(0xEE, 0xEE, 0xEE);
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(role, dark);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, light);
    return p;
}

TEST_F(DesktopTest, EveryCaptionReadsOnItsBackgroundUnderALightAndADarkTheme)
{
    const QPalette before = QApplication::palette();
    for (const QPalette& theme : {before, darkPalette()}) {
        QApplication::setPalette(theme);
        auto form = script.loadForm();
        for (const PushButton* button : form->findChildren<PushButton*>()) {
            const QPalette& p = button->palette();
            EXPECT_GE(Contrast::ratio(p.color(QPalette::ButtonText), p.color(QPalette::Button)),
                      Contrast::Readable)
                << button->text().toStdString();
        }
        const QPalette& bar = form->ProgressBar1->palette();
        EXPECT_GE(Contrast::ratio(bar.color(QPalette::Text), bar.color(QPalette::Base)),
                  Contrast::Readable);
        for (const ListView* list : {form->ListView1, form->ListView2, form->ListView3}) {
            const QPalette& p = list->palette();
            EXPECT_GE(Contrast::ratio(p.color(QPalette::Text), p.color(QPalette::Base)),
                      Contrast::Readable);
        }
    }
    QApplication::setPalette(before);
    // Under the usual light palette the window keeps the desktop's own text colour.
    auto form = script.loadForm();
    EXPECT_EQ(form->PushButton17->palette().color(QPalette::ButtonText),
              before.color(QPalette::Active, QPalette::ButtonText));
}

TEST_F(DesktopTest, AScreenReaderFindsNamesRolesAndTheProgress)
{
    auto form = script.loadForm();
    auto name = [](QObject* o) {
        return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
    };
    auto role = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->role(); };
    EXPECT_EQ(role(form.get()), QAccessible::Window);
    EXPECT_EQ(name(form->ListView1), "UPC Codes");
    EXPECT_EQ(name(form->ListView2), "Valid Codes");
    EXPECT_EQ(name(form->ListView3), "Invalid Codes");

    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form->ProgressBar1);
    EXPECT_EQ(bar->role(), QAccessible::ProgressBar);
    form->ProgressBar1->SetValue(40);
    form->ProgressBar1->SetText("Processing: 012345678905");
    EXPECT_EQ(bar->text(QAccessible::Name), "Processing: 012345678905");
    ASSERT_NE(bar->valueInterface(), nullptr);
    EXPECT_EQ(bar->valueInterface()->currentValue().toDouble(), 40.0);
    EXPECT_EQ(bar->valueInterface()->maximumValue().toDouble(), 100.0);

    auto description = [](QObject* o) {
        return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Description);
    };
    EXPECT_EQ(name(form->PushButton4), name(form->PushButton8));
    EXPECT_EQ(description(form->PushButton4), "valid codes");
    EXPECT_EQ(description(form->PushButton8), "invalid codes");
    EXPECT_EQ(description(form->PushButton2), "valid codes");
    EXPECT_EQ(description(form->PushButton9), "invalid codes");

    // A list's description is the count that its menu opens with.
    fill(form->ListView2, {"801927504622", "012345678905"});
    form->ListView2->Refresh();
    form->ListView2->SetChecked(1, false);
    EXPECT_EQ(description(form->ListView2), "2 codes, 1 ticked");
    EXPECT_EQ(description(form->ListView3), "0 codes, 0 ticked");
    form->ListView2->Clear();
    EXPECT_EQ(description(form->ListView2), "0 codes, 0 ticked");
}

TEST_F(DesktopTest, KeysClickTheCommonestButtons)
{
    auto form = script.loadForm();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ListView1->setFocus();
    fill(form->ListView1, {"012345678905", "12345"});

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"012345678905"}));
    EXPECT_EQ(script.logged("message").last(), "Quorvane|Done.");

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_TRUE(script.logged("message").last().startsWith("Quorvane|Questions?"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(script.logged("open").last().contains("Load List(s)"));
    EXPECT_TRUE(script.errors().isEmpty());
}

} // namespace
