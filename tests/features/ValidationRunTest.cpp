#include "features/ValidationRun.h"

#include "features/CodeListEditing.h"
#include "features/Main.h"
#include "features/TextFileImport.h"
#include "support/ListItems.h"
#include "support/ScriptedHost.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace CodeListEditing;

const QStringList& Samples = SampleCodes;
const QStringList ValidSamples = {"801927504622", "012345678905", "712345678904"};
const QString Done = "message|Quorvane|Done.";

// What the window shows at one yield of a run.
struct AtYield
{
    double value;
    QString caption;
    PointerMode pointer;
};

class ValidationRunTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    ScriptedHost host{script.services()};

    // The window runs between every two codes, so a case can act at any code.
    void run() { ValidationRun::startValidating(host, 0); }

    // Runs `action(k)` at the k-th yield, k = 1 ... upTo.
    void atYields(int upTo, std::function<void(int)> action)
    {
        host.yields = 0;
        host.atYield = [upTo, action = std::move(action)](int k) {
            if (k <= upTo)
                action(k);
        };
    }

    // Records the bar and the pointer at each of the first `yields` yields.
    std::shared_ptr<QList<AtYield>> watch(int yields)
    {
        auto seen = std::make_shared<QList<AtYield>>();
        atYields(yields, [this, seen](int) {
            seen->append({host.ProgressValue(), host.ProgressText(), host.MousePointer()});
        });
        return seen;
    }

    void expectAtRest()
    {
        EXPECT_EQ(host.MousePointer(), PointerMode::Default);
        EXPECT_EQ(host.ProgressValue(), 0);
        EXPECT_EQ(host.ProgressText(), "Progress Bar");
    }
};

TEST(FileNameFromPath, IsThePartAfterTheLastBackslash)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"012345678905", "012345678905"},
        {"C:\\codes\\012345678905", "012345678905"},
        {"abc\\", ""},
        {"\\x", "x"},
        {"", ""},
        {"/home/ann/x", "/home/ann/x"}};
    for (const auto& [path, name] : cases) {
        const QString text = QString::fromLatin1(path);
        EXPECT_EQ(Main::FileNameFromPath(text), name) << path;
        EXPECT_EQ(Main::FileNameFromPath(QStringView(text)), QLatin1StringView(name)) << path;
        EXPECT_EQ(Main::FileNameFromPath(QLatin1StringView(path)), QLatin1StringView(name)) << path;
    }
}

TEST_F(ValidationRunTest, SamplesGiveThreeValidAndOneInvalidInOrder)
{
    addSampleCodes(host);
    run();
    EXPECT_EQ(itemsOf(host.valid), ValidSamples);
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"279347895943"}));
    EXPECT_EQ(itemsOf(host.codes), Samples);
    EXPECT_EQ(script.log, QStringList({Done}));
    expectAtRest();
}

TEST_F(ValidationRunTest, RunningTwiceGivesTheSameLists)
{
    fill(host.codes, Samples + QStringList({"801927504622", "bad"}));
    run();
    const QStringList valid = itemsOf(host.valid);
    const QStringList invalid = itemsOf(host.invalid);
    EXPECT_EQ(valid, ValidSamples + QStringList({"801927504622"}));
    EXPECT_EQ(invalid, QStringList({"279347895943", "bad"}));
    run();
    EXPECT_EQ(itemsOf(host.valid), valid);
    EXPECT_EQ(itemsOf(host.invalid), invalid);
    EXPECT_EQ(script.log, QStringList({Done, Done}));
}

TEST_F(ValidationRunTest, ResultsKeepTheCodesAsTyped)
{
    fill(host.codes,
         {"0-12345-67890-5", " 0 12345 67890 5 ", "\t012345678905", "", "0-12345-67890-0"});
    run();
    EXPECT_EQ(itemsOf(host.valid), QStringList({"0-12345-67890-5", " 0 12345 67890 5 "}));
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"\t012345678905", "", "0-12345-67890-0"}));
}

