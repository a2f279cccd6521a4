#pragma once

#include "cli/CommandLine.h"
#include "cli/ListOutput.h"
#include "cli/OutputWriter.h"
#include "cli/Report.h"
#include "core/list/Duplicates.h"
#include "core/list/HeldText.h"
#include "core/upc/CodeReason.h"

#include <QLocale>
#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

namespace Checker {

// One run of the checker over its inputs, with its options: the reader hands
// on the inputs' codes, and each is checked and filed into the outputs as it
// comes.
class Run
{
public:
    Run(const CommandLine& options, int in, int out, int err)
        : m_options(options), m_in(in), m_outFd(out), m_err(err)
    {}
    // Answers the exit status.
    int go();

private:
    bool outputIsAnInput();
    void openOutputs();
    void readOne(const QString& file);
    template <typename View> void codes(const std::vector<View>& items);
    void releaseHeld();
    void file(const HeldText& code);
    void fileExplained(bool first, QStringView code);
    void fileGtin(bool first, QStringView code);
    void record(bool first, HeldText code, const Report::Finding& finding, HeldText listed);
    void finish();
    void error(const QString& name, const QString& reason);

    const CommandLine& m_options;
    int m_in, m_outFd, m_err;
    std::unique_ptr<OutputWriter> m_out; // the report or the JSON document
    bool m_report = false;               // the report of the invalid codes is written
    bool m_reasons = false;              // the report or the JSON document is
    QLocale m_locale;                    // the user's, taken once for the run
    ListOutput m_valid, m_invalid;
    quint64 m_codes = 0, m_validCount = 0; // of the codes filed
    quint64 m_repeated = 0;                // --unique: codes met before, left out
    Duplicates::SeenTexts m_seen;          // --unique: the codes met
    quint64 m_held = 0;                    // empty lines not checked yet: the last may be no line
    bool m_trouble = false;
    QString m_text;                 // a code of bytes that the full rules decide
    CodeReason::DigitsReason m_why; // the reason of a code of digits, its memory kept
};

} // namespace Checker
