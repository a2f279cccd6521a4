// Failing surroundings, through the real window with scripted dialogs: each
// fault gives its error report (or its own message), the program goes on,
// and nothing already held is lost: not the lists, not an earlier export
// file, not the stored code list.
#include "shell/Form1.h"
#include "shell/ListView.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A script whose open dialog can let the chosen file vanish before it is read.
class Script : public ScriptedServices
{
public:
    QString removeAfterAnswer;
    QString showOpen(const FileDialogRequest& request) override
    {
        const QString answer = ScriptedServices::showOpen(request);
        if (!removeAfterAnswer.isEmpty())
            QFile::remove(removeAfterAnswer);
        return answer;
    }
};

class FaultInjection : public ::testing::Test
{
protected:
    Script script;
    std::unique_ptr<Form1> form;
    QStringList codes, valid, invalid;

    void SetUp() override
    {
        script.settings.write("Tarnwell", "Quorvane", "UPC Codes", "stored before");
        form = std::make_unique<Form1>(script.services());
        form->Form_Load();
        form->ListView1->Clear(); // the window works on a list of its own
        form->PushButton12_Click();
        form->PushButton17_Click();
        script.log.clear();
        codes = itemsOf(form->ListView1);
        valid = itemsOf(form->ListView2);
        invalid = itemsOf(form->ListView3);
    }

    void expectListsKept() const
    {
        EXPECT_EQ(itemsOf(form->ListView1), codes);
        EXPECT_EQ(itemsOf(form->ListView2), valid);
        EXPECT_EQ(itemsOf(form->ListView3), invalid);
        EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
    }

    // The one error report, from the given procedure and line.
    void expectOneReport(const char* procedure, int line) const
    {
        ASSERT_EQ(script.errors().size(), 1) << qPrintable(script.log.join('\n'));
        EXPECT_TRUE(script.errors()[0].contains(
            QStringLiteral("Form1.%1 at line %2\r").arg(QLatin1String(procedure)).arg(line)))
            << qPrintable(script.errors()[0]);
    }

    QString oldExport() { return script.folder.write("results.txt", "an earlier export\r\n"); }
};

TEST_F(FaultInjection, AFileThatVanishesBetweenDialogAndReadIsNotFound)
{
    const QString path = script.folder.write("codes.txt", "111\r\n");
    script.removeAfterAnswer = path;
    script.openAnswers.enqueue(path);
    form->PushButton3_Click();
    EXPECT_EQ(script.logged("message"), QStringList{"Quorvane|File not found"});
    EXPECT_TRUE(script.errors().isEmpty());
    expectListsKept();
}

TEST_F(FaultInjection, AFolderChosenAsAFileIsReported)
{
    script.openAnswers.enqueue(script.folder.path());
    form->PushButton3_Click();
    expectOneReport("PushButton3_Click", 120);
    expectListsKept();
}

TEST_F(FaultInjection, AFullDiskIsReportedOnce)
{
    script.saveAnswers.enqueue(QStringLiteral("/dev/full"));
    form->PushButton4_Click();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("Main.SaveListviewProperlySpacedWithoutProgressBar"));
    expectListsKept();
}

TEST_F(FaultInjection, ASaveFolderThatDoesNotExistKeepsTheEarlierExport)
{
    const QString earlier = oldExport();
    script.saveAnswers.enqueue(script.folder.file("no such folder/results.txt"));
    form->PushButton8_Click();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].contains("WithoutProgressBar at line 136\r"));
    EXPECT_EQ(TempFolder::read(earlier), "an earlier export\r\n");
    expectListsKept();
}