TEST_F(ValidationRunTest, AnEmptyCodeListLeavesEverythingAsItWas)
{
    fill(host.valid, {"old valid"});
    fill(host.invalid, {"old invalid"});
    host.SetMousePointer(PointerMode::Custom);
    run();
    EXPECT_EQ(script.log, QStringList({"message|Quorvane|No UPC codes added."}));
    EXPECT_EQ(itemsOf(host.valid), QStringList({"old valid"}));
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"old invalid"}));
    EXPECT_EQ(host.MousePointer(), PointerMode::Custom);
    EXPECT_EQ(host.ProgressText(), "Progress Bar");
}

TEST_F(ValidationRunTest, TheBarShowsEachCodeWhileTheBusyPointerShows)
{
    fill(host.codes, {"801927504622", "C:\\list\\012345678905", "abc\\", "x"});
    auto seen = watch(4);
    run();
    ASSERT_EQ(seen->size(), 4);
    const double values[] = {25, 50, 75, 100};
    const char* captions[] = {"Processing: 801927504622", "Processing: 012345678905",
                              "Processing: ", "Processing: x"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(seen->at(k).value, values[k]);
        EXPECT_EQ(seen->at(k).caption, captions[k]);
        EXPECT_EQ(seen->at(k).pointer, PointerMode::Hourglass);
    }
    // The code with backslashes is checked and filed whole.
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"C:\\list\\012345678905", "abc\\", "x"}));
    expectAtRest();
}

TEST_F(ValidationRunTest, OneCodeMovesTheBarTo100AndBack)
{
    fill(host.codes, {"012345678905"});
    auto seen = watch(1);
    run();
    ASSERT_EQ(seen->size(), 1);
    EXPECT_DOUBLE_EQ(seen->at(0).value, 100);
    EXPECT_EQ(seen->at(0).caption, "Processing: 012345678905");
    expectAtRest();
}

TEST_F(ValidationRunTest, ACodeTheCheckFailsOnIsReportedAtLine118AndFiledAsInvalid)
{
    // Twelve characters that read as a number but are no digits: the check
    // fails instead of answering. The valid code before it must not lend it
    // its verdict.
    fill(host.codes, {"012345678905", "+12345678905", "712345678904"});
    run();
    EXPECT_EQ(script.errors(),
              QStringList({"Type mismatch\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at "
                           "line 118\r\rPlease email screenshot of this message to "
                           "support@tarnwell.example"}));
    EXPECT_EQ(itemsOf(host.valid), QStringList({"012345678905", "712345678904"}));
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"+12345678905"}));
    EXPECT_EQ(script.log.last(), Done);
    expectAtRest();
}

TEST_F(ValidationRunTest, AClickAtTheYieldRunsACompleteSecondRunFirst)
{
    addSampleCodes(host);
    QStringList valid1st, seenInside;
    // The click waits in the queue; the run's first yield handles it.
    bool clicked = false;
    host.atYield = [&](int) {
        if (clicked)
            return;
        clicked = true;
        run();
        valid1st = itemsOf(host.valid);
        seenInside = script.log;
    };
    run();
    EXPECT_EQ(valid1st, ValidSamples);
    EXPECT_EQ(seenInside, QStringList({Done}));
    // The first run then goes on with its first code and appends to the
    // lists that the second run filled.
    EXPECT_EQ(itemsOf(host.valid), ValidSamples + ValidSamples);
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"279347895943", "279347895943"}));
    EXPECT_EQ(script.log, QStringList({Done, Done}));
    expectAtRest();
}

