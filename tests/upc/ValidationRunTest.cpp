#include "upc/ValidationRun.h"

#include "shell/Form1.h"
#include "shell/ListView.h"
#include "shell/ProgressBar.h"
#include "shell/PushButton.h"
#include "support/ListItems.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QStringList& Samples = SampleCodes;
const QStringList ValidSamples = {"801927504622", "012345678905", "712345678904"};
const QString Done = "message|Quorvane|Done.";

// What the window shows at one yield of a run.
struct AtYield
{
    double value;
    QString caption;
    int pointer;
};

class ValidationRunTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    std::unique_ptr<Form1> form = script.loadForm();

    // Runs `action(k)` when the window handles its events for the k-th time,
    // k = 1 ... upTo: each round queues the next one.
    void atYields(int upTo, std::function<void(int)> action)
    {
        m_atYield = std::move(action);
        m_upTo = upTo;
        m_yields = 0;
        queueNextYield();
    }

    // Records the bar and the pointer at each of the first `yields` yields.
    std::shared_ptr<QList<AtYield>> watch(int yields)
    {
        auto seen = std::make_shared<QList<AtYield>>();
        atYields(yields, [this, seen](int) {
            seen->append(
                {form->ProgressBar1->Value(), form->ProgressBar1->Text(), form->MousePointer()});
        });
        return seen;
    }

    void expectAtRest()
    {
        EXPECT_EQ(form->MousePointer(), Form1::vbDefault);
        EXPECT_EQ(form->ProgressBar1->Value(), 0);
        EXPECT_EQ(form->ProgressBar1->Text(), "Progress Bar");
    }

private:
    void queueNextYield()
    {
        QMetaObject::invokeMethod(
            form.get(),
            [this] {
                m_atYield(++m_yields);
                if (m_yields < m_upTo)
                    queueNextYield();
            },
            Qt::QueuedConnection);
    }

    std::function<void(int)> m_atYield;
    int m_upTo = 0;
    int m_yields = 0;
};

TEST(FileNameFromPath, IsThePartAfterTheLastBackslash)
{
    EXPECT_EQ(Main::FileNameFromPath("012345678905"), "012345678905");
    EXPECT_EQ(Main::FileNameFromPath("C:\\codes\\012345678905"), "012345678905");
    EXPECT_EQ(Main::FileNameFromPath("abc\\"), "");
    EXPECT_EQ(Main::FileNameFromPath("\\x"), "x");
    EXPECT_EQ(Main::FileNameFromPath(""), "");
    EXPECT_EQ(Main::FileNameFromPath("/home/ann/x"), "/home/ann/x");
}

TEST_F(ValidationRunTest, SamplesGiveThreeValidAndOneInvalidInOrder)
{
    form->PushButton12->click();
    form->PushButton17->click();
    EXPECT_EQ(itemsOf(form->ListView2), ValidSamples);
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"279347895943"}));
    EXPECT_EQ(itemsOf(form->ListView1), Samples);
    EXPECT_EQ(script.log, QStringList({Done}));
    expectAtRest();
}

TEST_F(ValidationRunTest, RunningTwiceGivesTheSameLists)
{
    fill(form->ListView1, Samples + QStringList({"801927504622", "bad"}));
    form->PushButton17->click();
    const QStringList valid = itemsOf(form->ListView2);
    const QStringList invalid = itemsOf(form->ListView3);
    EXPECT_EQ(valid, ValidSamples + QStringList({"801927504622"}));
    EXPECT_EQ(invalid, QStringList({"279347895943", "bad"}));
    form->PushButton17->click();
    EXPECT_EQ(itemsOf(form->ListView2), valid);
    EXPECT_EQ(itemsOf(form->ListView3), invalid);
    EXPECT_EQ(script.log, QStringList({Done, Done}));
}

TEST_F(ValidationRunTest, ResultsKeepTheCodesAsTyped)
{
    fill(form->ListView1,
         {"0-12345-67890-5", " 0 12345 67890 5 ", "\t012345678905", "", "0-12345-67890-0"});
    form->PushButton17->click();
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"0-12345-67890-5", " 0 12345 67890 5 "}));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"\t012345678905", "", "0-12345-67890-0"}));
}

TEST_F(ValidationRunTest, AnEmptyCodeListLeavesEverythingAsItWas)
{
    fill(form->ListView2, {"old valid"});
    fill(form->ListView3, {"old invalid"});
    form->SetMousePointer(Form1::vbCustom);
    form->PushButton17->click();
    EXPECT_EQ(script.log, QStringList({"message|Quorvane|No UPC codes added."}));
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"old valid"}));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"old invalid"}));
    EXPECT_EQ(form->MousePointer(), Form1::vbCustom);
    EXPECT_EQ(form->ProgressBar1->Text(), "Progress Bar");
}

TEST_F(ValidationRunTest, TheBarShowsEachCodeWhileTheBusyPointerShows)
{
    fill(form->ListView1, {"801927504622", "C:\\list\\012345678905", "abc\\", "x"});
    auto seen = watch(4);
    form->PushButton17->click();
    ASSERT_EQ(seen->size(), 4);
    const double values[] = {25, 50, 75, 100};
    const char* captions[] = {"Processing: 801927504622", "Processing: 012345678905",
                              "Processing: ", "Processing: x"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(seen->at(k).value, values[k]);
        EXPECT_EQ(seen->at(k).caption, captions[k]);
        EXPECT_EQ(seen->at(k).pointer, Form1::vbHourglass);
    }
    // The code with backslashes is checked and filed whole.
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"C:\\list\\012345678905", "abc\\", "x"}));
    expectAtRest();
}

