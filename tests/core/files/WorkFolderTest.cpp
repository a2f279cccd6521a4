// Temporary folders that copies of the program leave behind: those of a copy
// that was killed, or that ended at once on a close in the middle of an
// action, go at the next start; those of a copy that still runs stay.
#include "core/files/WorkFolder.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/time.h>
#include <sys/wait.h>

namespace {

enum class End
{
    Killed,
    ExitAtOnce, // as a close in the middle of an action ends the program
    Running,
};

// A process that makes a work folder with a file in it, tells its path and
// then waits to be killed, or ends at once without letting the folder go.
struct Holder
{
    pid_t pid = -1;
    QString folder;

    explicit Holder(End end)
    {
        int told[2];
        EXPECT_EQ(::pipe(told), 0);
        pid = ::fork();
        if (pid == 0) {
            WorkFolder work;
            QFile book(work.filePath("book.xlsx"));
            const QByteArray path = QFile::encodeName(work.path());
            if (!work.isValid() || !book.open(QIODevice::WriteOnly) ||
                ::write(told[1], path.constData(), size_t(path.size())) != path.size())
                ::_exit(1);
            ::close(told[1]);
            if (end == End::ExitAtOnce)
                ::_exit(0);
            ::pause();
        }
        ::close(told[1]);
        char path[4096];
        const ssize_t n = ::read(told[0], path, sizeof path);
        ::close(told[0]);
        folder = QFile::decodeName(QByteArray(path, n > 0 ? n : 0));
        if (end == End::Killed)
            ::kill(pid, SIGKILL);
        if (end != End::Running)
            ::waitpid(pid, nullptr, 0);
    }
    ~Holder()
    {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// Makes a path look untouched for two minutes.
void age(const QString& path)
{
    const timeval old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    EXPECT_EQ(::lutimes(QFile::encodeName(path).constData(), old), 0) << qPrintable(path);
}

// The temporary folder, for as long as it lives, a folder of the test's own.
struct OwnTemporaryFolder : TempFolder
{
    QByteArray before = qgetenv("TMPDIR");
    OwnTemporaryFolder() { qputenv("TMPDIR", QFile::encodeName(path())); }
    ~OwnTemporaryFolder()
    {
        if (before.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", before);
    }
};

TEST(WorkFolder, FoldersWhoseProcessIsGoneAreRemovedAtTheNextStart)
{
    const OwnTemporaryFolder temporary;
    const QString program = QCoreApplication::applicationName();
    ASSERT_FALSE(program.isEmpty());
    const QString prefix = temporary.file(program + '-');

    const Holder killed(End::Killed), exited(End::ExitAtOnce), running(End::Running);
    const QString justMade = prefix + "new123", otherUser = prefix + "nobody";
    ASSERT_TRUE(QDir().mkdir(justMade));
    ASSERT_TRUE(QDir().mkdir(otherUser));
    const bool chowned =
        ::geteuid() == 0 && ::chown(QFile::encodeName(otherUser).constData(), 65534, 65534) == 0;
    temporary.write(program + "-file12", "not a folder");
    ASSERT_EQ(::symlink(QFile::encodeName(killed.folder).constData(),
                        QFile::encodeName(prefix + "link12").constData()),
              0);
    const QString otherName = temporary.file("other-abc123"), longer = prefix + "abc1234";
    ASSERT_TRUE(QDir().mkdir(otherName));
    ASSERT_TRUE(QDir().mkdir(longer));
    for (const QString& path : {killed.folder, exited.folder, running.folder, otherUser,
                                prefix + "file12", prefix + "link12", otherName, longer})
        age(path);

    WorkFolder::removeAbandoned();
    const struct
    {
        QString path;
        bool kept;
    } cases[] = {
        {killed.folder, false}, {exited.folder, false},    {running.folder, true}, {justMade, true},
        {otherUser, chowned},   {prefix + "file12", true}, {otherName, true},      {longer, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QFileInfo::exists(c.path), c.kept) << qPrintable(c.path);
    EXPECT_TRUE(QFileInfo(prefix + "link12").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(running.folder + "/book.xlsx"));
}

} // namespace