TEST_F(ValidationRunTest, ClearListAndRemovalAreRefusedDuringARun)
{
    const QStringList codes = {"279347895943", "801927504622", "012345678905", "712345678904"};
    fill(host.codes, codes);
    atYields(3, [this](int k) {
        if (k < 3)
            return; // by the third code both result lists hold an item
        clearCodeList(host);
        removeItem(host, host.codes, 1);
        listKeyDown(host, host.codes, 1, DeleteKeyCode);
        removeItem(host, host.valid, 1);
        listKeyDown(host, host.invalid, 1, DeleteKeyCode);
    });
    run();
    EXPECT_EQ(itemsOf(host.codes), codes);
    EXPECT_EQ(itemsOf(host.valid), codes.mid(1));
    EXPECT_EQ(itemsOf(host.invalid), QStringList({"279347895943"}));
    EXPECT_EQ(script.log, QStringList({Done}));
}

TEST_F(ValidationRunTest, CodesAddedDuringARunCountForTheBarButAreNotChecked)
{
    fill(host.codes, {"801927504622", "012345678905"});
    auto seen = std::make_shared<QList<double>>();
    atYields(2, [this, seen](int k) {
        seen->append(host.ProgressValue());
        if (k == 1)
            addSampleCodes(host);
    });
    run();
    ASSERT_EQ(seen->size(), 2);
    EXPECT_DOUBLE_EQ(seen->at(0), 50);
    EXPECT_DOUBLE_EQ(seen->at(1), 2.0 / 6.0 * 100.0); // code 2 of now 6
    EXPECT_EQ(itemsOf(host.valid), QStringList({"801927504622", "012345678905"}));
    EXPECT_EQ(host.invalid.ItemCount(), 0);
    EXPECT_EQ(host.codes.ItemCount(), 6);
}

TEST_F(ValidationRunTest, AnImportAtTheYieldTakesTheGuardAwayForTheRestOfTheRun)
{
    fill(host.codes, {"801927504622", "279347895943"});
    const QString path = script.folder.write("more.txt", "712345678904\r\n");
    atYields(2, [this, path](int k) {
        if (k == 1) {
            script.openAnswers.enqueue(path);
            TextFileImport::loadCodesFromTextFiles(
                host); // sets the busy pointer and then the default one
        } else {
            clearCodeList(host); // no longer refused
        }
    });
    run();
    EXPECT_EQ(host.codes.ItemCount(), 0);
    EXPECT_EQ(itemsOf(host.valid), QStringList({"801927504622"}));
    // The second code was read before the list was emptied; filing it reads
    // its item again, which is gone.
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].startsWith(
        "Index out of bounds\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at line 124\r"));
    EXPECT_EQ(host.invalid.ItemCount(), 0);
    EXPECT_EQ(script.log.last(), Done);
    expectAtRest();
}

TEST_F(ValidationRunTest, ACodeListThatLosesTheCurrentPositionGivesOneReportAndTheRunEnds)
{
    // Emptied at the first yield of a long run (an import takes the guard
    // away, then "Clear List"), or shortened by one: the step that finds the
    // position gone reports once, and the run ends as always.
    struct Case
    {
        int codes;
        bool emptied;
        QString report;
        QStringList valid;
    };
    const Case cases[] = {
        {500, true, "Index out of bounds 122", {}},
        {4, false, "Index out of bounds 110", QStringList(3, "801927504622")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report.toStdString());
        script.log.clear();
        host.codes.Clear();
        fill(host.codes, QStringList(c.codes, "801927504622"));
        const QString path = script.folder.write("more.txt", "");
        atYields(1, [this, &c, path](int) {
            script.openAnswers.enqueue(path);
            TextFileImport::loadCodesFromTextFiles(host);
            if (c.emptied) {
                clearCodeList(host);
            } else {
                removeItem(host, host.codes, 1);
            }
        });
        run();
        QStringList lines;
        for (const QString& error : script.errors())
            lines.append(error.section('\r', 0, 0) + " " + error.section(" at line ", 1).left(3));
        EXPECT_EQ(lines, QStringList({c.report}));
        EXPECT_EQ(itemsOf(host.valid), c.valid);
        EXPECT_EQ(script.log.last(), Done);
        expectAtRest();
    }
}

