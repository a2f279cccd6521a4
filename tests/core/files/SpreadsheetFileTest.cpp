#include "core/files/SpreadsheetFile.h"

#include "core/files/ZipMembers.h"
#include "support/FailureOf.h"
#include "support/FullDisk.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The workbook's cells are read back by a real spreadsheet application in
// tests/integration/spreadsheet_read_back_test.sh; here the bytes of a CSV
// file, the workbook's container and the failures.
namespace {

using Format = SpreadsheetFile::Format;

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

class SpreadsheetFileTest : public ::testing::Test
{
protected:
    void write(Format format, const QString& path, const QStringList& rows,
               const SafeFile::Rules& rules = {})
    {
        SpreadsheetFile file(format, SafeFile::open(path, rules), QStringLiteral(" Valid Codes"));
        for (const QString& row : rows)
            file.addRow(row);
        file.commit();
    }

    TempFolder folder;
};

TEST_F(SpreadsheetFileTest, TheFormatIsTheNamesExtension)
{
    EXPECT_EQ(SpreadsheetFile::formatOf("/a/codes.xlsx"), Format::Xlsx);
    EXPECT_EQ(SpreadsheetFile::formatOf("codes.XLSX"), Format::Xlsx);
    EXPECT_EQ(SpreadsheetFile::formatOf("codes.Csv"), Format::Csv);
    EXPECT_EQ(SpreadsheetFile::formatOf("codes.txt"), std::nullopt);
    EXPECT_EQ(SpreadsheetFile::formatOf("codes"), std::nullopt);
    EXPECT_EQ(SpreadsheetFile::formatOf("xlsx"), std::nullopt);
}

// UTF-8 with its mark, CR LF, quotes only where needed, an apostrophe before
// what a spreadsheet would take for a formula; codes keep their bytes.
TEST_F(SpreadsheetFileTest, CsvIsRfc4180InUtf8)
{
    const QString path = folder.file("codes.csv");
    write(Format::Csv, path,
          {"012345678905", "", QString::fromUtf8("Café 8019\xe2\x80\x94"), "a,b", "a;b",
           "say \"hi\"", "two\nlines", "=HYPERLINK(\"x\")", "+1", "-5", "@A1", "\tx",
           "0-12345-67890-5", QString(QChar(0xD800))});
    const QByteArray expected = "\xEF\xBB\xBF Valid Codes\r\n"
                                "012345678905\r\n"
                                "\r\n"
                                "Caf\xC3\xA9 8019\xE2\x80\x94\r\n"
                                "\"a,b\"\r\n"
                                "\"a;b\"\r\n"
                                "\"say \"\"hi\"\"\"\r\n"
                                "\"two\nlines\"\r\n"
                                "\"'=HYPERLINK(\"\"x\"\")\"\r\n"
                                "'+1\r\n"
                                "'-5\r\n"
                                "'@A1\r\n"
                                "'\tx\r\n"
                                "0-12345-67890-5\r\n"
                                "\xEF\xBF\xBD\r\n";
    EXPECT_EQ(TempFolder::read(path), expected);
}

// A workbook is a zip container; a failing write of either format, and a
// text too long for a cell, leave the old file and nothing beside it.
TEST_F(SpreadsheetFileTest, FailuresLeaveTheOldFile)
{
    const QString book = folder.file("codes.xlsx");
    write(Format::Xlsx, book, {"012345678905", "00"});
    EXPECT_TRUE(TempFolder::read(book).startsWith("PK\x03\x04"));

    const qsizetype descriptors = openDescriptors();
    const QString path = folder.write("old.csv", "OLD");
    SafeFile::Rules fullDisk;
    fullDisk.maker = [](const QString& p) { return std::make_unique<FullDiskSaveFile>(p, 100); };
    const QStringList many(5000, QStringLiteral("012345678905"));
    for (const Format format : {Format::Csv, Format::Xlsx}) {
        EXPECT_EQ(failureOf([&] { write(format, path, many, fullDisk); }),
                  "No space left on device");
        EXPECT_EQ(TempFolder::read(path), "OLD");
    }
    const QString tooLong(SpreadsheetFile::CellCharacters + 1, QLatin1Char('1'));
    EXPECT_EQ(failureOf([&] {
                  write(Format::Xlsx, path, {"1", tooLong});
              }),
              "A text is longer than the 32767 characters a cell holds");
    EXPECT_EQ(TempFolder::read(path), "OLD");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"codes.xlsx", "old.csv"}));
    EXPECT_EQ(openDescriptors(), descriptors); // an abandoned workbook leaves no file open

    // A file once failed fails every later call alike.
    SpreadsheetFile file(Format::Xlsx, SafeFile::open(path, {}), "h");
    EXPECT_NE(failureOf([&] { file.addRow(tooLong); }), "(no failure)");
    EXPECT_EQ(failureOf([&] { file.addRow(QStringLiteral("1")); }),
              "A text is longer than the 32767 characters a cell holds");
}

