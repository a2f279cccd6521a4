#pragma once

#include "cli/Block.h"
#include "cli/Output.h"
#include "cli/Pipeline.h"
#include "cli/SpreadsheetLists.h"

#include <QString>
#include <memory>
#include <vector>

namespace Checker {

// One of the two lists of codes, when it is written: plain, one code per
// line as the codes come, or padded as the window's text export (the table
// the export writes, walked over the codes as the blocks held them), held
// until the end since its width depends on every code; or as a spreadsheet
// file, a row for each code as the blocks come.
class ListOutput
{
public:
    // Nothing is written until it is opened.
    void open(std::unique_ptr<Output> output, const char* header, bool plain);
    void open(std::unique_ptr<SpreadsheetList> sheet) { m_sheet = std::move(sheet); }

    // A block's share: its plain list, or its codes for the padded table or
    // the spreadsheet file (taken over).
    void add(const Bytes& plain, HeldCodes& held);

    // Writes what is still held (the padded table, its lines rendered on the
    // pipeline's workers) and flushes.
    void finish(Pipeline& pipeline);
    void commit();

private:
    std::unique_ptr<Output> m_output;
    std::unique_ptr<SpreadsheetList> m_sheet;
    QString m_header;
    bool m_plain = false;
    std::vector<HeldCodes> m_held; // the padded list, block by block
    qsizetype m_count = 0;         // the codes it holds
    QString m_text;                // a code for the spreadsheet file
};

} // namespace Checker
