#pragma once

#include "cli/Block.h"
#include "cli/Lists.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/Pipeline.h"

#include <QLatin1StringView>
#include <QStringView>
#include <memory>
#include <vector>

namespace Checker {

// One run of the checker over its inputs, with its options: the reader cuts
// the inputs into blocks of codes, the pipeline checks them, and the writer
// (write()) puts each block's share into the outputs in input order.
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
    template <typename View> void fileAtOnce(const std::vector<View>& items);
    void releaseHeld();
    void next();
    void write(Block& block);
    void finish();
    void error(const QString& name, const QString& reason);

    const Options& m_options;
    int m_in, m_outFd, m_err;
    std::unique_ptr<Output> m_out; // the report or the JSON document
    Rules m_rules;
    bool m_fileAtOnce = false; // ASCII codes are filed as they are read
    ListOutput m_valid, m_invalid;
    quint64 m_read = 0;                    // codes handed to blocks
    quint64 m_codes = 0, m_validCount = 0; // of the codes written
    quint64 m_held = 0;                    // empty lines not checked yet: the last may be no line
    bool m_trouble = false;
    size_t m_blockBytes = Pipeline::blockBytes();
    std::unique_ptr<Block> m_block; // the block being filled
    std::unique_ptr<Pipeline> m_pipeline;
};

} // namespace Checker
