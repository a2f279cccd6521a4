#include "core/files/TextStream.h"

#include "core/base/Failure.h"
#include "support/FailureOf.h"
#include "support/FullDisk.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A file's permissions for its owner, group and others (not those of this
// process's user, which the superuser always has).
QFile::Permissions modeBits(const QString& path)
{
    return QFileInfo(path).permissions() & QFile::Permissions(0x7077);
}

QByteArray systemBytes(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

// What a folder holds, by name.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

class TextStreamTest : public ::testing::Test
{
protected:
    TempFolder folder;
    TextFileMaker fso;
};

// Writing ---------------------------------------------------------------------

TEST_F(TextStreamTest, LinesGoAsTheyAreWithoutByteOrderMark)
{
    const QString path = folder.file("out.txt");
    const QByteArray lines =
        " Valid Codes\t\r\n\r\n" + systemBytes(QStringLiteral("caf\u00e9\t")) + "\r\n";
    auto ts = fso.CreateTextFile(path, true);
    ts->WriteLines(lines);
    ts->Close();
    EXPECT_EQ(TempFolder::read(path), lines);
}

TEST_F(TextStreamTest, LongFilesAreWrittenWholeAcrossTheStreamsPieces)
{
    const QString path = folder.file("long.txt");
    QByteArray expected;
    auto ts = fso.CreateTextFile(path, true);
    for (int i = 0; i < 30'000; ++i) {
        const QString line = QString::number(i * 7919) + QLatin1Char('\t');
        ts->WriteLines(line.toLatin1() + "\r\n");
        expected += line.toLatin1() + "\r\n";
    }
    ts->Close();
    EXPECT_GT(expected.size(), 256 * 1024);
    EXPECT_EQ(TempFolder::read(path), expected);
}

TEST_F(TextStreamTest, ALineLongerThanAPieceIsWrittenWhole)
{
    const QString path = folder.file("wide.txt");
    const QString line(200'000, QLatin1Char('x'));
    auto ts = fso.CreateTextFile(path, true);
    ts->WriteLines(line.toLatin1() + "\r\n");
    ts->Close();
    EXPECT_EQ(TempFolder::read(path), line.toLatin1() + "\r\n");
}

TEST_F(TextStreamTest, AnExistingFileIsReplacedOnlyByClose)
{
    const QString path = folder.write("out.txt", "old content\r\n");
    auto ts = fso.CreateTextFile(path, true);
    for (int i = 0; i < 20'000; ++i)
        ts->WriteLines("a line of the new file\r\n");
    EXPECT_EQ(TempFolder::read(path), "old content\r\n");
    ts->Close();
    EXPECT_TRUE(TempFolder::read(path).startsWith("a line of the new file\r\n"));
    EXPECT_EQ(entries(folder.path()), QStringList{"out.txt"});
}

TEST_F(TextStreamTest, ReplacingKeepsTheFilesPermissions)
{
    const QString path = folder.write("private.txt", "old");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    auto ts = fso.CreateTextFile(path, true);
    ts->WriteLines("new\r\n");
    ts->Close();
    EXPECT_EQ(TempFolder::read(path), "new\r\n");
    EXPECT_EQ(modeBits(path), QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(TextStreamTest, AStreamLetGoWithoutCloseLeavesTheOldFile)
{
    const QString path = folder.write("out.txt", "old content\r\n");
    {
        auto ts = fso.CreateTextFile(path, true);
        for (int i = 0; i < 20'000; ++i)
            ts->WriteLines("never finished\r\n");
    }
    EXPECT_EQ(TempFolder::read(path), "old content\r\n");
    EXPECT_EQ(entries(folder.path()), QStringList{"out.txt"});
}

TEST_F(TextStreamTest, NothingCanBeWrittenAfterClose)
{
    auto ts = fso.CreateTextFile(folder.file("out.txt"), true);
    ts->Close();
    EXPECT_EQ(failureOf([&] { ts->WriteLines("late\r\n"); }), "Bad file name or number");
    EXPECT_EQ(failureOf([&] { ts->Close(); }), "Bad file name or number");
    EXPECT_EQ(TempFolder::read(folder.file("out.txt")), "");
}

// Files that cannot be created ------------------------------------------------

TEST_F(TextStreamTest, AFolderThatDoesNotExistFails)
{
    const QString path = folder.file("no such folder/out.txt");
    EXPECT_EQ(failureOf([&] { fso.CreateTextFile(path, true); }), "No such file or directory");
    EXPECT_TRUE(entries(folder.path()).isEmpty());
}

TEST_F(TextStreamTest, APathThroughAFileFails)
{
    folder.write("plain", "x");
    EXPECT_EQ(failureOf([&] { fso.CreateTextFile(folder.file("plain/out.txt"), true); }),
              "Not a directory");
}

TEST_F(TextStreamTest, AFolderCannotBeReplaced)
{
    QDir(folder.path()).mkdir("sub");
    EXPECT_NE(failureOf([&] { fso.CreateTextFile(folder.file("sub"), true); }), "(no failure)");
    EXPECT_TRUE(QFileInfo(folder.file("sub")).isDir());
}

TEST_F(TextStreamTest, AFolderNobodyMayWriteInFailsEvenForTheSuperuser)
{
    // Nothing can be created in /proc, whoever asks.
    if (!QFileInfo(QStringLiteral("/proc/self")).exists())
        GTEST_SKIP() << "no /proc";
    EXPECT_NE(
        failureOf([&] { fso.CreateTextFile(QStringLiteral("/proc/quorvane-out.txt"), true); }),
        "(no failure)");
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/quorvane-out.txt")));
}

TEST_F(TextStreamTest, AReadOnlyFileIsLeftAsItWasEvenForTheSuperuser)
{
    const QString path = folder.write("locked.txt", "keep me\r\n");
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(path, readOnly));
    EXPECT_EQ(failureOf([&] { fso.CreateTextFile(path, true); }), "Permission denied");
    EXPECT_EQ(TempFolder::read(path), "keep me\r\n");
    EXPECT_EQ(modeBits(path), readOnly);
    EXPECT_EQ(entries(folder.path()), QStringList{"locked.txt"});
}

TEST_F(TextStreamTest, AnExistingFileIsKeptWhenNotToBeReplaced)
{
    const QString path = folder.write("out.txt", "old");
    EXPECT_EQ(failureOf([&] { fso.CreateTextFile(path, false); }), "File already exists");
    EXPECT_EQ(TempFolder::read(path), "old");
    auto ts = fso.CreateTextFile(folder.file("new.txt"), false);
    ts->WriteLines("new\r\n");
    ts->Close();
    EXPECT_EQ(TempFolder::read(folder.file("new.txt")), "new\r\n");
}

// A full disk ---------------------------------------------------------------------

TEST_F(TextStreamTest, ADiskFullPartWayFailsOnceAndKeepsTheOldFile)
{
    const QString path = folder.write("out.txt", "old content\r\n");
    auto ts = fullDisk(100'000).CreateTextFile(path, true);
    int written = 0;
    QString failure;
    for (int i = 0; i < 20'000 && failure.isEmpty(); ++i) {
        failure = failureOf([&] { ts->WriteLines("a line of the new file\r\n"); });
        if (failure == "(no failure)") {
            failure.clear();
            ++written;
        }
    }
    EXPECT_EQ(failure, "No space left on device");
    EXPECT_GT(written, 2000); // the first pieces did fit
    // The stream stays broken and never puts its file in place.
    EXPECT_EQ(failureOf([&] { ts->WriteLines("more\r\n"); }), "No space left on device");
    EXPECT_EQ(failureOf([&] { ts->Close(); }), "No space left on device");
    ts.reset();
    EXPECT_EQ(TempFolder::read(path), "old content\r\n");
    EXPECT_EQ(entries(folder.path()), QStringList{"out.txt"});
}

TEST_F(TextStreamTest, ADiskFullAtTheLastPieceFailsCloseAndKeepsTheOldFile)
{
    const QString path = folder.write("out.txt", "old content\r\n");
    auto ts = fullDisk(10).CreateTextFile(path, true);
    ts->WriteLines("a short line that is held until Close\r\n");
    EXPECT_EQ(failureOf([&] { ts->Close(); }), "No space left on device");
    ts.reset();
    EXPECT_EQ(TempFolder::read(path), "old content\r\n");
    EXPECT_EQ(entries(folder.path()), QStringList{"out.txt"});
}

TEST(TextStreamKilled, AKilledProcessLeavesTheOldFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The killed child runs this test again from its start: it writes into
    // the folder of this process, and makes none of its own that its kill
    // would leave behind.
    const char* const folderVariable = "QUORVANE_KILLED_WRITER_FOLDER";
    std::optional<TempFolder> own;
    QString folder = qEnvironmentVariable(folderVariable);
    if (folder.isEmpty()) {
        own.emplace();
        folder = own->path();
        own->write("out.txt", "old content\r\n");
        qputenv(folderVariable, folder.toLocal8Bit());
    }
    const QString path = folder + QStringLiteral("/out.txt");
    EXPECT_EXIT(
        {
            auto ts = TextFileMaker().CreateTextFile(path, true);
            for (int i = 0; i < 50'000; ++i)
                ts->WriteLines("a line of the new file\r\n");
            std::raise(SIGKILL);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    qunsetenv(folderVariable);
    EXPECT_EQ(TempFolder::read(path), "old content\r\n");
    EXPECT_EQ(entries(folder), QStringList{"out.txt"});
}

} // namespace
