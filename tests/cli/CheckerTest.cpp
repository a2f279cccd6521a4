// The command-line checker against the window's own pieces: the lists it
// writes are byte for byte the text export's table of the same list (the
// export writes through the same TextTable), read with the import's
// reader and filed by CheckUPCCode.
#include "cli/Checker.h"

#include "core/text/TextFileReader.h"
#include "core/text/TextTable.h"
#include "core/upc/UpcCheck.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>

namespace {

using namespace Qt::StringLiterals;

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray systemBytes(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

struct Result
{
    int status = -1;
    QByteArray out, err;
};

class CheckerTest : public ::testing::Test
{
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    // Runs the checker with `input` on a pipe as standard input.
    Result check(const QStringList& arguments, const QByteArray& input = {})
    {
        int in[2];
        EXPECT_EQ(::pipe(in), 0);
        EXPECT_LT(input.size(), 60000); // fits the pipe
        EXPECT_EQ(::write(in[1], input.constData(), size_t(input.size())), input.size());
        ::close(in[1]);
        const QString outPath = dir.filePath("stdout"), errPath = dir.filePath("stderr");
        const int out = ::open(QFile::encodeName(outPath), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(QFile::encodeName(errPath), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        Result r;
        r.status = Checker::run(arguments, in[0], out, err);
        ::close(in[0]);
        ::close(out);
        ::close(err);
        r.out = readFile(outPath);
        r.err = readFile(errPath);
        return r;
    }

    // The two lists the window files the codes of a file into.
    static std::pair<QStringList, QStringList> windowLists(const QString& path)
    {
        QStringList valid, invalid;
        TextFileReader::readItems(path, [&](QString&& code) {
            const bool ok = modUPCCode::CheckUPCCode(code) == modUPCCode::Verdict::Valid;
            (ok ? valid : invalid).append(code);
        });
        return {valid, invalid};
    }

    static QByteArray exported(const QString& header, const QStringList& items)
    {
        ItemStore store;
        store.appendMany(items);
        return systemBytes(TextTable::tableText(TextTable::Layout::File, {header}, store));
    }

    QTemporaryDir dir;
};

// Files of every line form and encoding the import reads: with the window's
// line rule, the lists equal the text export of the window's lists, padded and
// plain, from a file and from a pipe.
TEST_F(CheckerTest, ListsAreTheWindowsExport)
{
    const QByteArray wide =
        QByteArray("\xFF\xFE") +
        QByteArray::fromRawData(reinterpret_cast<const char*>(u"712345678904\r\n1-2\r\n"), 38);
    const std::vector<QByteArray> inputs = {
        "012345678905\r\n712345678904\r\n279347895943\r\n12345\r\n",
        "0-12345-67890-5\n\n  801927504622\n0123456789.5\nabc\n",
        "012345678905\r712345678904\r\r0012345678905",
        "012345678905\n\303\251012345678905\n012345678900\n  a very long invalid code \n",
        "\357\273\277012345678905\r\n\357\273\277012345678905\r\n", // marks of UTF-8
        "712345678904\n\357\273\277012345678905\n",                 // a mark within the text
        "",
        wide,
    };
    for (const QByteArray& bytes : inputs) {
        SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
        const QString input = write("codes.txt", bytes);
        const auto [valid, invalid] = windowLists(input);
        const QString v = dir.filePath("v.txt"), i = dir.filePath("i.txt");

        Result r = check({"--window-lines", "--valid", v, "--invalid", i, input});
        EXPECT_EQ(r.status, invalid.isEmpty() ? 0 : 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, QStringLiteral("%1 codes: %2 valid, %3 invalid\n")
                             .arg(valid.size() + invalid.size())
                             .arg(valid.size())
                             .arg(invalid.size())
                             .toUtf8());
        EXPECT_EQ(readFile(v), exported(" Valid Codes", valid));
        EXPECT_EQ(readFile(i), exported("Invalid Codes", invalid));

        // From a pipe, which cannot be read again, and as plain lists.
        r = check({"--window-lines", "--plain", "--valid", v, "--invalid=" + i, "-"}, bytes);
        EXPECT_EQ(readFile(v), systemBytes(valid.join('\n') + (valid.isEmpty() ? "" : "\n")));
        EXPECT_EQ(readFile(i), systemBytes(invalid.join('\n') + (invalid.isEmpty() ? "" : "\n")));
    }
}

// --format=csv and xlsx: the lists as spreadsheet files (a workbook's cells
// are read back in tests/integration), kept as they were when the run fails;
// a workbook never goes to a terminal.
TEST_F(CheckerTest, ListsAsSpreadsheetFiles)
{
    const QString input = write("codes.txt", "012345678905\n12\n\303\251,1\n=1+1\n");
    const QString v = dir.filePath("v.csv"), i = dir.filePath("i.csv");
    Result r = check({"--format=csv", "--valid", v, "--invalid", i, input});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(v), "\xEF\xBB\xBF Valid Codes\r\n012345678905\r\n");
    EXPECT_EQ(readFile(i), "\xEF\xBB\xBFInvalid Codes\r\n12\r\n\"\xC3\xA9,1\"\r\n'=1+1\r\n");

    r = check({"--format=xlsx", "--valid=-", input});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.startsWith("PK\x03\x04"));
    write("i.csv", "OLD");
    r = check({"--format=csv", "--invalid", i, input, "missing.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(readFile(i), "OLD");

    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const int tty = ::open(::ptsname(terminal), O_WRONLY | O_NOCTTY);
    const int err = ::open(QFile::encodeName(dir.filePath("err")), O_WRONLY | O_CREAT, 0600);
    EXPECT_EQ(Checker::run({"--format=xlsx", "--valid=-", input}, -1, tty, err), 2);
    ::close(tty);
    ::close(terminal);
    ::close(err);
    EXPECT_EQ(readFile(dir.filePath("err")),
              "quorvane-check: standard output: an Excel workbook is not written to a terminal\n");
}

TEST_F(CheckerTest, ListsOfTheExportsOwnExamples)
{
    const QString input = write("codes.txt", "279347895943\n12345");
    const QString v = dir.filePath("v.txt"), i = dir.filePath("i.txt");
    EXPECT_EQ(check({"--valid", v, "--invalid", i, input}).status, 1);
    EXPECT_EQ(readFile(v), " Valid Codes\t\r\n");
    EXPECT_EQ(readFile(i), "Invalid Codes\t\r\n279347895943 \t\r\n12345        \t\r\n");
    const Result r = check({"--valid", "-"}, "712345678904\r\n801927504622\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, " Valid Codes\t\r\n712345678904\t\r\n801927504622\t\r\n");
}

// --unique checks and writes each code once and counts the repeats.
TEST_F(CheckerTest, UniqueLeavesOutRepeatedCodes)
{
    const QByteArray codes = "012345678905\n1\n012345678905\n\n1\n\n0-12345-67890-5\n";
    Result r = check({"--unique", "--plain", "--valid=-"}, codes);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "012345678905\n0-12345-67890-5\n");
    EXPECT_EQ(r.err, "7 codes: 2 valid, 2 invalid, 3 repeated (left out)\n");
    r = check({}, codes); // without it, every line counts
    EXPECT_EQ(r.err, "7 codes: 3 valid, 4 invalid\n");
}

TEST_F(CheckerTest, ReportJsonAndSummary)
{
    const QByteArray codes = "012345678905\n012345678900\n\n0-12345-67890\n";
    Result r = check({}, codes);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "012345678900\tCheck digit 0 is wrong, expected 5: 012345678905\n"
                     "\tEmpty\n"
                     "0-12345-67890\t11 digits, UPC-A has 12; check digit 5 completes it: "
                     "012345678905\n");
    EXPECT_EQ(r.err, "4 codes: 1 valid, 3 invalid\n");

    r = check({"--json"}, codes + "\"\t\\");
    EXPECT_EQ(r.status, 1);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(r.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.constData();
    EXPECT_EQ(json["codes"].toInt(), 5);
    EXPECT_EQ(json["valid"].toInt(), 1);
    EXPECT_EQ(json["invalid"].toInt(), 4);
    const QJsonArray results = json["results"].toArray();
    ASSERT_EQ(results.size(), 5);
    EXPECT_EQ(results[0].toObject(), (QJsonObject{{"code", "012345678905"},
                                                  {"valid", true},
                                                  {"meaning", "Number system 0: a regular item"}}));
    EXPECT_EQ(results[1].toObject()["fault"].toString(), "check-digit");
    EXPECT_EQ(results[1].toObject()["corrected"].toString(), "012345678905");
    EXPECT_EQ(results[4].toObject()["code"].toString(), "\"\t\\");

    // Damage is named with the code it most likely was, as bytes or as text.
    r = check({"--json"}, "12345678905\n'012345678905\n");
    const QJsonArray damaged = QJsonDocument::fromJson(r.out).object()["results"].toArray();
    ASSERT_EQ(damaged.size(), 2) << r.out.constData();
    EXPECT_EQ(damaged[0].toObject()["damage"].toString(), "lost-leading-zero");
    EXPECT_EQ(damaged[0].toObject()["repaired"].toString(), "012345678905");
    EXPECT_EQ(damaged[0].toObject()["corrected"].toString(), "123456789050");
    EXPECT_EQ(damaged[1].toObject()["damage"].toString(), "text-mark");
    EXPECT_EQ(damaged[1].toObject()["fault"].toString(), "character");
}

// A line end ends a line, whatever its form: the last one adds no code, an
// empty line before it is an empty code. --window-lines reads as the window
// does, where a final LF adds one more.
TEST_F(CheckerTest, LineEnds)
{
    const QByteArray one = "1 code: 1 valid, 0 invalid\n";
    const QByteArray wide =
        QByteArray("\xFF\xFE") +
        QByteArray::fromRawData(reinterpret_cast<const char*>(u"012345678905\n"), 26);
    const struct
    {
        QByteArray input;
        QStringList arguments;
        QByteArray out, err;
    } cases[] = {
        {"012345678905\n", {}, "", one},
        {"012345678905\r\n", {}, "", one},
        {"012345678905\r", {}, "", one},
        {"012345678905", {}, "", one},
        {wide, {}, "", one},
        {"\n", {}, "\n", "1 code: 0 valid, 1 invalid\n"},
        {"\xC3\xA9\n\n", {}, systemBytes(u"\u00E9\n\n"_s), "2 codes: 0 valid, 2 invalid\n"},
        {"012345678905\n\n712345678904\r\n\r\n", {}, "\n\n", "4 codes: 2 valid, 2 invalid\n"},
        {"012345678905\n\n712345678904\r\n\r\n",
         {"--skip-empty"},
         "",
         "2 codes: 2 valid, 0 invalid\n"},
        {"012345678905\n", {"--window-lines"}, "\n", "2 codes: 1 valid, 1 invalid\n"},
        {"012345678905\r\n", {"--window-lines"}, "", one},
        {"\xC3\xA9\n\n",
         {"--window-lines"},
         systemBytes(u"\u00E9\n\n\n"_s),
         "3 codes: 0 valid, 3 invalid\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toPercentEncoding().toStdString() + " " +
                     c.arguments.join(' ').toStdString());
        const QStringList plain = c.arguments + QStringList{"--plain", "--invalid", "-"};
        for (const Result& r :
             {check(plain, c.input), check(plain + QStringList{write("c.txt", c.input)})}) {
            EXPECT_EQ(r.status, c.out.isEmpty() ? 0 : 1);
            EXPECT_EQ(r.out, c.out);
            EXPECT_EQ(r.err, c.err);
        }
    }
}

// A pipe is read once, a line at a time: UTF-8 while every line so far was,
// then Windows-1252; a file is read as a whole, as the window reads it.
TEST_F(CheckerTest, APipeSettlesItsEncodingLineByLine)
{
    const QByteArray bytes = "caf\xC3\xA9\nx\xE9\n\xC3\xA9";
    Result r = check({"--plain", "--invalid", "-"}, bytes);
    EXPECT_EQ(r.out, systemBytes(u"caf\u00E9\nx\u00E9\n\u00C3\u00A9\n"_s));
    r = check({"--plain", "--invalid", "-", write("codes.txt", bytes)});
    EXPECT_EQ(r.out, systemBytes(u"caf\u00C3\u00A9\nx\u00E9\n\u00C3\u00A9\n"_s));
}

// A run with an error is a failed one: its message, and no summary.
TEST_F(CheckerTest, FileErrors)
{
    struct Case
    {
        QStringList arguments;
        QByteArray err;
    };
    const QString missing = dir.filePath("missing.txt");
    const QString good = write("good.txt", "012345678905");
    const QString noFolder = dir.filePath("no/such/folder/v.txt");
    for (const Case& c : std::vector<Case>{
             {{missing, good},
              "quorvane-check: " + QFile::encodeName(missing) + ": No such file or directory\n"},
             {{dir.path()},
              "quorvane-check: " + QFile::encodeName(dir.path()) + ": Is a directory\n"},
             {{"--valid", noFolder, good},
              "quorvane-check: " + QFile::encodeName(noFolder) + ": No such file or directory\n"},
             {{"--plain", "--invalid", good, good},
              "quorvane-check: " + QFile::encodeName(good) + ": is also an input file\n"},
         }) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Result r = check(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(readFile(good), "012345678905");
}

// An input that is no text is refused from its first bytes, before any of
// it is checked: a workbook saying what to do instead, anything else with a
// NUL byte as no text file. UTF-16 text, its mark first, is read.
TEST_F(CheckerTest, InputsThatAreNoText)
{
    const QByteArray zip = "a workbook or other zip archive, not a text file: convert it to CSV "
                           "with LibreOffice or xlsx2csv, or use the window's Load Codes From "
                           "Spreadsheet File\u2026\n"_ba;
    const QByteArray ole2 = "an old Excel workbook (.xls) or other OLE2 file, not a text file: "
                            "convert it to CSV with LibreOffice, or to .xlsx for the window's "
                            "Load Codes From Spreadsheet File\u2026\n"_ba;
    const auto wide = [](const char16_t* text, bool big) {
        QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(text),
                                    qsizetype(std::char_traits<char16_t>::length(text)) * 2);
        bytes.prepend("\xFF\xFE");
        for (qsizetype i = 0; big && i < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
        return bytes;
    };
    const QByteArray twelve = "12\t2 digits, UPC-A has 12\n", one = "1 code: 0 valid, 1 invalid\n";
    const struct
    {
        QByteArray bytes;
        QByteArray out, err; // "NAME" for the input's name
    } cases[] = {
        {"PK\x03\x04\x14\x00\x06\x00"_ba, "", "quorvane-check: NAME: " + zip},
        {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"_ba, "", "quorvane-check: NAME: " + ole2},
        {"712345678904\r\n\x00\x31\r\n"_ba, "", "quorvane-check: NAME: not a text file\n"},
        {wide(u"12\n", false), twelve, one},
        {wide(u"12\n", true), twelve, one},
        {"PK", "PK\t\"P\" at position 1 is not a digit, hyphen or blank\n", one},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().toStdString());
        const QString file = write("book.xlsx", c.bytes);
        for (const auto& [r, name] :
             {std::pair(check({file}), QFile::encodeName(file)),
              std::pair(check({}, c.bytes), "standard input"_ba),
              std::pair(check({"--column=1", file}), QFile::encodeName(file))}) {
            EXPECT_EQ(r.status, c.out.isEmpty() ? 2 : 1);
            EXPECT_EQ(r.out, c.out);
            EXPECT_EQ(r.err, QByteArray(c.err).replace("NAME", name));
        }
    }

    // A FIFO whose first piece may start a workbook's mark: judged on the
    // mark whole, and a text's bytes all checked.
    const QString fifo = dir.filePath("codes.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto& [first, rest, err] :
         {std::tuple("P"_ba, "K\x03\x04\x14"_ba,
                     "quorvane-check: " + QFile::encodeName(fifo) + ": " + zip),
          std::tuple("PK"_ba, "\n012345678905\n"_ba, "2 codes: 1 valid, 1 invalid\n"_ba)}) {
        std::thread writer([&, first = first, rest = rest] {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
            EXPECT_EQ(::write(fd, first.constData(), size_t(first.size())), first.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_EQ(::write(fd, rest.constData(), size_t(rest.size())), rest.size());
            ::close(fd);
        });
        const Result r = check({fifo});
        writer.join();
        EXPECT_EQ(r.err, err);
    }
}

// Options are read as GNU tools read them (getopt_long): in any order,
// bundled, shortened, with = or apart, up to "--"; errors in getopt's words.
TEST_F(CheckerTest, Options)
{
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    write("-x", "12\n");
    write("c.txt", "012345678905\n12\n");
    const QByteArray two = "2 codes: 1 valid, 1 invalid\n";
    const QByteArray usage = "\nTry 'quorvane-check --help' for more information.\n";
    const struct
    {
        QStringList arguments;
        int status;
        QByteArray out, err;
    } cases[] = {
        {{"-hV"}, 0, "Usage: quorvane-check [OPTIONS] [FILE...]\n", ""},
        {{"-Vh"}, 0, "quorvane-check (Quorvane) ", ""},
        {{"c.txt", "--he"}, 0, "Usage: ", ""},
        {{"--jso", "c.txt"},
         1,
         "{\"results\":[\n{\"code\":\"012345678905\",\"valid\":true,\"meaning\":\"Number "
         "system 0: a regular item\"},\n{\"code\":\"12\",\"valid\":"
         "false,\"fault\":\"length\",\"reason\":\"2 digits, UPC-A has "
         "12\"}\n],\"codes\":2,\"valid\":"
         "1,\"invalid\":1}\n",
         two},
        {{"c.txt", "--plain", "--inv", "-", "-q"}, 1, "12\n", ""},
        {{"--pl", "--valid=-", "--quiet", "c.txt"}, 1, "012345678905\n", ""},
        {{"-q", "--", "-x"}, 1, "12\t2 digits, UPC-A has 12\n", ""},
        {{"-q", "-x"}, 2, "", "quorvane-check: invalid option -- 'x'" + usage},
        {{"--v"},
         2,
         "",
         "quorvane-check: option '--v' is ambiguous; possibilities: '--valid' '--version'" + usage},
        {{"--frobnicate=1"}, 2, "", "quorvane-check: unrecognized option '--frobnicate=1'" + usage},
        {{"c.txt", "--valid"},
         2,
         "",
         "quorvane-check: option '--valid' requires an argument" + usage},
        {{"--valid="}, 2, "", "quorvane-check: option '--valid' requires a file name" + usage},
        {{"--json=yes"},
         2,
         "",
         "quorvane-check: option '--json' doesn't allow an argument" + usage},
        {{"--json", "--valid", "-"},
         2,
         "",
         "quorvane-check: only one of --json, --valid - and --invalid - can use standard output" +
             usage},
        {{"--format=ods"},
         2,
         "",
         "quorvane-check: invalid argument 'ods' for '--format'; valid arguments are table, "
         "plain, csv and xlsx" +
             usage},
        {{"c.txt", "--format=csv", "--plain", "--inv", "-", "-q"}, 1, "12\n", ""},
        {{"c.txt", "--plain", "--format=csv", "--inv", "-", "-q"},
         1,
         "\xEF\xBB\xBFInvalid Codes\r\n12\r\n",
         ""},
        {{"--valid", "v.txt", "--invalid", "v.txt"},
         2,
         "",
         "quorvane-check: --valid and --invalid name the same file" + usage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Result r = check(c.arguments);
        EXPECT_EQ(r.status, c.status);
        // Of the help and the version, their start.
        EXPECT_EQ(c.status == 0 ? r.out.left(c.out.size()) : r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_TRUE(QDir::setCurrent(home));

    // The version block as GNU tools show theirs, the licence as the package's
    // copyright file words it.
    const QByteArray version = check({"--version"}).out;
    EXPECT_EQ(version.left(version.indexOf('\n') + 1),
              "quorvane-check (Quorvane) " QUORVANE_VERSION "\n");
    EXPECT_EQ(version.mid(version.indexOf('\n') + 1),
              "Copyright (C) 2026 Tarnwell\n"
              "License: proprietary. All rights reserved.\n"
              "This is not free software: no part of it may be copied, changed or passed on\n"
              "without Tarnwell's written permission.\n");
}

// --gtin against GS1's published examples (GTIN-13 6291041500213, GTIN-8
// 96385074, GTIN-14 10012345000017, UPC-E 06543217 for UPC-A 065100004327,
// UPC-E 01234565 for 012345000065, also a GTIN-8), with the kinds, GTIN-14
// and normalised forms worked out by hand.
TEST_F(CheckerTest, GtinFamily)
{
    const struct
    {
        QByteArray code, kind, gtin14, upcA;
    } valid[] = {
        {"6291041500213", "ean-13", "06291041500213", "06291041500213"},
        {"614141-00003-6", "upc-a", "00614141000036", "614141000036"},
        {"0614141000036", "ean-13", "00614141000036", "614141000036"},
        {"96385074", "gtin-8", "00000096385074", "00000096385074"},
        {"06543217", "upc-e", "00065100004327", "065100004327"},
        {"01234565", "gtin-8 upc-e", "00000001234565", "012345000065"},
        {"10012345000017", "gtin-14", "10012345000017", "10012345000017"},
        {"00 614141 00003 6", "gtin-14", "00614141000036", "614141000036"},
    };
    QByteArray codes;
    for (const auto& v : valid)
        codes += v.code + "\n";
    const QByteArray invalid = "6291041500214\n96385075\n123\n0123456789.5\n";
    const QString input = write("codes.txt", codes + invalid);

    Result r = check({"--gtin", "--json", input});
    EXPECT_EQ(r.status, 1);
    const QJsonArray results = QJsonDocument::fromJson(r.out).object()["results"].toArray();
    ASSERT_EQ(results.size(), std::size(valid) + 4) << r.out.constData();
    for (size_t k = 0; k < std::size(valid); ++k) {
        SCOPED_TRACE(valid[k].code.constData());
        const QJsonObject o = results[qsizetype(k)].toObject();
        EXPECT_EQ(o["valid"], true);
        EXPECT_EQ(o["kind"].toString().toLatin1(), valid[k].kind);
        EXPECT_EQ(o["gtin14"].toString().toLatin1(), valid[k].gtin14);
    }
    EXPECT_EQ(r.err, "12 codes: 8 valid, 4 invalid\n");
    r = check({"--gtin", input});
    EXPECT_EQ(r.out, "6291041500214\tCheck digit 4 is wrong for EAN-13, expected 3: 6291041500213\n"
                     "96385075\tCheck digit 5 is wrong for GTIN-8, expected 4: 96385074\n"
                     "123\t3 digits, a GTIN has 8, 12, 13 or 14\n"
                     "0123456789.5\tReads as a number, but \".\" at position 11 is not a digit "
                     "(Type mismatch)\n");

    QByteArray gtin14s, upcAs;
    for (const auto& v : valid) {
        gtin14s += v.gtin14 + "\n";
        upcAs += v.upcA + "\n";
    }
    EXPECT_EQ(check({"--gtin", "--normalize=gtin-14", "--plain", "--valid=-", input}).out, gtin14s);
    EXPECT_EQ(check({"--gtin", "--normalize=upc-a", "--plain", "--valid=-", input}).out, upcAs);
    EXPECT_EQ(check({"--normalize=upc-a", input}).status, 2);
}

} // namespace

namespace {

// --column: the cells of one column of CSV or TSV are the codes, named by
// number, letters or header; a header row is left out when named or when it
// looks like one; empty cells give no code; faults name the record's line.
TEST_F(CheckerTest, ColumnOfDelimitedText)
{
    const QByteArray csv = "Name,UPC\nTea,012345678905\n\"Jam, \"\"red\"\"\",12\nPie,\n";
    const QByteArray tsv = "Tea\t012345678905\nJam\t12\n";
    const struct
    {
        const char* name;
        QByteArray bytes;
        QStringList arguments;
        int status;
        QByteArray out, err;
    } cases[] = {
        {"c.csv", csv, {"--column=UPC"}, 1, "12\n", "2 codes: 1 valid, 1 invalid\n"},
        {"c.csv", csv, {"--column=b"}, 1, "12\n", "2 codes: 1 valid, 1 invalid\n"},
        {"c.csv",
         csv,
         {"--column", "1"},
         1,
         "Name\nTea\nJam, \"red\"\nPie\n",
         "4 codes: 0 valid, 4 invalid\n"},
        {"c.tsv", tsv, {"--column=2"}, 1, "12\n", "2 codes: 1 valid, 1 invalid\n"},
        {"c.txt", "a;012345678905\n", {"--column=2"}, 0, "", "1 code: 1 valid, 0 invalid\n"},
        {"c.txt",
         "a;012345678905\n",
         {"--column=2", "--separator=,"},
         2,
         "",
         "quorvane-check: c.txt: no column 2\n"},
        {"c.csv", csv, {"--column=Price"}, 2, "", "quorvane-check: c.csv: no column Price\n"},
        {"c.csv",
         "012345678905,b\n\"x\n",
         {"--column=1"},
         2,
         "",
         "quorvane-check: c.csv: line 2: a quoted field is not closed\n"},
        {"c.csv",
         csv,
         {"--column="},
         2,
         "",
         "quorvane-check: option '--column' requires a column\n"
         "Try 'quorvane-check --help' for more information.\n"},
        {"c.csv",
         csv,
         {"--column=1", "--separator=ab"},
         2,
         "",
         "quorvane-check: option '--separator' takes one character or 'tab'\n"
         "Try 'quorvane-check --help' for more information.\n"},
    };
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        write(QLatin1String(c.name), c.bytes);
        for (const bool piped : {false, true}) {
            if (piped && QByteArrayView(c.name).endsWith(".tsv"))
                continue; // a pipe has no name to tell TSV by
            const QStringList plain = c.arguments + QStringList{"--plain", "--invalid", "-"};
            const Result r =
                piped ? check(plain, c.bytes) : check(plain + QStringList{QLatin1String(c.name)});
            EXPECT_EQ(r.status, c.status);
            EXPECT_EQ(r.out, c.out);
            EXPECT_EQ(QByteArray(r.err).replace("standard input", c.name), c.err);
        }
    }
    EXPECT_TRUE(QDir::setCurrent(home));
}

} // namespace
