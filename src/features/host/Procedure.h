#pragma once

#include "core/base/Failure.h"
#include "features/host/Prompts.h"

#include <QString>
#include <new>
#include <utility>

// The text of the error report for a failure at one step of a procedure.
QString errorReportText(const QString& description, const QString& procedureTag, int line);

// "in Lintorak2021/08/31.<module>.<procedure> ", a procedure's tag in its reports.
QString procedureTag(const char* module, const char* procedure);

// A reporting procedure runs numbered steps: a step that fails is shown in an
// error report under the procedure's tag and the step's line, and the
// procedure goes on with the next step.
class Procedure
{
public:
    Procedure(Prompts& prompts, QString tag) : m_prompts(prompts), m_tag(std::move(tag)) {}

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

    // A test guarding the steps after it; one that fails lets them run.
    template <typename Test> bool when(int line, Test&& test) { return value(line, true, test); }

    // A test whose only action is to end the procedure; one that fails does not.
    template <typename Test> bool endsIf(int line, Test&& test) { return value(line, false, test); }

    // The number of rounds of a repetition; none when it cannot be taken.
    template <typename Count> int count(int line, Count&& count) { return value(line, 0, count); }

    // Reports a failure at a line, as a failing step does. The same failure
    // again (a run over many codes) reuses its text.
    void report(const QString& description, int line);

private:
    void reportCurrent(int line);

    Prompts& m_prompts;
    QString m_tag;
    QString m_reportedDescription;
    int m_reportedLine = 0;
    QString m_reportText;
};
