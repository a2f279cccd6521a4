#include "cli/CommandLine.h"

#include "core/base/Maker.h"

#include <cstring>
#include <getopt.h>
#include <optional>
#include <utility>
#include <vector>

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

      --valid=FILE     write the valid codes to FILE
      --invalid=FILE   write the invalid codes to FILE
                       (as Quorvane's "Save Results As Text File" writes them;
                       FILE - is standard output; no report is then written)
      --plain          write those files with one code per line instead
      --format=FORMAT  write those files as FORMAT: table (the default, as
                       above), plain (as --plain), csv (RFC 4180, UTF-8) or
                       xlsx (an Excel workbook; not to a terminal)
      --json           write every code and its verdict as JSON instead of the
                       report
      --skip-empty     leave out empty lines
      --window-lines   read lines as the window does: a final LF adds one
                       empty code
      --gtin           check every GTIN instead of UPC-A alone: a code is
                       valid as GTIN-8, UPC-E, UPC-A, EAN-13 or GTIN-14 (check
                       digit by the GS1 rule); the report's reasons name the
                       kind, and the JSON gains "kind" and "gtin14"
      --normalize=FORM with --gtin, write the valid list in one form: gtin-14
                       (the GTIN-14 of every code) or upc-a (the UPC-A of a
                       code that is a form of one, the GTIN-14 of any other)
      --column=COLUMN  read CSV or TSV and check the cells of COLUMN: its
                       number from 1, its letters (A, B, ... AA) or the text
                       of its header; empty cells are left out
      --separator=C    the separator of those fields (TAB: --separator=tab);
                       by default TAB for *.tsv, else the one the first line
                       shows of comma, semicolon and TAB
      --unique         check and write each code once: a code met before (the
                       same text) is left out and counted as repeated; the
                       codes met are kept, so memory grows with them
  -q, --quiet          write no summary to standard error
  -h, --help           show this help and end
  -V, --version        show the version and end

A line ends at LF, CR LF or CR; the line end of the last line adds no code,
an empty line before it is an (invalid) empty code. Options may follow the
files and be shortened to any unambiguous prefix; -- ends the options.

Exit status: 0 when every code is valid, 1 when some are not, 2 on a usage
or file error.
)";

// The values of the options without a short form, beyond any character.
enum : int
{
    Valid = 256,
    Invalid,
    Plain,
    Format,
    Json,
    SkipEmpty,
    WindowLines,
    GtinOption,
    Normalize,
    Column,
    Separator,
    Unique
};

