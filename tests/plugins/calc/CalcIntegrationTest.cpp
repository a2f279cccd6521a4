// The spreadsheet export into a real LibreOffice Calc, through the plugin the
// program loads, read back through UNO.

#include "core/base/Failure.h"
#include "core/files/SpreadsheetFile.h"
#include "core/text/DelimitedText.h"
#include "features/SpreadsheetFileImport.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/platform/SpreadsheetPlugin.h"
#include "plugins/calc/TestOffice.h"
#include "support/GapProbe.h"
#include "support/ScriptedServices.h"
#include "support/TempFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

QString toQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

// What a cell of a document holds.
struct Reading
{
    css::table::CellContentType type;
    QString text;
    QString formatCode;
    bool textFormat;
};

Reading read(const Reference<css::frame::XModel>& document, int row, int column)
{
    const Reference<css::table::XCell> cell =
        TestOffice::Connection::activeSheet(document)->getCellByPosition(column - 1, row - 1);
    const sal_Int32 key = Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
                              ->getPropertyValue("NumberFormat")
                              .get<sal_Int32>();
    const Reference<css::beans::XPropertySet> format =
        Reference<css::util::XNumberFormatsSupplier>(document, UNO_QUERY_THROW)
            ->getNumberFormats()
            ->getByKey(key);
    const auto type = format->getPropertyValue("Type").get<sal_Int16>();
    return {cell->getType(),
            toQString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString()),
            toQString(format->getPropertyValue("FormatString").get<rtl::OUString>()),
            (type & css::util::NumberFormat::TEXT) != 0};
}

bool columnFitted(const Reference<css::frame::XModel>& document, int column)
{
    const Reference<css::table::XTableColumns> columns =
        Reference<css::table::XColumnRowRange>(TestOffice::Connection::activeSheet(document),
                                               UNO_QUERY_THROW)
            ->getColumns();
    return Reference<css::beans::XPropertySet>(columns->getByIndex(column - 1), UNO_QUERY_THROW)
        ->getPropertyValue("OptimalWidth")
        .get<bool>();
}

bool windowVisible(const Reference<css::frame::XModel>& document)
{
    return Reference<css::awt::XWindow2>(
               document->getCurrentController()->getFrame()->getContainerWindow(), UNO_QUERY_THROW)
        ->isVisible();
}

bool modified(const Reference<css::frame::XModel>& document)
{
    return Reference<css::util::XModifiable>(document, UNO_QUERY_THROW)->isModified();
}

// A window whose spreadsheet application is the plugin, found where the
// program finds it.
struct Window
{
    explicit Window(const CalcConnection& connection) : spreadsheet(connection)
    {
        Services services = script.services();
        services.spreadsheet = &spreadsheet;
        form = std::make_unique<Form1>(services);
        form->Form_Load();
        script.log.clear();
    }

    // Runs a handler and answers how long it took, in seconds.
    double run(void (Form1::*click)())
    {
        QElapsedTimer timer;
        timer.start();
        ((*form).*click)();
        return timer.elapsed() / 1000.0;
    }

    ScriptedServices script;
    PluginSpreadsheetServer spreadsheet;
    std::unique_ptr<Form1> form;
};

class CalcExport : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { office = new TestOffice::Headless(120); }
    static void TearDownTestSuite()
    {
        delete office;
        office = nullptr;
    }

    void SetUp() override { connection = {office->pipe(), false, 90000}; }
    void TearDown() override
    {
        TestOffice::Connection reader(office->pipe(), 10000);
        for (const auto& document : reader.documents())
            TestOffice::Connection::discard(document);
    }

    static TestOffice::Headless* office;
    CalcConnection connection;
};

TestOffice::Headless* CalcExport::office = nullptr;

