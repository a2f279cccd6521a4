// Copies of the real program on one stored code list: the second start
// brings the first to the front and ends; a lock left by a killed copy keeps
// no one out; the copies meet where no folder can hold their socket; and the
// socket takes no more than one short request from a client. --help and
// --version only answer.
#include "gui/platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions ReadOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;

// A started copy ends with its test.
struct Copy : QProcess
{
    ~Copy() override
    {
        kill();
        waitForFinished(10000);
    }
};

class Copies : public ::testing::Test
{
protected:
    QTemporaryDir home;
    QString folder = home.filePath("config/Tarnwell/Quorvane");
    // The copies' own runtime folder.
    QString runtime = home.filePath("runtime");
    QProcessEnvironment environment;

    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkdir("runtime"));
        QFile::setPermissions(runtime, OwnerOnly);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", runtime);
    }
    void TearDown() override
    {
        QFile::setPermissions(folder, OwnerOnly);
        QFile::setPermissions(runtime, OwnerOnly);
    }

    // Runs the copies as a user for whom a read-only folder is read-only:
    // the administrator writes every folder, so it runs them as `nobody`.
    // False where that cannot be done.
    bool asUserBoundByPermissions()
    {
        if (::geteuid() != 0)
            return true;
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || QStandardPaths::findExecutable("setpriv").isEmpty())
            return false;
        m_user = nobody->pw_uid;
        QDirIterator entries(home.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        bool owned = ::chown(QFile::encodeName(home.path()).constData(), nobody->pw_uid,
                             nobody->pw_gid) == 0;
        while (entries.hasNext())
            owned = ::chown(QFile::encodeName(entries.next()).constData(), nobody->pw_uid,
                            nobody->pw_gid) == 0 &&
                    owned;
        return owned;
    }

    void start(QProcess& copy) const
    {
        copy.setProcessEnvironment(environment);
        copy.setProcessChannelMode(QProcess::ForwardedChannels);
        if (m_user)
            copy.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                   QStringLiteral(QUORVANE_PROGRAM)});
        else
            copy.start(QStringLiteral(QUORVANE_PROGRAM), {});
        ASSERT_TRUE(copy.waitForStarted(10000));
    }

    QString name() const { return SingleInstance::serverName(folder, m_user.value_or(::getuid())); }

    // Whether the copy takes connections, within a while: in the runtime
    // folder or in the abstract namespace.
    bool listens(const QProcess& copy) const
    {
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            if (copy.state() != QProcess::Running)
                return false;
            for (const auto& [place, options] :
                 {std::pair{runtime + '/' + name(), QLocalSocket::NoOptions},
                  std::pair{name(), QLocalSocket::AbstractNamespaceOption}}) {
                QLocalSocket socket;
                socket.setSocketOptions(options);
                socket.connectToServer(place);
                if (socket.waitForConnected(1000))
                    return true;
            }
        }
        return false;
    }

    // Whether the copy holds the lock and listens, within a while.
    bool runs(const QProcess& copy) const
    {
        const QByteArray pid = QByteArray::number(copy.processId());
        QFile lock(folder + "/.lock");
        for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QThread::msleep(50)) {
            if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed() == pid)
                return listens(copy);
            lock.close();
        }
        return false;
    }

    // Starts a copy while another runs: it ends at once, successfully.
    void expectSecondStartEnds() const
    {
        Copy second;
        start(second);
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
    }

private:
    std::optional<uid_t> m_user;
};

// A client of the copy's socket in the runtime folder, at the bytes' level.
class Client
{
public:
    explicit Client(const QString& path)
        : m_socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(address.sun_path, bytes.constData(),
                    std::min(sizeof address.sun_path - 1, size_t(bytes.size())));
        const timeval wait{10, 0};
        ::setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        m_connected =
            ::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(m_socket); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return m_connected; }

    // Sends up to `total` bytes without a line end; how many went before the
    // copy hung up (false if it did not, or if it never hung up).
    std::optional<qint64> sendUntilDropped(qint64 total) const
    {
        const QByteArray chunk(1 << 20, 'x');
        qint64 sent = 0;
        while (sent < total) {
            const ssize_t n =
                ::send(m_socket, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL);
            if (n < 0)
                return errno == EPIPE || errno == ECONNRESET ? std::optional(sent) : std::nullopt;
            sent += n;
        }
        return std::nullopt;
    }

    // Whether the copy hangs up, within ten seconds.
    bool droppedByCopy() const
    {
        char byte = 0;
        return ::recv(m_socket, &byte, 1, 0) == 0;
    }

private:
    int m_socket;
    bool m_connected = false;
};

