#include "output/TextExport.h"

#include "FullDisk.h"
#include "OutputTestSupport.h"
#include "shell/Form1.h"
#include "shell/ListView.h"
#include "shell/QtPlatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace OutputTest;

const QString SaveProcedure = QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar");
const QString DialogLine =
    QStringLiteral("save|2621953|Save|Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");

QStringList at(const QString& procedure, std::initializer_list<int> lines)
{
    QStringList places;
    for (int line : lines)
        places.append(procedure + QLatin1Char(' ') + QString::number(line));
    return places;
}

// What a folder holds, by name.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class TextExportTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    std::unique_ptr<Form1> form = script.loadForm();
    TempFolder out;

    // Saves a list through its button into `target`, and answers the file.
    QByteArray save(void (Form1::*button)(), const QString& target)
    {
        saveOnly(button, target);
        return TempFolder::read(target);
    }
    void saveOnly(void (Form1::*button)(), const QString& target)
    {
        script.saveAnswers.enqueue(target);
        (form.get()->*button)();
    }
    QByteArray saveValid(const QString& name = QStringLiteral("valid.txt"))
    {
        return save(&Form1::PushButton4_Click, out.file(name));
    }
    QByteArray saveInvalid(const QString& name = QStringLiteral("invalid.txt"))
    {
        return save(&Form1::PushButton8_Click, out.file(name));
    }

    QStringList reports() const { return reportedAt(script.errors()); }
};

// The dialog -----------------------------------------------------------------------

TEST_F(TextExportTest, TheSaveDialogIsAskedWithItsFlagsTitleAndFilter)
{
    saveValid();
    EXPECT_EQ(script.logged("save"), QStringList{DialogLine.mid(5)});
}

TEST_F(TextExportTest, TheDialogOffersTheNameOfItsLastUse)
{
    const QString first = out.file("first.txt");
    save(&Form1::PushButton4_Click, first);
    save(&Form1::PushButton8_Click, out.file("second.txt"));
    const QStringList asked = script.logged("save");
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[1].endsWith("|" + first)) << asked[1].toStdString();
}

TEST_F(TextExportTest, CancellingWritesNothingAndLeavesThePointerAlone)
{
    form->SetMousePointer(Form1::vbCustom);
    form->ListView2->AppendItem("712345678904");
    script.saveAnswers.enqueue(QString());
    form->PushButton4_Click();
    EXPECT_EQ(script.log, QStringList{DialogLine});
    EXPECT_EQ(form->MousePointer(), Form1::vbCustom);
    EXPECT_TRUE(entries(out.path()).isEmpty());
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextExportTest, ThePointerIsBusyDuringTheSaveAndDefaultAfter)
{
    form->SetMousePointer(Form1::vbCustom);
    form->ListView2->AppendItem("712345678904");
    int during = -1;
    QMetaObject::invokeMethod(
        form.get(), [&] { during = form->MousePointer(); }, Qt::QueuedConnection);
    saveValid();
    EXPECT_EQ(during, Form1::vbHourglass);
    EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
}

// The file, byte for byte ----------------------------------------------------------------

TEST_F(TextExportTest, EmptyListsGiveTheHeaderLineAlone)
{
    const QByteArray valid = saveValid();
    EXPECT_EQ(valid, " Valid Codes\t\r\n");
    EXPECT_EQ(valid.size(), 15);
    const QByteArray invalid = saveInvalid();
    EXPECT_EQ(invalid, "Invalid Codes\t\r\n");
    EXPECT_EQ(invalid.size(), 16);
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextExportTest, AListWithNoCheckedItemGivesTheHeaderLineAlone)
{
    form->ListView2->AppendItem("712345678904");
    form->ListView2->AppendItem("1");
    form->ListView2->SetChecked(1, false);
    form->ListView2->SetChecked(2, false);
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n");
}

TEST_F(TextExportTest, CodesAsLongAsTheHeaderGetNoBlanks)
{
    form->ListView2->AppendItem("712345678904");
    form->ListView2->AppendItem("801927504622");
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n712345678904\t\r\n801927504622\t\r\n");
}

