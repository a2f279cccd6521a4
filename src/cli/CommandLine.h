#pragma once

#include "core/files/SpreadsheetFile.h"
#include "core/upc/Gtin.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Checker {

inline const char* const Program = "quorvane-check";

// What the command line asks for.
struct CommandLine
{
    QString valid, invalid; // empty: not written; "-": standard output
    bool plain = false;
    // --format=csv or xlsx: the lists as spreadsheet files instead.
    std::optional<SpreadsheetFile::Format> spreadsheet;
    bool json = false;
    bool skipEmpty = false;
    bool quiet = false;                    // no summary on standard error
    bool windowLines = false;              // a final LF adds one empty code, as in the window
    bool gtin = false;                     // any GTIN is valid, not only UPC-A
    bool unique = false;                   // a code met before is left out
    Gtin::Form form = Gtin::Form::AsGiven; // of the valid list (--gtin)
    QStringList files;                     // empty: standard input
    // --column: the inputs are delimited text, and this column's cells the
    // codes (see ColumnInput.h); --separator: theirs, else sniffed.
    std::optional<QString> column;
    QChar separator;

    // The inputs, standard input named "-".
    QStringList inputs() const { return files.isEmpty() ? QStringList{"-"} : files; }
};

// The outcome of reading the command line: the options, a text to show
// (help, version) and end with, or the message of a usage error.
struct Parsed
{
    std::optional<CommandLine> options;
    QByteArray shown;
    QString usageError;
};

// Reads the arguments (without the program's name) with getopt_long, as GNU
// tools do: options and files in any order, bundled short options, long
// options shortened to any unambiguous prefix, --name=value or --name value,
// "--" ends the options and "-" is standard input. The first -h or -V shows
// its text; usage errors are worded as getopt's own. getopt keeps global
// state: one parse at a time.
Parsed parse(const QStringList& arguments);

} // namespace Checker
