#include "features/host/Procedure.h"

#include "support/QtPrinters.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

class RecordingPrompts : public Prompts
{
public:
    void messageBox(const QString& text, const QString&) override { messages.append(text); }
    void errorReport(const QString& text) override { reports.append(text); }
    QString inputBox(const QString&, const QString&) override { return {}; }

    QStringList messages;
    QStringList reports;
};

const QString Tag = procedureTag("Form1", "Form_Load");

[[noreturn]] void fail(const char* description)
{
    throw Failure(QString::fromUtf8(description));
}

TEST(ErrorReport, TextIsExact)
{
    EXPECT_EQ(Tag, "in Lintorak2021/08/31.Form1.Form_Load ");
    EXPECT_EQ(errorReportText("File not found", Tag, 110),
              "File not found\r\nin Lintorak2021/08/31.Form1.Form_Load at line 110\r\rPlease "
              "email screenshot of this message to support@tarnwell.example");
    EXPECT_EQ(procedureTag("Main", "SaveListviewProperlySpacedWithoutProgressBar"),
              "in Lintorak2021/08/31.Main.SaveListviewProperlySpacedWithoutProgressBar ");
}

TEST(Procedure, TwoFailingStepsGiveTwoReportsInOrderAndTheRestRuns)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    QStringList ran;
    p.step(100, [&] { ran << "100"; });
    p.step(102, [&] { fail("first"); });
    p.step(104, [&] { ran << "104"; });
    p.step(106, [&] { fail("second"); });
    p.step(108, [&] { ran << "108"; });
    EXPECT_EQ(ran, QStringList({"100", "104", "108"}));
    ASSERT_EQ(prompts.reports.size(), 2);
    EXPECT_TRUE(prompts.reports[0].startsWith(
        "first\r\nin Lintorak2021/08/31.Form1.Form_Load at line 102\r\r"));
    EXPECT_TRUE(prompts.reports[1].startsWith(
        "second\r\nin Lintorak2021/08/31.Form1.Form_Load at line 106\r\r"));
}

TEST(Procedure, FailureInARepetitionIsReportedEveryRoundAndTheRepetitionEnds)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    int afterFailure = 0;
    for (int i = 1, n = p.count(108, [] { return 5; }); i <= n; ++i) {
        p.step(110, [&] { fail("Index out of bounds"); });
        p.step(112, [&] { ++afterFailure; });
    }
    EXPECT_EQ(prompts.reports.size(), 5);
    EXPECT_EQ(afterFailure, 5);
}

TEST(Procedure, FailingTestRunsTheStepsItGuards)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    bool guardedRan = false;
    if (p.when(108, []() -> bool { fail("Bad file name or number"); }))
        p.step(110, [&] { guardedRan = true; });
    EXPECT_TRUE(guardedRan);
    ASSERT_EQ(prompts.reports.size(), 1);
    EXPECT_TRUE(prompts.reports[0].contains("at line 108\r"));

    // A test that worked out false guards nothing.
    bool falseRan = false;
    if (p.when(108, [] { return false; }))
        falseRan = true;
    EXPECT_FALSE(falseRan);
}

TEST(Procedure, FailingTestThatWouldEndTheProcedureLetsItGoOn)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    EXPECT_FALSE(p.endsIf(144, []() -> bool { fail("Overflow"); }));
    EXPECT_TRUE(p.endsIf(144, [] { return true; }));
    EXPECT_EQ(prompts.reports.size(), 1);
}

// A procedure without a report of its own lets its failure pass up; the
// caller reports it with its own tag and the line of its calling step.
void helperWithoutReport(int& reached)
{
    reached = 1;
    fail("Type mismatch");
}

TEST(Procedure, FailureInACalledProcedureCarriesTheCallersTagAndLine)
{
    RecordingPrompts prompts;
    Procedure p(prompts, procedureTag("Form1", "PushButton17_Click"));
    int reached = 0;
    p.step(118, [&] { helperWithoutReport(reached); });
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(prompts.reports.size(), 1);
    EXPECT_TRUE(prompts.reports[0].startsWith(
        "Type mismatch\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at line 118\r\r"));
}

TEST(Procedure, OtherFailuresAreReportedWithTheirDescription)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    p.step(100, [] { throw std::bad_alloc(); });
    p.step(102, [] { throw std::runtime_error("disk on fire"); });
    ASSERT_EQ(prompts.reports.size(), 2);
    EXPECT_TRUE(prompts.reports[0].startsWith("Out of memory\r\n"));
    EXPECT_TRUE(prompts.reports[1].startsWith("disk on fire\r\n"));
}

TEST(Procedure, ValueOfAFailingStepIsTheFallback)
{
    RecordingPrompts prompts;
    Procedure p(prompts, Tag);
    EXPECT_EQ(p.value(142, QString("kept"), []() -> QString { fail("Permission denied"); }),
              "kept");
    EXPECT_EQ(p.count(102, [] { return 3; }), 3);
    EXPECT_EQ(prompts.reports.size(), 1);
}

} // namespace