TEST_F(TextExportTest, TheInvalidHeaderWidensItsColumnToThirteen)
{
    form->ListView3->AppendItem("279347895943");
    form->ListView3->AppendItem("12345");
    EXPECT_EQ(saveInvalid(),
              "Invalid Codes\t\r\n279347895943 \t\r\n12345" + blanks(8).toLatin1() + "\t\r\n");
}

TEST_F(TextExportTest, AnUncheckedItemWidensEveryLineButIsNotWritten)
{
    form->ListView2->AppendItem("712345678904");
    form->ListView2->AppendItem("ABCDEFGHIJKLMNOPQRST");
    form->ListView2->AppendItem("12345");
    form->ListView2->SetChecked(2, false);
    const QByteArray pad = blanks(8).toLatin1();
    EXPECT_EQ(saveValid(), " Valid Codes" + pad + "\t\r\n712345678904" + pad + "\t\r\n12345" + pad +
                               "       \t\r\n");
}

TEST_F(TextExportTest, TextsAreWrittenAsTheyStandWithoutTrimmingOrQuoting)
{
    form->ListView2->AppendItem(" 7123-4567 8904 ");
    form->ListView2->AppendItem("a\tb");
    form->ListView2->AppendItem("");
    form->ListView2->AppendItem("caf\u00e9");
    EXPECT_EQ(saveValid(), " Valid Codes    \t\r\n"
                           " 7123-4567 8904 \t\r\n"
                           "a\tb" +
                               blanks(13).toLatin1() + "\t\r\n" + blanks(16).toLatin1() + "\t\r\n" +
                               systemBytes("caf\u00e9" + blanks(12)) + "\t\r\n");
}

TEST_F(TextExportTest, AnExistingFileIsReplacedAndANameWithoutExtensionKeptAsItIs)
{
    const QString target = out.write("results", "an older and much longer content\r\n");
    form->ListView2->AppendItem("712345678904");
    EXPECT_EQ(save(&Form1::PushButton4_Click, target), " Valid Codes\t\r\n712345678904\t\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"results"});
}

// Files that cannot be written ------------------------------------------------------

TEST_F(TextExportTest, AFolderThatDoesNotExistIsReportedOnceAndTheSaveEnds)
{
    for (int i = 0; i < 50; ++i)
        form->ListView2->AppendItem("712345678904");
    saveValid("no such folder/valid.txt");
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"No such file or directory"});
    EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
    EXPECT_TRUE(entries(out.path()).isEmpty());
}

TEST_F(TextExportTest, AFolderNobodyMayWriteInIsReportedOnce)
{
    if (!QFileInfo(QStringLiteral("/proc/self")).exists())
        GTEST_SKIP() << "no /proc";
    form->ListView2->AppendItem("712345678904");
    saveOnly(&Form1::PushButton4_Click, QStringLiteral("/proc/quorvane-valid.txt"));
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/quorvane-valid.txt")));
}

