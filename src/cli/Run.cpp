#include "cli/Run.h"

#include "cli/Checker.h"
#include "cli/ColumnInput.h"
#include "cli/Input.h"
#include "cli/Interruption.h"
#include "cli/Report.h"
#include "core/files/FileHandle.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>

namespace Checker {

namespace {

QByteArray local(const QString& text)
{
    return text.toLocal8Bit();
}

// What a regular file is, to tell when two names are the same file.
struct Identity
{
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(int fd, const QString& path)
{
    struct stat info;
    const int result =
        path == QLatin1String("-") ? ::fstat(fd, &info) : ::stat(QFile::encodeName(path), &info);
    if (result != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return Identity{info.st_dev, info.st_ino};
}

} // namespace

Run::Run(const Options& options, int in, int out, int err)
    : m_options(options), m_in(in), m_outFd(out), m_err(err)
{}

void Run::error(const QString& name, const QString& reason)
{
    m_trouble = true;
    const QByteArray line = QByteArray(Program) + ": " + local(name) + ": " + local(reason) + "\n";
    [[maybe_unused]] const ssize_t n = ::write(m_err, line.constData(), size_t(line.size()));
}

// An output that is also an input (by another name, a link, or standard
// input) would lose the codes it held: it is refused before anything opens.
bool Run::outputIsAnInput()
{
    std::vector<Identity> inputs;
    for (const QString& file : m_options.inputs()) {
        if (const std::optional<Identity> input = identityOf(m_in, file))
            inputs.push_back(*input);
    }
    for (const QString& path : {m_options.valid, m_options.invalid}) {
        if (path.isEmpty() || path == QLatin1String("-"))
            continue;
        const std::optional<Identity> target = identityOf(-1, path);
        if (target && std::find(inputs.begin(), inputs.end(), *target) != inputs.end()) {
            error(path, QStringLiteral("is also an input file"));
            return true;
        }
    }
    return false;
}

// Every output is opened (and so checked) before any is written; none of
// them touches its target yet.
void Run::openOutputs()
{
    const bool report = !m_options.json && m_options.valid.isEmpty() && m_options.invalid.isEmpty();
    if (report || m_options.json)
        m_out = std::make_unique<Output>(openOutput(QStringLiteral("-"), m_outFd),
                                         outputName(QStringLiteral("-")));
    auto open = [&](ListOutput& list, const QString& path, const char* header) {
        if (!path.isEmpty() && m_options.spreadsheet)
            list.open(
                std::make_unique<SpreadsheetList>(*m_options.spreadsheet, path, m_outFd, header));
        else if (!path.isEmpty())
            list.open(std::make_unique<Output>(openOutput(path, m_outFd), outputName(path)), header,
                      m_options.plain);
    };
    open(m_valid, m_options.valid, " Valid Codes");
    open(m_invalid, m_options.invalid, "Invalid Codes");
    if (m_options.json)
        Report::jsonStart(*m_out);
    m_rules.report = report;
    m_rules.json = m_options.json;
    m_rules.valid = !m_options.valid.isEmpty();
    m_rules.invalid = !m_options.invalid.isEmpty();
    m_rules.plain = m_options.plain;
    m_rules.gtin = m_options.gtin;
    m_rules.form = m_options.form;
    m_fileAtOnce = !m_rules.report && !m_rules.json && !m_rules.gtin;
    m_pipeline = std::make_unique<Pipeline>(m_rules, [this](Block& block) { write(block); });
    m_block = std::make_unique<Block>();
}

// Empty items wait until the next code or the end of the input: the one a
// final LF opens is no line (unless the window's rule is asked for). The
// codes between go to the block in runs, as much as it takes.
template <typename View> void Run::codes(const std::vector<View>& items)
{
    if (std::is_same_v<View, QLatin1StringView> && m_fileAtOnce && m_block->isEmpty() &&
        m_pipeline->idle()) {
        fileAtOnce(items);
        return;
    }
    const size_t count = items.size();
    for (size_t k = 0; k < count;) {
        if (items[k].isEmpty()) {
            m_held += m_options.skipEmpty ? 0 : 1;
            ++k;
            continue;
        }
        if (m_held != 0)
            releaseHeld();
        size_t end = k;
        size_t weight = m_block->weight();
        while (end < count && !items[end].isEmpty() && weight < m_blockBytes)
            weight += Block::weightOf(items[end++]);
        m_block->addRun(items.data() + k, end - k);
        m_read += end - k;
        k = end;
        if (weight >= m_blockBytes)
            next();
    }
    stopIfInterrupted();
}

// Codes of ASCII bytes that are only filed into lists are checked as they
// are read: that costs less than handing them over to another thread. Only
// when nothing handed over waits to be written, so the order stays.
template <typename View> void Run::fileAtOnce(const std::vector<View>& items)
{
    for (const View c : items) {
        if (c.isEmpty()) {
            m_held += m_options.skipEmpty ? 0 : 1;
            continue;
        }
        for (; m_held > 0; --m_held)
            m_block->checkNow(m_rules, m_read++, QLatin1StringView(""));
        m_block->checkNow(m_rules, m_read++, c);
    }
    std::unique_ptr<Block> filed = std::exchange(m_block, m_pipeline->fresh());
    m_block->first = m_read;
    m_pipeline->writeChecked(std::move(filed));
    stopIfInterrupted();
}

void Run::releaseHeld()
{
    for (; m_held > 0; --m_held) {
        m_block->add(QLatin1StringView(""));
        ++m_read;
        if (m_block->weight() >= m_blockBytes)
            next();
    }
}

// A full block goes to be checked, and a new one begins.
void Run::next()
{
    std::unique_ptr<Block> full = std::exchange(m_block, m_pipeline->fresh());
    m_block->first = m_read;
    m_pipeline->submit(std::move(full));
}

// The writer: a block's share of every output, in input order.
void Run::write(Block& block)
{
    m_codes += block.checked;
    m_validCount += block.valid;
    if (m_out)
        m_out->put(block.out);
    m_valid.add(block.validList, block.heldValid);
    m_invalid.add(block.invalidList, block.heldInvalid);
}

// One input; a file that cannot be read is reported and the others go on.
void Run::readOne(const QString& file)
{
    const bool standard = file == QLatin1String("-");
    bool endsWithLF = false;
    try {
        const FileHandle opened(standard ? -1 : openInput(file));
        const int fd = standard ? m_in : opened.fd();
        const TextFileReader::BatchSink text = [this](const std::vector<QStringView>& items) {
            codes(items);
        };
        if (m_options.column)
            readColumn(fd, file, m_options, text);
        else
            endsWithLF = Checker::readInput(
                fd, [this](const std::vector<QLatin1StringView>& items) { codes(items); }, text);
    } catch (const OutputFailure&) {
        throw;
    } catch (const Failure& failure) {
        error(standard ? QStringLiteral("standard input") : file, failure.description());
    }
    // The line end of the last line opens no line of its own.
    if (endsWithLF && !m_options.windowLines && m_held > 0)
        --m_held;
    releaseHeld();
}

void Run::readInputs()
{
    for (const QString& file : m_options.inputs())
        readOne(file);
}

// The ends of the outputs; the files take their targets' places only when
// the whole run has succeeded.
void Run::finish()
{
    m_pipeline->finish(std::move(m_block));
    if (m_options.json)
        Report::jsonEnd(*m_out, m_codes, m_validCount);
    if (m_out)
        m_out->flush();
    m_valid.finish(*m_pipeline);
    m_invalid.finish(*m_pipeline);
    if (m_trouble)
        return;
    m_valid.commit();
    m_invalid.commit();
}

int Run::go()
{
    if (outputIsAnInput())
        return Trouble;
    try {
        openOutputs();
    } catch (const OutputFailure& failure) {
        if (interruption() == 0)
            error(failure.name(), failure.description());
        return Trouble;
    }
    try {
        readInputs();
        finish();
    } catch (const OutputFailure& failure) {
        if (interruption() == 0)
            error(failure.name(), failure.description());
    } catch (const Interrupted&) {
    }
    if (interruption() != 0)
        return Trouble;

    const QByteArray summary = QByteArray::number(m_codes) +
                               " codes: " + QByteArray::number(m_validCount) + " valid, " +
                               QByteArray::number(m_codes - m_validCount) + " invalid\n";
    if (!m_options.quiet) {
        [[maybe_unused]] const ssize_t n =
            ::write(m_err, summary.constData(), size_t(summary.size()));
    }
    if (m_trouble)
        return Trouble;
    return m_validCount == m_codes ? AllValid : SomeInvalid;
}

} // namespace Checker
