#pragma once

#include "cli/Interruption.h"

#include <QString>
#include <QStringList>

// quorvane-check: checks the codes of text files (or of standard input) from
// the command line, with the window's check, reading and list files.
namespace Checker {

// Exit statuses.
inline constexpr int AllValid = 0;
inline constexpr int SomeInvalid = 1;
inline constexpr int Trouble = 2; // a usage or file error

// Runs the checker with its arguments (without the program's name) on the
// given descriptors for standard input, output and error; answers the exit
// status. Nothing is printed on standard output but what the options ask.
// The files it writes take their targets' places only when the run has
// succeeded (status 0 or 1).
int run(const QStringList& arguments, int in, int out, int err);

} // namespace Checker