TEST_F(ValidationRunTest, OneCodeMovesTheBarTo100AndBack)
{
    fill(form->ListView1, {"012345678905"});
    auto seen = watch(1);
    form->PushButton17->click();
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
    fill(form->ListView1, {"012345678905", "+12345678905", "712345678904"});
    form->PushButton17->click();
    EXPECT_EQ(script.errors(),
              QStringList({"Type mismatch\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at "
                           "line 118\r\rPlease email screenshot of this message to "
                           "support@tarnwell.example"}));
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"012345678905", "712345678904"}));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"+12345678905"}));
    EXPECT_EQ(script.log.last(), Done);
    expectAtRest();
}

TEST_F(ValidationRunTest, AClickAtTheYieldRunsACompleteSecondRunFirst)
{
    form->PushButton12->click();
    QStringList valid1st, seenInside;
    // The click waits in the queue; the run's first yield handles it.
    QMetaObject::invokeMethod(
        form.get(),
        [&] {
            form->PushButton17->click();
            valid1st = itemsOf(form->ListView2);
            seenInside = script.log;
        },
        Qt::QueuedConnection);
    form->PushButton17->click();
    EXPECT_EQ(valid1st, ValidSamples);
    EXPECT_EQ(seenInside, QStringList({Done}));
    // The first run then goes on with its first code and appends to the
    // lists that the second run filled.
    EXPECT_EQ(itemsOf(form->ListView2), ValidSamples + ValidSamples);
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"279347895943", "279347895943"}));
    EXPECT_EQ(script.log, QStringList({Done, Done}));
    expectAtRest();
}

TEST_F(ValidationRunTest, ClearListAndRemovalAreRefusedDuringARun)
{
    const QStringList codes = {"279347895943", "801927504622", "012345678905", "712345678904"};
    fill(form->ListView1, codes);
    atYields(3, [this](int k) {
        if (k < 3)
            return; // by the third code both result lists hold an item
        for (ListView* list : {form->ListView1, form->ListView2, form->ListView3})
            list->SelectItem(1);
        form->PushButton1->click();
        form->ListView1_DblClick();
        form->ListView1_KeyDown(ListView::DeleteKeyCode, 0);
        form->ListView2_DblClick();
        form->ListView3_KeyDown(ListView::DeleteKeyCode, 0);
    });
    form->PushButton17->click();
    EXPECT_EQ(itemsOf(form->ListView1), codes);
    EXPECT_EQ(itemsOf(form->ListView2), codes.mid(1));
    EXPECT_EQ(itemsOf(form->ListView3), QStringList({"279347895943"}));
    EXPECT_EQ(script.log, QStringList({Done}));
}

TEST_F(ValidationRunTest, CodesAddedDuringARunCountForTheBarButAreNotChecked)
{
    fill(form->ListView1, {"801927504622", "012345678905"});
    auto seen = std::make_shared<QList<double>>();
    atYields(2, [this, seen](int k) {
        seen->append(form->ProgressBar1->Value());
        if (k == 1)
            form->PushButton12->click();
    });
    form->PushButton17->click();
    ASSERT_EQ(seen->size(), 2);
    EXPECT_DOUBLE_EQ(seen->at(0), 50);
    EXPECT_DOUBLE_EQ(seen->at(1), 2.0 / 6.0 * 100.0); // code 2 of now 6
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"801927504622", "012345678905"}));
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
    EXPECT_EQ(form->ListView1->ItemCount(), 6);
}

TEST_F(ValidationRunTest, AnImportAtTheYieldTakesTheGuardAwayForTheRestOfTheRun)
{
    fill(form->ListView1, {"801927504622", "279347895943"});
    const QString path = script.folder.write("more.txt", "712345678904\r\n");
    atYields(2, [this, path](int k) {
        if (k == 1) {
            script.openAnswers.enqueue(path);
            form->PushButton3->click(); // sets the busy pointer and then the default one
        } else {
            form->PushButton1->click(); // no longer refused
        }
    });
    form->PushButton17->click();
    EXPECT_EQ(form->ListView1->ItemCount(), 0);
    EXPECT_EQ(itemsOf(form->ListView2), QStringList({"801927504622"}));
    // The second code was read before the list was emptied; filing it reads
    // its item again, which is gone.
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_TRUE(script.errors()[0].startsWith(
        "Index out of bounds\r\nin Lintorak2021/08/31.Form1.PushButton17_Click at line 124\r"));
    EXPECT_EQ(form->ListView3->ItemCount(), 0);
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
        form->ListView1->Clear();
        fill(form->ListView1, QStringList(c.codes, "801927504622"));
        const QString path = script.folder.write("more.txt", "");
        atYields(1, [this, &c, path](int) {
            script.openAnswers.enqueue(path);
            form->PushButton3->click();
            if (c.emptied) {
                form->PushButton1->click();
            } else {
                form->ListView1->SelectItem(1);
                form->ListView1_DblClick();
            }
        });
        form->PushButton17->click();
        QStringList lines;
        for (const QString& error : script.errors())
            lines.append(error.section('\r', 0, 0) + " " + error.section(" at line ", 1).left(3));
        EXPECT_EQ(lines, QStringList({c.report}));
        EXPECT_EQ(itemsOf(form->ListView2), c.valid);
        EXPECT_EQ(script.log.last(), Done);
        expectAtRest();
    }
}

} // namespace