const option LongOptions[] = {
    {"valid", required_argument, nullptr, Valid},
    {"invalid", required_argument, nullptr, Invalid},
    {"plain", no_argument, nullptr, Plain},
    {"format", required_argument, nullptr, Format},
    {"json", no_argument, nullptr, Json},
    {"skip-empty", no_argument, nullptr, SkipEmpty},
    {"window-lines", no_argument, nullptr, WindowLines},
    {"gtin", no_argument, nullptr, GtinOption},
    {"normalize", required_argument, nullptr, Normalize},
    {"column", required_argument, nullptr, Column},
    {"separator", required_argument, nullptr, Separator},
    {"unique", no_argument, nullptr, Unique},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The leading ':' makes getopt answer ':' for a missing argument.
const char* const ShortOptions = ":hVq";

QString longName(int value)
{
    for (const option* o = LongOptions; o->name != nullptr; ++o)
        if (o->val == value)
            return QStringLiteral("'--%1'").arg(QLatin1StringView(o->name));
    return {};
}

// getopt's own message for the error it answered `result` (':' or '?') to,
// `word` being the argument it read last.
QString errorOf(int result, const char* word)
{
    // Only long options take an argument.
    if (result == ':')
        return QStringLiteral("option %1 requires an argument").arg(longName(optopt));
    if (optopt != 0) {
        const QString known = longName(optopt);
        if (!known.isEmpty())
            return QStringLiteral("option %1 doesn't allow an argument").arg(known);
        return QStringLiteral("invalid option -- '%1'").arg(QChar(optopt));
    }
    // A long option no name, or more than one, begins with.
    const QByteArray given = QByteArray(word).mid(2);
    const qsizetype equals = given.indexOf('=');
    const QByteArray name = equals < 0 ? given : given.left(equals);
    QString possibilities;
    for (const option* o = LongOptions; o->name != nullptr; ++o)
        if (QByteArrayView(o->name).startsWith(name))
            possibilities += QLatin1Char(' ') + longName(o->val);
    const QString shown = QString::fromLocal8Bit(given);
    if (possibilities.isEmpty())
        return QStringLiteral("unrecognized option '--%1'").arg(shown);
    return QStringLiteral("option '--%1' is ambiguous; possibilities:%2").arg(shown, possibilities);
}

// Takes the lists' format; the message of a usage error, or nothing.
QString takeFormat(CommandLine& o, const QString& format)
{
    o.plain = format == QLatin1String("plain");
    o.spreadsheet.reset();
    if (format == QLatin1String("csv"))
        o.spreadsheet = SpreadsheetFile::Format::Csv;
    else if (format == QLatin1String("xlsx"))
        o.spreadsheet = SpreadsheetFile::Format::Xlsx;
    else if (!o.plain && format != QLatin1String("table"))
        return QStringLiteral("invalid argument '%1' for '--format'; valid arguments are "
                              "table, plain, csv and xlsx")
            .arg(format);
    return {};
}

// What the options together do not allow, or nothing.
QString conflictOf(const CommandLine& o)
{
    const int toStdout =
        (o.valid == QLatin1String("-")) + (o.invalid == QLatin1String("-")) + (o.json ? 1 : 0);
    if (toStdout > 1)
        return QStringLiteral("only one of --json, --valid - and --invalid - can use "
                              "standard output");
    if (o.form != Gtin::Form::AsGiven && !o.gtin)
        return QStringLiteral("--normalize needs --gtin");
    if (!o.valid.isEmpty() && o.valid != QLatin1String("-") && o.valid == o.invalid)
        return QStringLiteral("--valid and --invalid name the same file");
    return {};
}

// Takes --column or --separator; answers a usage error, or "".
QString columnOption(CommandLine& o, int option, const QString& value)
{
    if (option == Column) {
        if (value.trimmed().isEmpty())
            return QStringLiteral("option %1 requires a column").arg(longName(option));
        o.column = value;
        return {};
    }
    if (value.compare(QLatin1String("tab"), Qt::CaseInsensitive) == 0 ||
        value == QLatin1String("\\t"))
        o.separator = QLatin1Char('\t');
    else if (value.size() == 1 && value != QLatin1String("\""))
        o.separator = value.at(0);
    else
        return QStringLiteral("option %1 takes one character or 'tab'").arg(longName(option));
    return {};
}

// The options that only switch something on.
const std::pair<int, bool CommandLine::*> Switches[] = {
    {Json, &CommandLine::json},
    {SkipEmpty, &CommandLine::skipEmpty},
    {WindowLines, &CommandLine::windowLines},
    {GtinOption, &CommandLine::gtin},
    {Unique, &CommandLine::unique},
    {'q', &CommandLine::quiet},
};

QString takeFile(CommandLine& o, int option, const char* name)
{
    (option == Valid ? o.valid : o.invalid) = QString::fromLocal8Bit(name);
    if (*name == '\0')
        return QStringLiteral("option %1 requires a file name").arg(longName(option));
    return {};
}

QString takeForm(CommandLine& o, const char* form)
{
    if (std::strcmp(form, "gtin-14") == 0)
        o.form = Gtin::Form::Gtin14;
    else if (std::strcmp(form, "upc-a") == 0)
        o.form = Gtin::Form::UpcA;
    else
        return QStringLiteral("invalid argument '%1' for '--normalize'; "
                              "valid arguments are 'gtin-14' and 'upc-a'")
            .arg(QString::fromLocal8Bit(form));
    return {};
}

// Takes the option getopt answered `option` to, with its argument: answers
// the message of a usage error, or "", or nothing for no option of ours.
std::optional<QString> takeOption(CommandLine& o, int option, const char* argument)
{
    for (const auto& [value, on] : Switches) {
        if (value == option) {
            o.*on = true;
            return QString();
        }
    }
    switch (option) {
    case Valid:
    case Invalid:
        return takeFile(o, option, argument);
    case Plain:
        return takeFormat(o, QStringLiteral("plain"));
    case Format:
        return takeFormat(o, QString::fromLocal8Bit(argument));
    case Normalize:
        return takeForm(o, argument);
    case Column:
    case Separator:
        return columnOption(o, option, QString::fromLocal8Bit(argument));
    default:
        return std::nullopt;
    }
}

} // namespace

Parsed parse(const QStringList& arguments)
{
    std::vector<QByteArray> words{QByteArray(Program)};
    words.reserve(size_t(arguments.size()) + 1);
    for (const QString& a : arguments)
        words.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = int(words.size());

    Parsed parsed;
    CommandLine o;
    optind = 0; // glibc starts afresh: a process may run the checker more than once
    opterr = 0; // the messages go where the run's errors go
    int c = 0;
    while ((c = getopt_long(argc, argv.data(), ShortOptions, LongOptions, nullptr)) != -1) {
        if (c == 'h' || c == 'V') {
            parsed.shown = c == 'h' ? QByteArray(Usage)
                                    : QByteArray(Program) + " (Quorvane) " QUORVANE_VERSION "\n" +
                                          Maker::VersionNotice;
            return parsed;
        }
        const std::optional<QString> error = takeOption(o, c, optarg);
        parsed.usageError = error ? *error : errorOf(c, argv[size_t(optind - 1)]);
        if (!parsed.usageError.isEmpty())
            return parsed;
    }
    // getopt has moved the options before the files.
    for (int i = optind; i < argc; ++i)
        o.files.append(QString::fromLocal8Bit(argv[size_t(i)]));
    parsed.usageError = conflictOf(o);
    if (parsed.usageError.isEmpty())
        parsed.options = std::move(o);
    return parsed;
}

} // namespace Checker
