// Failing surroundings, through the real window with scripted dialogs: each
// fault gives its error report (or its own message), the program goes on,
// and nothing already held is lost: not the lists, not an earlier export
// file, not the stored code list.
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
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
        EXPECT_EQ(form->MousePointer(), PointerMode::Default);
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

// A pipe, a socket or a device chosen as the target is refused before it is
// opened: opening a pipe without a reader would wait for ever.
TEST_F(FaultInjection, ATargetThatIsNoRegularFileIsReportedOnceWithoutWaiting)
{
    const QString pipe = script.folder.file("pipe.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString socketPath = script.folder.file("socket.txt");
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const QString link = script.folder.file("link.txt");
    ASSERT_TRUE(QFile::link(pipe, link));
    QStringList targets{pipe, socketPath, link};
    // A device like /dev/full, made here (only the superuser may).
    const QString device = script.folder.file("device.txt");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        targets.append(device);

    for (const QString& target : targets) {
        script.log.clear();
        script.saveAnswers.enqueue(target);
        form->PushButton4_Click();
        ASSERT_EQ(script.errors().size(), 1) << qPrintable(target);
        EXPECT_TRUE(script.errors()[0].startsWith("Not a regular file\r\n"));
        EXPECT_TRUE(script.errors()[0].contains("WithoutProgressBar at line 136\r"));
        EXPECT_TRUE(QFileInfo::exists(target) && !QFileInfo(target).isFile());
    }
    ::close(socket);
    expectListsKept();
}

// The user's file-size limit (ulimit -f): the save fails with the system's
// words for it, and the earlier file stays. Run in a child process that has
// the limit.
TEST_F(FaultInjection, AFileSizeLimitIsReportedByItsCause)
{
    constexpr rlim_t Limit = 1'000'000;
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    if (limit.rlim_cur != Limit) {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.setChildProcessModifier([] {
            const rlimit limited{Limit, Limit};
            ::setrlimit(RLIMIT_FSIZE, &limited);
            std::signal(SIGXFSZ, SIG_IGN);
        });
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=FaultInjection.AFileSizeLimitIsReportedByItsCause"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
        return;
    }

    const QString earlier = oldExport();
    for (int i = 0; i < 100'000; ++i) // 1.5 MB of lines
        form->ListView2->AppendItem("712345678904");
    script.saveAnswers.enqueue(earlier);
    form->PushButton4_Click();
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].startsWith("File too large\r\n"))
        << qPrintable(script.errors()[0]);
    EXPECT_TRUE(script.errors()[0].contains("WithoutProgressBar at line 180\r"));
    EXPECT_EQ(TempFolder::read(earlier), "an earlier export\r\n");
    EXPECT_EQ(QDir(script.folder.path()).entryList({"results.txt*"}, QDir::Files),
              QStringList{"results.txt"});
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
        // A runtime folder of nobody's own, so that Qt makes none in the
        // temporary folder (which would stay there).
        TempFolder home;
        const QString runtime = home.file(QStringLiteral("runtime"));
        ASSERT_TRUE(QDir().mkpath(runtime));
        ASSERT_EQ(::chown(QFile::encodeName(home.path()).constData(), 65534, 65534), 0);
        ASSERT_EQ(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
        ASSERT_TRUE(
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        QProcess child;
        child.setProcessEnvironment(environment);
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

    // A file the user may write in a folder they may not: written in place,
    // as the same save into a folder of their own writes it.
    const QString locked = script.folder.file("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString inPlace = script.folder.write("locked/results.txt", "an earlier export\r\n");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    script.saveAnswers.enqueue(inPlace);
    form->PushButton4_Click();
    script.saveAnswers.enqueue(script.folder.file("results.txt"));
    form->PushButton4_Click();
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(script.errors().isEmpty()) << qPrintable(script.log.join('\n'));
    EXPECT_EQ(TempFolder::read(inPlace), TempFolder::read(script.folder.file("results.txt")));
    EXPECT_NE(TempFolder::read(inPlace), "an earlier export\r\n");
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"results.txt"});
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