// The most memory the process has used so far, in KiB.
qint64 peakMemory(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

TEST_F(Copies, ASecondStartEndsAndALockLeftByAKilledCopyIsTakenOver)
{
    Copy first;
    start(first);
    ASSERT_TRUE(runs(first));
    expectSecondStartEnds();
    EXPECT_EQ(first.state(), QProcess::Running);

    // Killed: its lock file and socket stay behind.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(folder + "/.lock"));

    Copy next;
    start(next);
    ASSERT_TRUE(runs(next));
    expectSecondStartEnds();
    EXPECT_EQ(next.state(), QProcess::Running);
}

// A start removes the temporary folders that copies which are gone left
// behind; a folder that a copy holds (here the test) stays.
TEST_F(Copies, AStartRemovesTheFoldersOfCopiesThatAreGone)
{
    const QString temporary = home.filePath("tmp");
    environment.insert("TMPDIR", temporary);
    const QString gone = temporary + "/quorvane-Gone12", held = temporary + "/quorvane-Held12";
    for (const QString& work : {gone, held}) {
        ASSERT_TRUE(QDir().mkpath(work));
        ASSERT_TRUE(QFile(work + "/book.xlsx").open(QIODevice::WriteOnly));
        const timeval old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
        ASSERT_EQ(::utimes(QFile::encodeName(work).constData(), old), 0);
    }
    const int lock = ::open(QFile::encodeName(held).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    Copy copy;
    start(copy);
    ASSERT_TRUE(runs(copy));
    // Removed right after the copy starts to listen.
    for (QDeadlineTimer deadline(10000); QFileInfo::exists(gone) && !deadline.hasExpired();)
        QThread::msleep(20);
    ::close(lock);
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(QFileInfo::exists(held + "/book.xlsx"));
}

// --help and --version answer and end, with no display, no window and no lock.
TEST_F(Copies, HelpAndVersionAnswerWithoutAWindow)
{
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    const struct
    {
        const char* option;
        const char* firstLine;
    } cases[] = {
        {"--help", "Usage: quorvane [OPTION]...\n"},
        {"-h", "Usage: quorvane [OPTION]...\n"},
        {"--version", "quorvane (Quorvane) "},
    };
    for (const auto& c : cases) {
        Copy copy;
        copy.setProcessEnvironment(environment);
        copy.start(QStringLiteral(QUORVANE_PROGRAM), {c.option});
        ASSERT_TRUE(copy.waitForFinished(10000)) << c.option;
        EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy.exitCode(), 0) << c.option;
        EXPECT_TRUE(copy.readAllStandardOutput().startsWith(c.firstLine)) << c.option;
        EXPECT_EQ(copy.readAllStandardError(), "") << c.option;
    }
    EXPECT_FALSE(QFile::exists(folder + "/.lock"));
}

TEST_F(Copies, ALockLeftByAKilledCopyInAFolderThatCannotBeWrittenKeepsNoOneOut)
{
    if (!asUserBoundByPermissions())
        GTEST_SKIP() << "needs setpriv and the user nobody to make a folder read-only";
    Copy first;
    start(first);
    ASSERT_TRUE(runs(first));
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    ASSERT_TRUE(QFile::setPermissions(folder, ReadOnly));

    // It starts at once without the lock, which it cannot remove, and a
    // further start brings it to the front.
    Copy next;
    start(next);
    ASSERT_TRUE(listens(next));
    expectSecondStartEnds();
    EXPECT_EQ(next.state(), QProcess::Running);
    EXPECT_TRUE(QFile::exists(folder + "/.lock"));
}

TEST_F(Copies, WhereNoFolderCanHoldTheSocketTheCopiesStillMeet)
{
    if (!asUserBoundByPermissions())
        GTEST_SKIP() << "needs setpriv and the user nobody to make a folder read-only";
    // Neither the runtime folder nor the temporary folder that stands in for
    // it can be written.
    ASSERT_TRUE(QFile::setPermissions(runtime, ReadOnly));
    environment.insert("TMPDIR", runtime);
    Copy first;
    start(first);
    ASSERT_TRUE(runs(first));
    expectSecondStartEnds();
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(Copies, AClientThatSendsTooMuchOrNothingIsDropped)
{
    Copy first;
    start(first);
    ASSERT_TRUE(runs(first));
    expectSecondStartEnds(); // the window is up
    const QString path = runtime + '/' + name();
    const qint64 before = peakMemory(first.processId());

    const Client flood(path);
    ASSERT_TRUE(flood.connected());
    const std::optional<qint64> sent = flood.sendUntilDropped(qint64(256) << 20);
    ASSERT_TRUE(sent.has_value());
    EXPECT_LT(*sent, qint64(16) << 20);
    EXPECT_LT(peakMemory(first.processId()) - before, 32 * 1024);

    QElapsedTimer waited;
    waited.start();
    const Client silent(path);
    ASSERT_TRUE(silent.connected());
    EXPECT_TRUE(silent.droppedByCopy());
    EXPECT_LT(waited.elapsed(), 8000);

    expectSecondStartEnds();
    EXPECT_EQ(first.state(), QProcess::Running);
}

} // namespace
