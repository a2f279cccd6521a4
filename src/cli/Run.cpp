#include "cli/Run.h"

#include "cli/Checker.h"
#include "cli/ColumnInput.h"
#include "cli/Input.h"
#include "cli/Interruption.h"
#include "core/files/FileHandle.h"
#include "core/upc/CodeMeaning.h"
#include "core/upc/Gtin.h"
#include "core/upc/UpcCheck.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace Checker {

namespace {

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

void Run::error(const QString& name, const QString& reason)
{
    m_trouble = true;
    const QByteArray line =
        QByteArray(Program) + ": " + name.toLocal8Bit() + ": " + reason.toLocal8Bit() + "\n";
    [[maybe_unused]] const ssize_t n = ::write(m_err, line.constData(), size_t(line.size()));
}

// An output that is also an input (by another name, a link, or standard
// input) would lose the codes it held: it is refused before anything opens.
bool Run::outputIsAnInput()
{
    std::vector<Identity> inputs;
    for (const QString& file : m_options.inputs())
        if (const std::optional<Identity> input = identityOf(m_in, file))
            inputs.push_back(*input);
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
    m_report = !m_options.json && m_options.valid.isEmpty() && m_options.invalid.isEmpty();
    m_reasons = m_report || m_options.json;
    if (m_reasons)
        m_out = std::make_unique<OutputWriter>(openOutput(QStringLiteral("-"), m_outFd),
                                               outputName(QStringLiteral("-")));
    auto open = [&](ListOutput& list, const QString& path, const char* header) {
        if (!path.isEmpty() && m_options.spreadsheet)
            list.open(*m_options.spreadsheet, path, m_outFd, header);
        else if (!path.isEmpty())
            list.open(std::make_unique<OutputWriter>(openOutput(path, m_outFd), outputName(path)),
                      header, m_options.plain);
    };
    open(m_valid, m_options.valid, " Valid Codes");
    open(m_invalid, m_options.invalid, "Invalid Codes");
    if (m_options.json)
        Report::jsonStart(*m_out);
}

// Empty items wait until the next code or the end of the input: the one a
// final LF opens is no line (unless the window's rule is asked for).
template <typename View> void Run::codes(const std::vector<View>& items)
{
    for (const View code : items) {
        if (code.isEmpty()) {
            m_held += m_options.skipEmpty ? 0 : 1;
            continue;
        }
        if (m_held != 0)
            releaseHeld();
        file(code);
    }
    stopIfInterrupted();
}

void Run::releaseHeld()
{
    for (; m_held > 0; --m_held)
        file(QLatin1StringView(""));
}

// Where no reason is shown the check alone files a code. A code of ASCII
// digits, hyphens and blanks held as bytes gets its reason without a text of
// its own; any other goes to the full rules.
void Run::file(const HeldText& code)
{
    if (m_options.unique && !m_seen.add(code)) {
        ++m_repeated;
        return;
    }
    const bool first = m_codes++ == 0;
    if (!m_reasons && !m_options.gtin) {
        const bool valid = code.visit([this](auto view) {
            return modUPCCode::CheckUPCCode(view, m_locale) == modUPCCode::Verdict::Valid;
        });
        m_validCount += valid;
        (valid ? m_valid : m_invalid).add(code);
        return;
    }
    if (!m_options.gtin && code.isLatin1() && CodeReason::ReasonOfDigitCode(code.latin1(), m_why)) {
        Report::Finding finding;
        finding.fault = m_why.fault;
        finding.reason = QLatin1StringView(m_why.reason);
        finding.corrected = QLatin1StringView(m_why.corrected);
        finding.damage = QLatin1StringView(m_why.damage);
        finding.repaired = QLatin1StringView(m_why.repaired);
        record(first, code, finding, code);
        return;
    }
    if (code.isLatin1()) {
        m_text.resize(0); // its memory kept for the next
        m_text.append(code.latin1());
    }
    const QStringView text = code.isLatin1() ? QStringView(m_text) : code.utf16();
    if (m_options.gtin)
        fileGtin(first, text);
    else
        fileExplained(first, text);
}

void Run::fileExplained(bool first, QStringView code)
{
    const CodeReason::Explanation why = CodeReason::Explain(code);
    record(first, code,
           {why.fault, why.reason, why.corrected, {}, {}, why.damage, why.repaired, {}}, code);
}

void Run::fileGtin(bool first, QStringView code)
{
    const CodeReason::GtinExplanation why = CodeReason::ExplainGtin(code);
    const std::string kinds = m_options.json ? Gtin::FamilyNames(why.kinds) : std::string();
    const std::string form = why.valid() && m_options.form != Gtin::Form::AsGiven
                                 ? Gtin::FormOf(why.digits, why.kinds, m_options.form)
                                 : std::string();
    const Report::Finding finding{.fault = why.fault,
                                  .reason = why.reason,
                                  .corrected = QLatin1StringView(why.corrected),
                                  .kinds = kinds,
                                  .gtin14 = why.gtin14,
                                  .damage = {},
                                  .repaired = {},
                                  .meaning = {}};
    record(first, code, finding, form.empty() ? HeldText(code) : HeldText(QLatin1StringView(form)));
}

// A code and what is said of it, into every output that takes it: `listed`
// is what the valid list holds of it.
void Run::record(bool first, HeldText code, const Report::Finding& finding, HeldText listed)
{
    if (finding.valid()) {
        ++m_validCount;
        m_valid.add(listed);
    } else {
        m_invalid.add(code);
        if (m_report)
            Report::invalid(*m_out, code, finding.reason);
    }
    if (!m_options.json)
        return;
    if (!finding.valid()) {
        Report::jsonRecord(*m_out, first, code, finding);
        return;
    }
    // A valid code says what it is.
    const QString meaning = CodeMeaning::Of(code.toString());
    Report::Finding described = finding;
    described.meaning = meaning;
    Report::jsonRecord(*m_out, first, code, described);
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

// The ends of the outputs; the files take their targets' places only when
// the whole run has succeeded.
void Run::finish()
{
    if (m_options.json)
        Report::jsonEnd(*m_out, m_codes, m_validCount);
    if (m_out)
        m_out->flush();
    m_valid.finish();
    m_invalid.finish();
    if (m_trouble)
        return;
    finishUninterrupted();
    m_valid.commit();
    m_invalid.commit();
}

int Run::go()
{
    if (outputIsAnInput())
        return Trouble;
    try {
        openOutputs();
        for (const QString& file : m_options.inputs())
            readOne(file);
        finish();
    } catch (const OutputFailure& failure) {
        if (interruption() == 0)
            error(failure.name(), failure.description());
    } catch (const Interrupted&) {
    }
    // A failed run, whose lists are not written, has no summary.
    if (interruption() != 0 || m_trouble)
        return Trouble;

    const quint64 read = m_codes + m_repeated;
    const QByteArray summary =
        QByteArray::number(read) + (read == 1 ? " code: " : " codes: ") +
        QByteArray::number(m_validCount) + " valid, " + QByteArray::number(m_codes - m_validCount) +
        " invalid" +
        (m_options.unique ? ", " + QByteArray::number(m_repeated) + " repeated (left out)\n"
                          : QByteArray("\n"));
    if (!m_options.quiet) {
        [[maybe_unused]] const ssize_t n =
            ::write(m_err, summary.constData(), size_t(summary.size()));
    }
    return m_validCount == m_codes ? AllValid : SomeInvalid;
}

} // namespace Checker