TEST_F(TextExportTest, AReadOnlyFileIsReportedOnceAndLeftAsItWas)
{
    const QString target = out.write("locked.txt", "keep me\r\n");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    for (int i = 0; i < 5; ++i)
        form->ListView3->AppendItem("12345");
    save(&Form1::PushButton8_Click, target);
    EXPECT_EQ(reports(), at(SaveProcedure, {136}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"Permission denied"});
    EXPECT_EQ(TempFolder::read(target), "keep me\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"locked.txt"});
    EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
}

TEST_F(TextExportTest, ADiskFilledPartWayIsReportedOnceAndKeepsTheOldFile)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    for (int i = 0; i < 20'000; ++i)
        form->ListView2->AppendItem("712345678904");
    Main::SaveListviewProperlySpacedWithoutProgressBar(
        *form->ListView2, target, script, [] {}, fullDisk(100'000));
    EXPECT_EQ(reports(), at(SaveProcedure, {180}));
    EXPECT_EQ(descriptions(script.errors()), QStringList{"No space left on device"});
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
}

TEST_F(TextExportTest, ADiskFilledAtTheEndIsReportedAtCloseAndKeepsTheOldFile)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    form->ListView2->AppendItem("712345678904");
    Main::SaveListviewProperlySpacedWithoutProgressBar(
        *form->ListView2, target, script, [] {}, fullDisk(20));
    EXPECT_EQ(reports(), at(SaveProcedure, {184}));
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
}

// Yielding, and lists that change meanwhile ---------------------------------------------

class ListDuringSave : public ::testing::Test
{
protected:
    ScriptedServices script;
    ListView list;
    TempFolder out;
    QString path = out.file("out.txt");
    int yields = 0;
    // Runs at a given yield (numbered from 1).
    std::function<void(int)> atYield = [](int) {};

    QByteArray save()
    {
        Main::SaveListviewProperlySpacedWithoutProgressBar(list, path, script,
                                                           [this] { atYield(++yields); });
        return TempFolder::read(path);
    }
};

TEST_F(ListDuringSave, YieldsOncePerMeasuredCellHeaderCellItemAndWrittenCell)
{
    fill(list, {{"A", "B"}, {{{"1", "2"}}, {{"3", "4"}, false}, {{"5", "6"}}}});
    save();
    // 2 columns x 3 items measured, 2 header cells, 3 items, 2 x 2 written.
    EXPECT_EQ(yields, 6 + 2 + 3 + 4);
}

TEST_F(ListDuringSave, CellsAreReadAtTheirStepNotCopiedBeforehand)
{
    fill(list, {{"Codes"}, {{{"1"}}, {{"2"}}, {{"3"}}}});
    // Yields: 3 measuring, 1 header; then item 1 (2 yields), item 2, ...
    atYield = [&](int n) {
        if (n == 5)
            list.SetChecked(2, false); // before item 2 is looked at
        if (n == 6)
            list.SetChecked(3, true);
    };
    list.SetChecked(3, false);
    EXPECT_EQ(save(), "Codes\t\r\n1    \t\r\n3    \t\r\n");
}

TEST_F(ListDuringSave, TextsGrownSinceTheWidthsWereTakenAreWrittenWithoutBlanks)
{
    fill(list, {{" Valid Codes"}, {{{"1"}}, {{"22"}}}});
    // Yields: 2 measuring, 1 header. At the first item's yield, after the
    // item count was taken, the list is refilled with other texts.
    atYield = [&](int n) {
        if (n != 4)
            return;
        list.Clear();
        list.AppendItem("ABCDEFGHIJKLMNOPQ");
        list.AppendItem("x");
        list.AppendItem("never reached: the item count was taken before");
    };
    EXPECT_EQ(save(),
              " Valid Codes\t\r\nABCDEFGHIJKLMNOPQ\t\r\nx" + blanks(11).toLatin1() + "\t\r\n");
    EXPECT_TRUE(script.errors().isEmpty());
}

// A cleared or shortened list: the first item that is gone is reported, and
// the save ends as it always does, with the lines written before it.
TEST_F(ListDuringSave, AnItemThatVanishedIsReportedOnceAndEndsTheSave)
{
    const struct
    {
        int clearedAt; // the yield at which the list is cleared
        int line;      // the one report's
        QByteArray file;
    } cases[] = {
        // Yields: 3 + 3 measuring, 2 header; item 1: 1 + 2; item 2: 1 + 2.
        {1, 116, "A\tB\t\r\n"},
        {5, 120, "A  \tB \t\r\n"},
        {12, 158, "A  \tB \t\r\n1  \t22\t\r\n"},
        {13, 166, "A  \tB \t\r\n1  \t22\t\r\n"},
        {14, 172, "A  \tB \t\r\n1  \t22\t\r\n"},
    };
    list.AddColumnHeader("A");
    list.AddColumnHeader("B");
    for (const auto& c : cases) {
        script.log.clear();
        yields = 0;
        list.Clear();
        list.AppendItem("1", {"22"});
        list.AppendItem("333", {"4"});
        list.AppendItem("5", {"6"});
        atYield = [&](int n) {
            if (n == c.clearedAt)
                list.Clear();
        };
        EXPECT_EQ(save(), c.file) << "cleared at " << c.clearedAt;
        EXPECT_EQ(reportedAt(script.errors()), at(SaveProcedure, {c.line}));
        EXPECT_EQ(descriptions(script.errors()), QStringList{"Index out of bounds"});
    }
}

TEST_F(ListDuringSave, TheFileMatchesTheTableForRandomLists)
{
    QRandomGenerator random(20210831);
    for (int round = 0; round < 100; ++round) {
        const TextTable::Table table = randomTable(random);
        ListView fresh;
        fill(fresh, table);
        Main::SaveListviewProperlySpacedWithoutProgressBar(fresh, path, script, [] {});
        ASSERT_EQ(TempFolder::read(path), systemBytes(TextTable::fileText(table)))
            << "round " << round;
    }
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(TextExportTest, AResultListClearedDuringASaveThroughItsButtonIsReported)
{
    for (const char* code : {"712345678904", "801927504622", "12345"})
        form->ListView2->AppendItem(code);
    // "Clear Results" is clicked while the save yields, busy pointer or not.
    int pointerThen = -1;
    QMetaObject::invokeMethod(
        form.get(),
        [&] {
            pointerThen = form->MousePointer();
            form->PushButton2_Click();
        },
        Qt::QueuedConnection);
    EXPECT_EQ(saveValid(), " Valid Codes\t\r\n");
    EXPECT_EQ(pointerThen, Form1::vbHourglass);
    EXPECT_EQ(form->ListView2->ItemCount(), 0);
    EXPECT_EQ(reports(), at(SaveProcedure, {116}));
    EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
}

// The desktop's own save dialog -------------------------------------------------------

// Answers the real file dialog and the box it asks before replacing a file:
// types `name`, accepts, answers the question with `replace`, and cancels the
// dialog when it shows again.
class DialogUser : public QObject
{
public:
    DialogUser(QString name, QMessageBox::StandardButton replace)
        : m_name(std::move(name)), m_replace(replace)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &DialogUser::look);
        m_timer.start();
    }

    QStringList seen;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.append(QStringLiteral("question"));
            box->button(m_replace)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (!m_accepted) {
                seen.append(QStringLiteral("dialog"));
                m_accepted = true;
                // Typed into the name field, as the user would.
                dialog->setDirectory(QFileInfo(m_name).absolutePath());
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(QFileInfo(m_name).fileName());
                // Accepted after this look, which must be over for the
                // next one to see the question.
                QTimer::singleShot(0, dialog,
                                   [dialog] { static_cast<QDialog*>(dialog)->accept(); });
            } else {
                seen.append(QStringLiteral("dialog again"));
                dialog->reject();
            }
        }
    }

    QString m_name;
    QMessageBox::StandardButton m_replace;
    bool m_accepted = false;
    QTimer m_timer;
};

class RealDialogTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    QtFileDialogs dialogs;
    TempFolder out;
    std::unique_ptr<Form1> form;

    void SetUp() override
    {
        Services services = script.services();
        services.fileDialogs = &dialogs;
        form = std::make_unique<Form1>(services);
        form->Form_Load();
        form->ListView2->AppendItem("712345678904");
    }
};

TEST_F(RealDialogTest, NoToReplacingAnExistingFileWritesNothing)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    DialogUser user(target, QMessageBox::No);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList({"dialog", "question", "dialog again"}));
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(RealDialogTest, YesToReplacingAnExistingFileSavesOverIt)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    DialogUser user(target, QMessageBox::Yes);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList({"dialog", "question"}));
    EXPECT_EQ(TempFolder::read(target), " Valid Codes\t\r\n712345678904\t\r\n");
}

TEST_F(RealDialogTest, ANewNameIsSavedWithoutAQuestionAndWithoutAnAddedExtension)
{
    const QString target = out.file("results");
    DialogUser user(target, QMessageBox::No);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList{"dialog"});
    EXPECT_EQ(TempFolder::read(target), " Valid Codes\t\r\n712345678904\t\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"results"});
}

} // namespace