// A cell's text as a workbook's reader reads it: the XML's text, in which
// "_xHHHH_" is the character HHHH, read from left to right.
QString readCell(const QString& xml)
{
    QString text = xml;
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString read;
    qsizetype at = 0;
    for (const QRegularExpressionMatch& m : escape.globalMatch(text)) {
        read += text.mid(at, m.capturedStart() - at) + QChar(m.captured(1).toUShort(nullptr, 16));
        at = m.capturedEnd();
    }
    return read + text.mid(at);
}

// A text that holds "_xHHHH_" itself is stored with its "_" written so
// ("_x005F_"), and reads back unchanged; control characters, which the
// library writes so, read back as themselves.
TEST_F(SpreadsheetFileTest, TextsThatLookLikeCharacterEscapesReadBackUnchanged)
{
    const struct
    {
        QString text;
        QString stored;
    } cells[] = {
        {"_x0041_", "_x005F_x0041_"},
        {"A_x00e9_B", "A_x005F_x00e9_B"},
        {"_x005F_x0041_", "_x005F_x005F_x005F_x0041_"},
        {"_x0041_x0042_", "_x005F_x0041_x005F_x0042_"},
        {"_x00C_ _x004G_ _X0041_ x0041_", "_x00C_ _x004G_ _X0041_ x0041_"},
        {"a\x01_x", "a_x0001__x"},
        {"<&>\"", "&lt;&amp;&gt;\""},
    };
    QStringList texts;
    for (const auto& cell : cells)
        texts.append(cell.text);
    const QString book = folder.file("codes.xlsx");
    write(Format::Xlsx, book, texts);
    QString sheet;
    ZipMembers::read(book, [&](const QByteArray& name, const QByteArray& bytes) {
        if (name == "xl/worksheets/sheet1.xml")
            sheet = QString::fromUtf8(bytes);
    });
    static const QRegularExpression text(QStringLiteral("<t(?: [^>]*)?>(.*?)</t>"));
    QStringList stored;
    for (const QRegularExpressionMatch& m : text.globalMatch(sheet))
        stored.append(m.captured(1));
    ASSERT_EQ(stored.size(), std::size(cells) + 1);
    EXPECT_EQ(readCell(stored[0]), " Valid Codes");
    for (std::size_t i = 0; i < std::size(cells); ++i) {
        EXPECT_EQ(stored[qsizetype(i) + 1], cells[i].stored);
        EXPECT_EQ(readCell(stored[qsizetype(i) + 1]), cells[i].text);
    }
}

// The workbook is put together in a temporary folder by a library that does
// not look at its own writes there: a file-size limit that cuts the sheet's
// rows, or only the last bytes of the sheet, fails the save and keeps the
// old file, where it once wrote a workbook missing rows.
TEST_F(SpreadsheetFileTest, AWorkbookCutShortInItsTemporaryFolderFails)
{
    const QStringList many(20000, QStringLiteral("012345678905"));
    const QString whole = folder.file("whole.xlsx");
    write(Format::Xlsx, whole, many);
    qint64 sheetBytes = 0;
    ZipMembers::read(whole, [&](const QByteArray& name, const QByteArray& bytes) {
        if (name == "xl/worksheets/sheet1.xml")
            sheetBytes = bytes.size();
    });
    ASSERT_GT(sheetBytes, 20000 * 12);

    const QString path = folder.write("old.xlsx", "OLD");
    for (const qint64 limit : {sheetBytes / 2, sheetBytes - 1}) {
        SCOPED_TRACE(limit);
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{rlim_t(limit), rlim_t(limit)};
            setrlimit(RLIMIT_FSIZE, &size);
            const bool failed =
                failureOf([&] { write(Format::Xlsx, path, many); }).startsWith("The temporary");
            _exit(failed ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(TempFolder::read(path), "OLD");
    }
}

} // namespace
