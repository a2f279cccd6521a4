#pragma once

#include "cli/Lists.h"
#include "cli/Options.h"
#include "cli/Output.h"

#include <QLatin1StringView>
#include <QStringView>
#include <memory>
#include <vector>

namespace Checker {

// One run of the checker over its inputs, with its options.
class Run
{
public:
    Run(const Options& options, int in, int out, int err);
    // Answers the exit status.
    int go();

private:
    bool outputIsAnInput();
    void openOutputs();
    void readInputs();
    void readOne(const QString& file);
    template <typename View> void codes(const std::vector<View>& items);
    void releaseHeld();
    template <typename View> void code(View code);
    void reported(QLatin1StringView code);
    void reported(QStringView code);
    void finish();
    void error(const QString& name, const QString& reason);

    const Options& m_options;
    int m_in, m_outFd, m_err;
    std::unique_ptr<Output> m_out; // the report or the JSON document
    bool m_report = false;
    ListOutput m_valid, m_invalid;
    quint64 m_codes = 0, m_validCount = 0;
    quint64 m_held = 0; // empty lines not checked yet: the last may be no line
    bool m_trouble = false;
    QString m_text; // reused for a code of bytes the full rules decide
};

} // namespace Checker
