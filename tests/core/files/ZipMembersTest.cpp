#include "core/files/ZipMembers.h"

#include "core/files/SpreadsheetFile.h"
#include "support/DeclaredZip.h"
#include "support/FailureOf.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

// The workbooks this program writes are read back in SpreadsheetFileTest; here
// a workbook another program made, and files that are no zip.
namespace {

TEST(ZipMembersTest, AWorkbookLibreOfficeMadeIsReadWhole)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString timeout = QStandardPaths::findExecutable(QStringLiteral("timeout"));
    if (soffice.isEmpty() || timeout.isEmpty())
        GTEST_SKIP() << "soffice (LibreOffice) or timeout is not installed";
    TempFolder folder;
    const QString csv = folder.write("codes.csv", "Valid Codes\r\nabc012345678905\r\n");
    // timeout ends LibreOffice's whole process group; the profile is the test's own.
    QProcess office;
    office.setProcessChannelMode(QProcess::MergedChannels);
    office.start(timeout,
                 {"--kill-after=5", "90", soffice, "--headless", "--norestore", "--nologo",
                  "--nolockcheck", "-env:UserInstallation=file://" + folder.file("profile"),
                  "--convert-to", "xlsx", "--outdir", folder.path(), csv});
    ASSERT_TRUE(office.waitForFinished(100000));
    ASSERT_EQ(office.exitCode(), 0) << office.readAll().constData();

    QByteArrayList names;
    QByteArray all;
    ZipMembers::read(folder.file("codes.xlsx"),
                     [&](const QByteArray& name, const QByteArray& bytes) {
                         names.append(name);
                         all.append(bytes);
                     });
    EXPECT_TRUE(names.contains("[Content_Types].xml")) << names.join(' ').constData();
    EXPECT_TRUE(names.contains("xl/worksheets/sheet1.xml")) << names.join(' ').constData();
    EXPECT_TRUE(all.contains("Valid Codes"));
    EXPECT_TRUE(all.contains("abc012345678905"));
}

// A file that is no zip, and a workbook with one byte of a sheet's compressed
// data changed (its inflating or its CRC fails).
TEST(ZipMembersTest, AFileThatIsNoWholeZipFails)
{
    TempFolder folder;
    const QString book = folder.file("book.xlsx");
    SpreadsheetFile file(SpreadsheetFile::Format::Xlsx, SafeFile::open(book, {}), "Valid Codes");
    for (int i = 0; i < 1000; ++i)
        file.addRow(QString::number(i));
    file.commit();
    QByteArray damaged = TempFolder::read(book);
    const qsizetype sheet = damaged.indexOf("xl/worksheets/sheet1.xml");
    ASSERT_GT(sheet, 0);
    damaged[sheet + 40] = char(damaged[sheet + 40] ^ 0x55);

    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("PK\x05\x06 short"), QByteArray(1000, 'x'), damaged}) {
        const QString path = folder.write("no.zip", bytes);
        EXPECT_EQ(failureOf([&] { ZipMembers::read(path, [](auto&, auto&) {}); }),
                  "The workbook cannot be read back");
    }
    EXPECT_EQ(failureOf([&] { ZipMembers::read(folder.file("missing.zip"), [](auto&, auto&) {}); }),
              "The workbook cannot be read back");
}

// What the members say they unpack to, read from the directory alone: the
// sum of a workbook's members, a bomb's 3 GiB, none for a file that is no zip.
TEST(ZipMembersTest, TheUnpackedSizeIsTheSumTheDirectorySays)
{
    TempFolder folder;
    const QString book = folder.file("book.xlsx");
    SpreadsheetFile file(SpreadsheetFile::Format::Xlsx, SafeFile::open(book, {}), "Valid Codes");
    file.addRow(QStringLiteral("012345678905"));
    file.commit();
    quint64 members = 0;
    ZipMembers::read(book, [&](const QByteArray&, const QByteArray& bytes) {
        members += quint64(bytes.size());
    });
    const struct
    {
        QString path;
        std::optional<quint64> size;
    } cases[] = {
        {book, members},
        {folder.write("bomb.xlsx", zipDeclaring(0xC0000000)), 0xC0000000},
        {folder.write("text.xlsx", "UPC\n012345678905\n"), std::nullopt},
        {folder.file("missing.xlsx"), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZipMembers::unpackedSize(c.path), c.size) << c.path.toStdString();
}

} // namespace