TEST_F(CalcExport, ValidListWithAnUncheckedFirstItemKeepsTheLeadingZeroAsText)
{
    Window window(connection);
    ListView* list = window.form->ListView2;
    list->AppendItem(QStringLiteral("036000291452"));
    list->SetChecked(1, false);
    list->AppendItem(QStringLiteral("012345678905"));

    const double seconds = window.run(&Form1::PushButton13_Click);
    std::cout << "[ measured ] export of the valid list (probe included): " << seconds << " s\n";

    EXPECT_TRUE(window.script.log.isEmpty()) << window.script.log.join('\n').toStdString();
    TestOffice::Connection reader(office->pipe(), 10000);
    const auto documents = reader.documents();
    ASSERT_EQ(documents.size(), 1u);
    const auto& document = documents.front();

    const Reading a1 = read(document, 1, 1);
    EXPECT_EQ(a1.type, css::table::CellContentType_TEXT);
    EXPECT_EQ(a1.text, " Valid Codes");
    EXPECT_EQ(a1.formatCode, "@");
    EXPECT_TRUE(a1.textFormat);

    const Reading a2 = read(document, 2, 1);
    EXPECT_EQ(a2.type, css::table::CellContentType_EMPTY);
    EXPECT_FALSE(a2.textFormat) << "only written cells get the text format";

    const Reading a3 = read(document, 3, 1);
    EXPECT_EQ(a3.type, css::table::CellContentType_TEXT);
    EXPECT_EQ(a3.text, "012345678905");
    EXPECT_EQ(a3.formatCode, "@");
    EXPECT_TRUE(a3.textFormat);

    EXPECT_EQ(read(document, 1, 2).type, css::table::CellContentType_EMPTY);
    EXPECT_EQ(read(document, 4, 1).type, css::table::CellContentType_EMPTY);
    EXPECT_TRUE(columnFitted(document, 1));
    // Left to the user: untitled, unsaved, shown.
    EXPECT_TRUE(document->getURL().isEmpty());
    EXPECT_TRUE(modified(document));
    EXPECT_TRUE(windowVisible(document));
    // The list is as it was.
    EXPECT_EQ(list->ItemCount(), 2);
}

TEST_F(CalcExport, InvalidListKeepsEveryTextAsItStands)
{
    Window window(connection);
    ListView* list = window.form->ListView3;
    const QStringList items = {QStringLiteral("12345"), QStringLiteral("=1+1"),
                               QStringLiteral("0001-2"), QStringLiteral("  7 ")};
    for (const QString& item : items)
        list->AppendItem(item);

    const double seconds = window.run(&Form1::PushButton7_Click);
    std::cout << "[ measured ] export of the invalid list (probe included): " << seconds << " s\n";

    EXPECT_TRUE(window.script.log.isEmpty()) << window.script.log.join('\n').toStdString();
    TestOffice::Connection reader(office->pipe(), 10000);
    const auto documents = reader.documents();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(read(documents.front(), 1, 1).text, "Invalid Codes");
    for (int r = 0; r < items.size(); ++r) {
        const Reading cell = read(documents.front(), r + 2, 1);
        EXPECT_EQ(cell.type, css::table::CellContentType_TEXT) << r;
        EXPECT_EQ(cell.text, items[r]);
        EXPECT_TRUE(cell.textFormat) << r;
    }
}

TEST_F(CalcExport, EmptyListOpensNoWorkbook)
{
    Window window(connection);
    window.run(&Form1::PushButton13_Click);

    EXPECT_TRUE(window.script.log.isEmpty());
    EXPECT_TRUE(TestOffice::Connection(office->pipe(), 10000).documents().empty());
}

