#include "core/files/SafeFile.h"

#include "core/base/Failure.h"
#include "support/FailureOf.h"
#include "support/TempFolder.h"

#include <QDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class SafeFileTest : public ::testing::Test
{
protected:
    QStringList names() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    TempFolder folder;
    SafeFile::Rules straight{SafeFile::Existing::ReplaceUnlessReadOnly,
                             SafeFile::Others::WriteStraight,
                             {},
                             true,
                             -1,
                             {}};
};

// The target keeps what it held until commit; a file let go or failed leaves
// it, and no temporary file.
TEST_F(SafeFileTest, TheTargetChangesOnlyAtCommit)
{
    const QString path = folder.write("out.txt", "OLD");
    {
        auto file = SafeFile::open(path, {});
        file->write("new");
        EXPECT_EQ(TempFolder::read(path), "OLD");
    }
    EXPECT_EQ(TempFolder::read(path), "OLD");
    EXPECT_EQ(names(), QStringList({"out.txt"}));

    // A file-size limit fails the write with its reason rather than ending
    // the process.
    rlimit before;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    auto file = SafeFile::open(path, {});
    const rlimit limit{4096, before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(failureOf([&] { file->write(QByteArray(8192, 'x')); }), "File too large");
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
    EXPECT_EQ(failureOf([&] { file->commit(); }), "File too large");
    file.reset();
    EXPECT_EQ(TempFolder::read(path), "OLD");
    EXPECT_EQ(names(), QStringList({"out.txt"}));

    file = SafeFile::open(path, {});
    file->write("new");
    file->commit();
    EXPECT_EQ(TempFolder::read(path), "new");
    EXPECT_EQ(failureOf([&] { file->write("more"); }), "Bad file name or number");
}

// A pipe is refused, or written straight where the rules allow it; `-` is
// the descriptor named for standard output.
TEST_F(SafeFileTest, PipesAreRefusedOrWrittenStraight)
{
    const QString fifo = folder.file("out.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(failureOf([&] { SafeFile::open(fifo, {}); }), "Not a regular file");

    QByteArray read;
    std::thread reader([&] {
        QFile f(fifo);
        if (f.open(QIODevice::ReadOnly))
            read = f.readAll();
    });
    {
        auto file = SafeFile::open(fifo, straight);
        file->write("012345678905\n");
        file->commit();
    }
    reader.join();
    EXPECT_EQ(read, "012345678905\n");

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    straight.standardOutput = ends[1];
    auto out = SafeFile::open(QStringLiteral("-"), straight);
    out->write("abc");
    out->commit();
    out.reset();
    char bytes[4] = {};
    EXPECT_EQ(::read(ends[0], bytes, sizeof bytes), 3);
    EXPECT_EQ(::write(ends[1], "d", 1), 1); // still open: standard output is not closed
    ::close(ends[0]);
    ::close(ends[1]);
}

} // namespace
