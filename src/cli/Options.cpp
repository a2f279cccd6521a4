#include "cli/Options.h"

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "1.0.0"
#endif

namespace Checker {

namespace {

const char* const Usage = R"(Usage: quorvane-check [OPTIONS] [FILE...]
Checks the UPC-A codes in text files, one code per line, as Quorvane does.
With no FILE, or where FILE is -, reads standard input.

By default writes one line per invalid code to standard output: the code, a
TAB and the reason. A summary goes to standard error.

  --valid FILE     write the valid codes to FILE
  --invalid FILE   write the invalid codes to FILE
                   (as Quorvane's "Save Results As Text File" writes them;
                   FILE - is standard output; no report is then written)
  --plain          write those files with one code per line instead
  --json           write every code and its verdict as JSON instead of the
                   report
  --skip-empty     leave out empty lines (as read, a text ending in LF has
                   an empty last line, which is no valid code)
  -h, --help       show this help and end
  -V, --version    show the version and end

Exit status: 0 when every code is valid, 1 when some are not, 2 on a usage
or file error.
)";

bool isListOption(const QString& a)
{
    return a == QLatin1String("--valid") || a == QLatin1String("--invalid") ||
           a.startsWith(QLatin1String("--valid=")) || a.startsWith(QLatin1String("--invalid="));
}

// --valid FILE, --valid=FILE and the same for --invalid; false on a usage
// error, whose message is set.
bool takeList(const QStringList& arguments, qsizetype& i, Options& o, QString& message)
{
    const QString& a = arguments.at(i);
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? a : a.left(eq);
    QString value;
    if (eq >= 0)
        value = a.mid(eq + 1);
    else if (i + 1 < arguments.size())
        value = arguments.at(++i);
    if (value.isEmpty()) {
        message = QStringLiteral("option %1 needs a file name").arg(name);
        return false;
    }
    (name == QLatin1String("--valid") ? o.valid : o.invalid) = value;
    return true;
}

// A flag without a value; false when `a` is none.
bool takeFlag(const QString& a, Options& o)
{
    if (a == QLatin1String("--plain"))
        o.plain = true;
    else if (a == QLatin1String("--json"))
        o.json = true;
    else if (a == QLatin1String("--skip-empty"))
        o.skipEmpty = true;
    else
        return false;
    return true;
}

// The text of -h or -V, or nothing.
QByteArray shownFor(const QString& a)
{
    if (a == QLatin1String("-h") || a == QLatin1String("--help"))
        return Usage;
    if (a == QLatin1String("-V") || a == QLatin1String("--version"))
        return QByteArray(Program) + " (Quorvane) " + QUORVANE_VERSION + "\n";
    return {};
}

// What the options together do not allow, or nothing.
QString conflictOf(const Options& o)
{
    const int toStdout =
        (o.valid == QLatin1String("-")) + (o.invalid == QLatin1String("-")) + (o.json ? 1 : 0);
    if (toStdout > 1)
        return QStringLiteral("only one of --json, --valid - and --invalid - can use "
                              "standard output");
    if (!o.valid.isEmpty() && o.valid != QLatin1String("-") && o.valid == o.invalid)
        return QStringLiteral("--valid and --invalid name the same file");
    return {};
}

} // namespace

Parsed parse(const QStringList& arguments)
{
    Parsed parsed;
    Options o;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (!options || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            o.files.append(a);
        } else if (a == QLatin1String("--")) {
            options = false;
        } else if (!(parsed.shown = shownFor(a)).isEmpty()) {
            return parsed;
        } else if (isListOption(a)) {
            if (!takeList(arguments, i, o, parsed.usageError))
                return parsed;
        } else if (!takeFlag(a, o)) {
            parsed.usageError = QStringLiteral("unknown option %1").arg(a);
            return parsed;
        }
    }
    parsed.usageError = conflictOf(o);
    if (parsed.usageError.isEmpty())
        parsed.options = std::move(o);
    return parsed;
}

} // namespace Checker
