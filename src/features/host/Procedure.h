#pragma once

#include "core/base/Failure.h"
#include "features/host/Prompts.h"

#include <QString>
#include <new>
#include <utility>

// The text of the error report for a failure at one step of a procedure.
QString errorReportText(const QString& description, const QString& procedureTag, int line);

// "in Lintorak2021/08/31.<module>.<procedure> ", the tag a reporting procedure
// shows in its error reports.
QString procedureTag(const char* module, const char* procedure);

// A reporting procedure: it runs numbered steps, and a step that fails is shown
// in the error report under the procedure's tag and the step's line number;
// then the procedure goes on with the step after it.
//
//     Procedure p(prompts, procedureTag("Form1", "PushButton1_Click"));
//     p.step(100, [&] { ... });
//     if (p.when(102, [&] { return ...; })) { p.step(104, ...); }
//     if (p.endsIf(106, [&] { return ...; })) return;
//     for (int i = 1, n = p.count(108, [&] { return ...; }); i <= n; ++i) { ... }
class Procedure
{
public:
    Procedure(Prompts& prompts, QString tag) : m_prompts(prompts), m_tag(std::move(tag)) {}

    // Runs one step.
    template <typename Step> void step(int line, Step&& body)
    {
        try {
            body();
        } catch (...) {
            reportCurrent(line);
        }
    }

    // Runs a step that yields a value; a failing step leaves `fallback`.
    template <typename T, typename Step> T value(int line, T fallback, Step&& body)
    {
        try {
            return body();
        } catch (...) {
            reportCurrent(line);
            return fallback;
        }
    }

    // A test that guards the steps after it. A test that fails while it is
    // being worked out lets its guarded steps run, as if it had passed.
    template <typename Test> bool when(int line, Test&& test) { return value(line, true, test); }

    // A test whose only action is to end the procedure. If working it out
    // fails, the procedure does not end there.
    template <typename Test> bool endsIf(int line, Test&& test) { return value(line, false, test); }

    // The head of a repetition: the number of rounds. If it cannot be taken,
    // the repetition runs no round.
    template <typename Count> int count(int line, Count&& count) { return value(line, 0, count); }

    // Reports a failure at a line, as a failing step does. The same failure
    // reported again (a run over many codes) builds its text only once.
    void report(const QString& description, int line);

private:
    void reportCurrent(int line);

    Prompts& m_prompts;
    QString m_tag;
    // The last report: its failure, line and text.
    QString m_reportedDescription;
    int m_reportedLine = 0;
    QString m_reportText;
};
