// The checker as a process of its own: what it does to its files when a run
// fails, is cut off by a signal or a file-size limit, or writes to a pipe.
#include "support/TempFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// A checker started with its standard input and output on descriptors of the
// test's choosing (input -1: the test's own), standard error to a file.
class Child
{
public:
    Child(const QStringList& arguments, int in, int out, const QString& errPath,
          const std::function<void()>& beforeExec = {})
    {
        std::vector<QByteArray> args{QUORVANE_CHECK_PROGRAM};
        for (const QString& a : arguments)
            args.push_back(QFile::encodeName(a));
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const QByteArray err = QFile::encodeName(errPath);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int e = ::open(err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in >= 0)
                ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(e, 2);
            if (beforeExec)
                beforeExec();
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    // The wait status.
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        return status;
    }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

class CheckerProcessTest : public ::testing::Test
{
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }

    // Runs the checker to its end with standard input from `inPath` (a file),
    // output to a file; answers the exit status, -1 for a signal.
    int check(const QStringList& arguments, const QString& inPath,
              const std::function<void()>& beforeExec = {})
    {
        const int in = ::open(QFile::encodeName(inPath).constData(), O_RDONLY);
        const int out = ::open(QFile::encodeName(folder.file("stdout")).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Child child(arguments, in, out, folder.file("stderr"), beforeExec);
        ::close(in);
        ::close(out);
        const int status = child.wait();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    QByteArray err() const { return TempFolder::read(folder.file("stderr")); }

    // The names in the folder apart from the test's own.
    QStringList leftOver() const
    {
        QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll("stdout");
        names.removeAll("stderr");
        return names;
    }

    TempFolder folder;
};

TEST_F(CheckerProcessTest, AnOutputThatIsAnInputIsRefusedBeforeAnythingIsWritten)
{
    const QString codes = folder.write("c.txt", "012345678905\n");
    ASSERT_EQ(::link(QFile::encodeName(codes), QFile::encodeName(folder.file("hard.txt"))), 0);
    ASSERT_EQ(::symlink("c.txt", QFile::encodeName(folder.file("soft.txt"))), 0);
    const QString empty = folder.write("empty.txt", "");
    for (const auto& [arguments, stdinPath] : std::vector<std::pair<QStringList, QString>>{
             {{"--plain", "--valid", codes}, codes}, // standard input
             {{"--plain", "--valid", folder.file("hard.txt"), codes}, empty},
             {{"--invalid", folder.file("soft.txt"), codes}, empty},
         }) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(check(arguments, stdinPath), 2);
        EXPECT_TRUE(err().endsWith(": is also an input file\n")) << err().constData();
        EXPECT_EQ(TempFolder::read(codes), "012345678905\n");
    }
}

// A run that fails keeps every old file and leaves no temporary file.
TEST_F(CheckerProcessTest, AFailedRunKeepsTheOldFiles)
{
    const QString codes =
        folder.write("codes.txt", QByteArray("012345678905\r\n12\r\n").repeated(20000));
    const QString v = folder.write("v.txt", "OLD\n"), i = folder.write("i.txt", "OLD\n");
    const auto limited = [] {
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const struct
    {
        QStringList arguments;
        QByteArray message;
        std::function<void()> beforeExec;
    } cases[] = {
        {{"--plain", "--valid", v, "--invalid", "/nonexistent/x", codes},
         "quorvane-check: /nonexistent/x: No such file or directory\n",
         {}},
        {{"--plain", "--valid", v, "--invalid", i, codes, folder.file("missing.txt")},
         "quorvane-check: " + QFile::encodeName(folder.file("missing.txt")) +
             ": No such file or directory\n",
         {}},
        {{"--valid", v, "--invalid", i, codes},
         "quorvane-check: " + QFile::encodeName(v) + ": File too large\n",
         limited},
        {{"--plain", "--valid", v, "--invalid", i, codes},
         "quorvane-check: " + QFile::encodeName(v) + ": File too large\n",
         limited},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(check(c.arguments, codes, c.beforeExec), 2);
        EXPECT_TRUE(err().startsWith(c.message)) << err().constData();
        EXPECT_EQ(TempFolder::read(v), "OLD\n");
        EXPECT_EQ(TempFolder::read(i), "OLD\n");
        EXPECT_EQ(leftOver(), QStringList({"codes.txt", "i.txt", "v.txt"}));
    }
}

// Ctrl+C or SIGTERM while the input is still coming: the process ends by the
// signal and its files stay as they were.
TEST_F(CheckerProcessTest, ASignalMidRunKeepsTheOldFiles)
{
    const QString v = folder.write("v.txt", "OLD\n");
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        int in[2];
        ASSERT_EQ(::pipe(in), 0);
        const int out = ::open(QFile::encodeName(folder.file("stdout")).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Child child({"--plain", "--valid", v}, in[0], out, folder.file("stderr"));
        ::close(in[0]);
        ::close(out);
        const QByteArray codes = QByteArray("012345678905\n").repeated(100000);
        ASSERT_EQ(::write(in[1], codes.constData(), size_t(codes.size())), codes.size());
        ::kill(child.pid(), signal);
        const int status = child.wait();
        ::close(in[1]);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(TempFolder::read(v), "OLD\n");
        EXPECT_EQ(leftOver(), QStringList({"v.txt"}));
    }
}

// Whether a file of the folder that is none of `targets` (a replacement being
// made) is open in the process and holds bytes, within a while.
bool writesAReplacement(pid_t pid, const QString& folder, const QStringList& targets)
{
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired();) {
        for (const QString& fd :
             QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString path = fds + '/' + fd;
            char link[4096];
            const ssize_t n = ::readlink(QFile::encodeName(path).constData(), link, sizeof link);
            const QString target = QFile::decodeName(QByteArray(link, n > 0 ? n : 0));
            struct stat info;
            if (target.startsWith(folder + '/') && !targets.contains(target) &&
                ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_size > 0)
                return true;
        }
    }
    return false;
}

// A signal once the input has ended, while the padded lists are being
// written: the run stops, with no summary, and every old file stays.
TEST_F(CheckerProcessTest, ASignalWhileTheListsAreWrittenKeepsTheOldFiles)
{
    const QString v = folder.write("v.txt", "OLD\n"), i = folder.write("i.txt", "OLD\n");
    const QByteArray codes = QByteArray("012345678905\n12\n").repeated(1000000);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QString fifo = folder.file("codes.fifo");
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int out = ::open(QFile::encodeName(folder.file("stdout")).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Child child({"--valid", v, "--invalid", i, fifo}, -1, out, folder.file("stderr"));
        ::close(out);
        {
            QFile input(fifo); // the whole input, then its end
            ASSERT_TRUE(input.open(QIODevice::WriteOnly));
            ASSERT_EQ(input.write(codes), codes.size());
        }
        const bool writing = writesAReplacement(
            child.pid(), folder.path(), {v, i, folder.file("stderr"), folder.file("stdout")});
        ::kill(child.pid(), signal);
        const int status = child.wait();
        ::unlink(QFile::encodeName(fifo).constData());
        EXPECT_TRUE(writing);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(err(), "");
        EXPECT_EQ(TempFolder::read(v), "OLD\n");
        EXPECT_EQ(TempFolder::read(i), "OLD\n");
        EXPECT_EQ(leftOver(), QStringList({"i.txt", "v.txt"}));
    }
}

// A reader that goes away (`| head -c 64`) ends the run by SIGPIPE, as
// before, once the run has let its files go: the old ones stay, and no
// temporary file or folder (a workbook's) is left.
TEST_F(CheckerProcessTest, ABrokenPipeEndsTheRunByItsSignalLeavingNothing)
{
    const QString codes = folder.write("codes.txt", QByteArray("012345678905\n").repeated(200000));
    const QString i = folder.write("i.txt", "OLD\n");
    const QByteArray temporary = QFile::encodeName(folder.file("tmp"));
    ASSERT_TRUE(QDir().mkdir(folder.file("tmp")));
    for (const char* format : {"--format=xlsx", "--format=csv", "--plain"}) {
        SCOPED_TRACE(format);
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        Child child({format, "--valid=-", "--invalid", i, codes}, -1, out[1], folder.file("stderr"),
                    [&] {
                        ::close(out[0]); // the reader is the test alone
                        std::signal(SIGPIPE, SIG_DFL);
                        ::setenv("TMPDIR", temporary.constData(), 1);
                    });
        ::close(out[1]);
        char head[64];
        EXPECT_EQ(::read(out[0], head, sizeof head), qsizetype(sizeof head));
        ::close(out[0]);
        const int status = child.wait();
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), SIGPIPE);
        EXPECT_EQ(err(), "");
        EXPECT_EQ(TempFolder::read(i), "OLD\n");
        EXPECT_EQ(leftOver(), QStringList({"codes.txt", "i.txt"}));
        EXPECT_EQ(QDir(folder.file("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList());
    }
}

// A list to a pipe is written straight; a reader that went away ends the run
// at once.
TEST_F(CheckerProcessTest, PipesAreWrittenStraightAndABrokenOneEndsTheRun)
{
    const QString codes = folder.write("codes.txt", "012345678905\n12\n712345678904\n");
    const QString fifo = folder.file("valid.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray read;
    std::thread reader([&] {
        QFile f(fifo);
        if (f.open(QIODevice::ReadOnly))
            read = f.readAll();
    });
    EXPECT_EQ(check({"--plain", "--valid", fifo, codes}, codes), 1);
    reader.join();
    EXPECT_EQ(read, "012345678905\n712345678904\n");

    // Standard output a pipe nobody reads, standard input one that never ends.
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    ::close(out[0]);
    Child child({}, in[0], out[1], folder.file("stderr"), [] { std::signal(SIGPIPE, SIG_IGN); });
    ::close(in[0]);
    ::close(out[1]);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        const QByteArray invalid = QByteArray("12\n").repeated(10000);
        while (!stop && ::write(in[1], invalid.constData(), size_t(invalid.size())) > 0) {
        }
    });
    const int status = child.wait();
    stop = true;
    ::close(in[1]);
    writer.join();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    // The run failed: no summary follows.
    EXPECT_EQ(err(), "quorvane-check: standard output: Broken pipe\n");
}

// A line without end (as from a device that never sends a line end) is
// reported, with bounded memory, and the run ends.
TEST_F(CheckerProcessTest, ALineBeyondTheBoundEndsTheRun)
{
    for (const QByteArray& start : {QByteArray("012345678905\n"), QByteArray("\xC3\xA9\n")}) {
        int in[2];
        ASSERT_EQ(::pipe(in), 0);
        const int out = ::open(QFile::encodeName(folder.file("stdout")).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Child child({"--plain", "--valid", "-"}, in[0], out, folder.file("stderr"));
        ::close(in[0]);
        ::close(out);
        std::thread writer([&] {
            QByteArray zeros(64 * 1024, '0');
            ssize_t n = ::write(in[1], start.constData(), size_t(start.size()));
            for (int k = 0; k < 1024 && n > 0; ++k) // at most 64 MiB
                n = ::write(in[1], zeros.constData(), size_t(zeros.size()));
            ::close(in[1]);
        });
        const int status = child.wait();
        writer.join();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
        EXPECT_TRUE(err().startsWith("quorvane-check: standard input: line 2 is longer than "
                                     "1048576 characters\n"))
            << err().constData();
    }
}

} // namespace