TEST_F(FaultInjection, AReadOnlyEarlierExportIsLeftAsItWas)
{
    const QString earlier = oldExport();
    QFile::setPermissions(earlier, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    script.saveAnswers.enqueue(earlier);
    form->PushButton4_Click();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(TempFolder::read(earlier), "an earlier export\r\n");
    expectListsKept();
}

TEST_F(FaultInjection, AClipboardThatRefusesStillGetsTheMessage)
{
    script.clipboardFailures = -1;
    form->PushButton10_Click();
    EXPECT_EQ(script.clipboardAttempts, 2000); // 1000 to clear, 1000 to set
    EXPECT_FALSE(script.clipboardHasText);
    EXPECT_EQ(script.logged("message").size(), 1);
    EXPECT_TRUE(script.errors().isEmpty());
    expectListsKept();
}

TEST_F(FaultInjection, ASettingsFolderThatCannotBeWrittenKeepsTheStoredList)
{
    // The section's folder is a plain file: nothing can be written under it,
    // whoever runs the program.
    const QString section = script.configFolder() + "/Tarnwell/Quorvane";
    const QString stored = section + "/UPC Codes";
    const QByteArray before = TempFolder::read(stored);
    ASSERT_TRUE(QFile::rename(section, section + ".moved"));
    ASSERT_TRUE(QFile(section).open(QIODevice::WriteOnly));
    form->close();
    expectOneReport("Form_QueryUnload", 110);
    EXPECT_EQ(script.programEnds.size(), 1); // the program still ends
    ASSERT_TRUE(QFile::remove(section));
    ASSERT_TRUE(QFile::rename(section + ".moved", section));
    EXPECT_EQ(TempFolder::read(stored), before);
}

// Permissions stop only an ordinary user. Run as root (as CI is), this test
// runs itself again as the user "nobody".
TEST_F(FaultInjection, FilesAnOrdinaryUserMayNotTouch)
{
    if (::geteuid() == 0) {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("setpriv"),
                    {"--reuid=65534", "--regid=65534", "--clear-groups",
                     QCoreApplication::applicationFilePath(),
                     "--gtest_filter=FaultInjection.FilesAnOrdinaryUserMayNotTouch"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        if (child.exitCode() == 126 || child.exitCode() == 127 ||
            (output.contains("Permission denied") && !output.contains("[ RUN")))
            GTEST_SKIP() << "the test program cannot be run as nobody here: " << output.constData();
        EXPECT_EQ(child.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
        return;
    }

    // A file nobody may read: reported, the lists stay.
    const QString secret = script.folder.write("secret.txt", "012345678905\r\n");
    QFile::setPermissions(secret, {});
    script.openAnswers.enqueue(secret);
    form->PushButton3_Click();
    expectOneReport("PushButton3_Click", 120);
    expectListsKept();
    script.log.clear();

    // A settings folder the user may not write in: reported, the stored list stays.
    const QString section = script.configFolder() + "/Tarnwell/Quorvane";
    const QByteArray before = TempFolder::read(section + "/UPC Codes");
    QFile::setPermissions(section, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    form->close();
    QFile::setPermissions(section,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    expectOneReport("Form_QueryUnload", 110);
    EXPECT_EQ(TempFolder::read(section + "/UPC Codes"), before);
    script.log.clear();

    // A stored list the user may not read: reported at start-up, and kept
    // byte for byte beside the list that the close then stores.
    const QString store = section + "/UPC Codes";
    script.settings.write("Tarnwell", "Quorvane", "UPC Codes", "kept||MySeparator23||list");
    QFile::setPermissions(store, QFileDevice::WriteOwner);
    auto unread = script.loadForm();
    expectOneReport("Form_Load", 142);
    unread->ListView1->AppendItem("new");
    script.log.clear();
    unread->close();
    EXPECT_TRUE(script.errors().isEmpty()) << qPrintable(script.log.join('\n'));
    const QStringList kept = QDir(section).entryList({"UPC Codes.unread-*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(QRegularExpression("^UPC Codes\\.unread-\\d{8}-\\d{6}$").match(kept[0]).hasMatch())
        << qPrintable(kept[0]);
    QFile::setPermissions(section + '/' + kept[0], QFileDevice::ReadOwner);
    EXPECT_EQ(TempFolder::read(section + '/' + kept[0]), "kept||MySeparator23||list");
    EXPECT_EQ(script.settings.read("Tarnwell", "Quorvane", "UPC Codes"), "new");
}

} // namespace