// A host that counts what the run asks of the bar.
class CountingHost : public ScriptedHost
{
public:
    using ScriptedHost::ScriptedHost;
    void SetProgressValue(double v) override
    {
        ++barCalls;
        ScriptedHost::SetProgressValue(v);
    }
    void SetProgressText(const QString& t) override
    {
        ++barCalls;
        ScriptedHost::SetProgressText(t);
    }
    int barCalls = 0;
};

TEST(PacedValidationRun, WhereverTheBarIsSeenItShowsTheCodeTheRunIsAt)
{
    // 2000 different codes, one of them failing the check; the clock moves
    // on 0.6 ms at each look, so the window runs only every few hundred codes.
    ScriptedServices script;
    CountingHost host(script.services());
    QStringList codes;
    for (int k = 1; k <= 2000; ++k)
        codes.append(k == 1500 ? QStringLiteral("+12345678905") : QStringLiteral("c%1").arg(k));
    fill(host.codes, codes);
    QStringList wrong;
    auto check = [&](const char* where) {
        const int k = qRound(host.ProgressValue() * 20); // of 2000 codes
        if (k < 1 || host.ProgressText() != "Processing: " + codes[k - 1])
            wrong.append(QStringLiteral("%1: %2 at %3")
                             .arg(where, host.ProgressText())
                             .arg(host.ProgressValue()));
    };
    host.atYield = [&](int) { check("yield"); };
    script.whileMessageShows = [&](const QString& text) {
        if (text.startsWith("Type mismatch")) {
            check("report");
            EXPECT_EQ(host.ProgressText(), "Processing: +12345678905");
        }
    };
    qint64 now = 0;
    ValidationRun::startValidating(host, 1'000'000, [&now] { return now += 600'000; });
    EXPECT_EQ(wrong, QStringList());
    EXPECT_GT(host.yields, 1);
    EXPECT_LT(host.yields, 20);
    // Two calls for each time the bar was seen, the last code, and the rest.
    EXPECT_LE(host.barCalls, 2 * (host.yields + 2) + 2);
    EXPECT_EQ(itemsOf(host.invalid), codes);
    EXPECT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.log.last(), Done);
    EXPECT_EQ(host.ProgressText(), "Progress Bar");
}

// Where the window does not run, codes are filed a stretch at a time: the
// lists, the reports and the bar at each report are those of a run that
// takes every step of every code.
TEST(PacedValidationRun, StretchesFileAsEveryStepWould)
{
    const QStringList kinds = {"712345678904",
                               "712345678905",
                               "+12345678905",
                               "",
                               "1234.5678901",
                               "7-12345-67890-4",
                               QStringLiteral("caf\u00e9"),
                               QStringLiteral("\u4e2d\u6587"),
                               "12345678901E"};
    QStringList codes;
    for (int k = 0; k < 3000; ++k)
        codes.append(kinds.at(k * 7 % 19 % kinds.size()));
    struct Run
    {
        QStringList valid, invalid, reports;
        qint64 yields;
    };
    const auto run = [&](qint64 interval) {
        ScriptedServices script;
        ScriptedHost host(script.services());
        fill(host.codes, codes);
        QStringList reports;
        script.whileMessageShows = [&](const QString& text) {
            reports.append(text + " | " + host.ProgressText());
        };
        qint64 now = 0;
        ValidationRun::startValidating(host, interval, [&now] { return now += 1000; });
        return Run{itemsOf(host.valid), itemsOf(host.invalid), reports, host.yields};
    };
    const Run everyStep = run(0);
    const Run stretches = run(1'000'000'000);
    EXPECT_EQ(stretches.valid, everyStep.valid);
    EXPECT_EQ(stretches.invalid, everyStep.invalid);
    EXPECT_EQ(stretches.reports, everyStep.reports);
    EXPECT_GT(everyStep.reports.size(), 300);
    EXPECT_EQ(stretches.yields, 1);
}

} // namespace