// An office that started on the plugin's request: the program's own way.
class LaunchedOffice
{
public:
    LaunchedOffice() : m_pipe(TestOffice::uniquePipeName("launch"))
    {
        // A profile of the test's own, and no display needed.
        set("HOME", m_home.path() + QStringLiteral("/home"));
        set("XDG_CONFIG_HOME", m_home.path() + QStringLiteral("/config"));
        set("XDG_CACHE_HOME", m_home.path() + QStringLiteral("/cache"));
        set("SAL_USE_VCLPLUGIN", QStringLiteral("svp"));
        // A temporary folder of the test's own, to see what the office leaves.
        QDir().mkpath(temporaryFolder());
        set("TMPDIR", temporaryFolder());
        // The soffice found first on the PATH runs the real one under a
        // watchdog, with its output going nowhere: an office that outlives a
        // crashed test must neither run on nor hold the test runner's output.
        const QString bin = m_home.path() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        QFile soffice(bin + QStringLiteral("/soffice"));
        if (!soffice.open(QIODevice::WriteOnly) ||
            soffice.write(
                "#!/bin/sh\nexec timeout --kill-after=5 120 " QUORVANE_LIBREOFFICE_PROGRAM_DIR
                "/soffice \"$@\" >/dev/null 2>&1\n") < 0)
            qFatal("cannot write %s", qPrintable(soffice.fileName()));
        soffice.close();
        soffice.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set("PATH", bin + QLatin1Char(':') + qEnvironmentVariable("PATH"));
    }
    ~LaunchedOffice()
    {
        if (!TestOffice::processesWith(m_pipe).isEmpty()) {
            try {
                TestOffice::Connection(m_pipe, 5000).shutDown();
            } catch (...) {
                // Ended below.
            }
        }
        TestOffice::endProcessesWith(m_pipe, 20000);
        for (const auto& [name, value] : m_saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }

    const QString& pipe() const { return m_pipe; }
    QString temporaryFolder() const { return m_home.path() + QStringLiteral("/tmp"); }

private:
    void set(const char* name, const QString& value)
    {
        m_saved.emplace_back(name, qgetenv(name));
        qputenv(name, value.toUtf8());
    }

    QTemporaryDir m_home;
    QString m_pipe;
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

TEST(CalcLaunch, TheOfficeIsStartedOnRequestAndShowsTheNewWorkbook)
{
    LaunchedOffice office;
    Window window({office.pipe(), true, 120000});
    window.form->ListView2->AppendItem(QStringLiteral("012345678905"));

    const double seconds = window.run(&Form1::PushButton13_Click);
    std::cout << "[ measured ] export with the office started cold: " << seconds << " s\n";

    EXPECT_TRUE(window.script.log.isEmpty()) << window.script.log.join('\n').toStdString();
    TestOffice::Connection reader(office.pipe(), 10000);
    const auto documents = reader.documents();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(read(documents.front(), 2, 1).text, "012345678905");
    EXPECT_TRUE(read(documents.front(), 2, 1).textFormat);
    EXPECT_TRUE(windowVisible(documents.front()));
    EXPECT_FALSE(TestOffice::processesWith(office.pipe()).isEmpty())
        << "no soffice was started on the pipe";
    reader.shutDown();
    EXPECT_EQ(TestOffice::endProcessesWith(office.pipe(), 20000), 0)
        << "the office did not end when asked";
}

TEST(CalcLaunch, AnOfficeStartedOnlyForTheProbeIsEndedWithWhatItLeft)
{
    LaunchedOffice office;
    Window window({office.pipe(), true, 120000});

    // An empty list: the probe starts the office, and no workbook follows.
    const double seconds = window.run(&Form1::PushButton13_Click);
    std::cout << "[ measured ] export of an empty list with the office started cold: " << seconds
              << " s\n";

    EXPECT_TRUE(window.script.log.isEmpty()) << window.script.log.join('\n').toStdString();
    EXPECT_TRUE(TestOffice::processesWith(office.pipe()).isEmpty())
        << "the office started for the probe runs on";
    EXPECT_FALSE(
        QFileInfo::exists(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(office.pipe())))
        << "the office's pipe is left";
    EXPECT_EQ(QDir(office.temporaryFolder()).entryList({QStringLiteral("lu*.tmp")}, QDir::Dirs),
              QStringList());
}

// Documents made from CSV by LibreOffice itself, column A as text and column
// B as numbers: read back through the plugin, A keeps its leading zeros and B
// shows its numbers as the sheet does; the office started for the reading
// ends with it.
TEST(CalcRead, TheFirstSheetComesBackAsShownAndTheOfficeStartedForItEnds)
{
    TempFolder folder;
    const QString csv =
        folder.write(QStringLiteral("codes.csv"), "UPC,Count\n012345678905,0042\n001234567890,7\n");
    for (const char* kind : {"ods", "xlsx"}) {
        SCOPED_TRACE(kind);
        QProcess convert;
        convert.start(QStringLiteral(QUORVANE_LIBREOFFICE_PROGRAM_DIR "/soffice"),
                      {"-env:UserInstallation=file://" + folder.file(QStringLiteral("profile")),
                       "--headless", "--convert-to", QLatin1String(kind),
                       "--infilter=CSV:44,34,76,1,1/2/2/1", "--outdir", folder.path(), csv});
        ASSERT_TRUE(convert.waitForFinished(90000));
        const QString document = folder.file(QStringLiteral("codes.") + QLatin1String(kind));
        ASSERT_TRUE(QFileInfo::exists(document)) << convert.readAllStandardError().toStdString();

        LaunchedOffice office;
        PluginSpreadsheetReader reader({office.pipe(), true, 120000});
        const QString sheet = folder.file(QStringLiteral("sheet.csv"));
        QElapsedTimer timer;
        timer.start();
        reader.saveFirstSheetAsCsv(document, sheet);
        std::cout << "[ measured ] reading a ." << kind
                  << " with the office started cold: " << timer.elapsed() / 1000.0 << " s\n";

        std::vector<QStringList> rows;
        DelimitedText::readRecords(
            sheet, {}, [&rows](const QStringList& fields, quint64) { rows.push_back(fields); });
        ASSERT_TRUE(QFile::remove(sheet));
        EXPECT_EQ(rows, (std::vector<QStringList>{
                            {"UPC", "Count"}, {"012345678905", "42"}, {"001234567890", "7"}}));
        EXPECT_TRUE(TestOffice::processesWith(office.pipe()).isEmpty())
            << "the office started for the reading runs on";
    }
}

// A workbook of `rows` codes under the header "UPC", as this program writes one.
QString workbookOf(const TempFolder& folder, qint64 rows)
{
    const QString path = folder.file(QStringLiteral("codes%1.xlsx").arg(rows));
    SpreadsheetFile book(SpreadsheetFile::Format::Xlsx, SafeFile::open(path, {}),
                         QStringLiteral("UPC"));
    for (qint64 code = 0; code < rows; ++code)
        book.addRow(QString::number(100000000000 + code));
    book.commit();
    return path;
}

// The longest the window may go without handling its events: the
// sanitizers slow every step of the program's own several times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr double LongestGap = 150;
#else
constexpr double LongestGap = 50;
#endif

// Through the window: while the office starts and reads, the window handles
// its events; the codes then join the code list. The best of three readings
// counts, as a loaded machine can stall any one of them; a freeze of the
// program's own stalls all three.
TEST(CalcRead, TheWindowHandlesItsEventsWhileTheOfficeReads)
{
    TempFolder folder;
    const QString document = workbookOf(folder, 20000);
    double best = 1e9;
    for (int attempt = 0; attempt < 3 && best > LongestGap; ++attempt) {
        LaunchedOffice office;
        PluginSpreadsheetReader reader({office.pipe(), true, 120000});
        ScriptedServices script;
        Services services = script.services();
        services.spreadsheetReader = &reader;
        Form1 form(services);
        form.Form_Load();
        script.openAnswers.enqueue(document);
        QElapsedTimer timer;
        timer.start();
        GapProbe gaps;
        SpreadsheetFileImport::loadCodesFromSpreadsheetFile(form);
        const double longest = gaps.largestMs();
        best = std::min(best, longest);
        std::cout << "[ measured ] reading 20,000 rows with the office started cold: "
                  << timer.elapsed() / 1000.0 << " s, longest gap " << longest << " ms\n";
        EXPECT_EQ(form.ListView1->ItemCount(), 20000);
        EXPECT_EQ(script.logged(QStringLiteral("message")), QStringList());
        EXPECT_TRUE(TestOffice::processesWith(office.pipe()).isEmpty());
    }
    EXPECT_LE(best, LongestGap);
}

// A reading stopped from another thread, while the office starts and while it
// reads a large workbook: it fails within seconds, and the office started for
// it is gone with its pipe and its temporary folder.
TEST(CalcRead, AStoppedReadingEndsSoonAndLeavesNothingBehind)
{
    TempFolder folder;
    // LibreOffice takes seconds to read a million rows.
    const QString document = workbookOf(folder, 1000000);
    // Stopped half a second after the start, and a second after the office
    // answers (has made its pipe), while it reads.
    for (const bool answered : {false, true}) {
        SCOPED_TRACE(answered);
        LaunchedOffice office;
        const QString pipe =
            QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(office.pipe());
        PluginSpreadsheetReader reader({office.pipe(), true, 120000});
        std::optional<QString> failure;
        std::thread reading([&] {
            try {
                reader.saveFirstSheetAsCsv(document, folder.file(QStringLiteral("sheet.csv")));
            } catch (const Failure& f) {
                failure = f.description();
            }
        });
        for (const QDeadlineTimer start(60000);
             answered && !QFileInfo::exists(pipe) && !start.hasExpired();)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(answered ? 1000 : 500));
        QElapsedTimer timer;
        timer.start();
        reader.stopReading();
        reading.join();
        std::cout << "[ measured ] reading stopped "
                  << (answered ? "while reading" : "at the start") << ": ended "
                  << timer.elapsed() / 1000.0 << " s later\n";
        ASSERT_TRUE(failure) << "the reading ended before it was stopped";
        EXPECT_LT(timer.elapsed(), 10000) << failure->toStdString();
        EXPECT_TRUE(TestOffice::processesWith(office.pipe()).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(pipe));
        EXPECT_EQ(QDir(office.temporaryFolder()).entryList({QStringLiteral("lu*.tmp")}, QDir::Dirs),
                  QStringList());
    }
}

} // namespace
