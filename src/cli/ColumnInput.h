#pragma once

#include "cli/CommandLine.h"
#include "core/text/TextFileReader.h"

#include <QString>

namespace Checker {

// Reads the input on descriptor `fd` as delimited text (see DelimitedText)
// and hands on the cells of the column `options.column` names: a number from
// 1, letters (A, B, ... AA), or the text of a cell of the first record. The
// separator is `options.separator`, else TAB for a file named "*.tsv", else
// the one the first record shows (comma, semicolon or TAB). The first record
// is a header, and left out, when the column was named by its text, or when
// its cell there does not look like a code while most of those in the next
// records do. Empty cells, and records without the column, give no code.
// Throws Failure for a name that is no column, a quote that is not closed
// or a field too long (naming the first line of its record); Interrupted when
// a signal came.
void readColumn(int fd, const QString& name, const CommandLine& options,
                const TextFileReader::BatchSink& cells);

} // namespace Checker
