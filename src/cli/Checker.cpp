#include "cli/Checker.h"

#include "cli/CommandLine.h"
#include "cli/OutputWriter.h"
#include "cli/Run.h"

#include <unistd.h>

namespace Checker {

int run(const QStringList& arguments, int in, int out, int err)
{
    const Parsed parsed = parse(arguments);
    if (!parsed.usageError.isEmpty()) {
        const QByteArray text = QByteArray(Program) + ": " + parsed.usageError.toLocal8Bit() +
                                "\nTry '" + Program + " --help' for more information.\n";
        [[maybe_unused]] const ssize_t n = ::write(err, text.constData(), size_t(text.size()));
        return Trouble;
    }
    if (!parsed.options) {
        try {
            OutputWriter shown(openOutput(QStringLiteral("-"), out),
                               outputName(QStringLiteral("-")));
            shown.put(parsed.shown);
            shown.flush();
        } catch (const Failure&) {
            return Trouble;
        }
        return AllValid;
    }
    return Run(*parsed.options, in, out, err).go();
}

} // namespace Checker
