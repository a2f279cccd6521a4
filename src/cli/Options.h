#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Checker {

inline const char* const Program = "quorvane-check";

// What the command line asks for.
struct Options
{
    QString valid, invalid; // empty: not written; "-": standard output
    bool plain = false;
    bool json = false;
    bool skipEmpty = false;
    QStringList files; // empty: standard input

    // The inputs, standard input named "-".
    QStringList inputs() const { return files.isEmpty() ? QStringList{"-"} : files; }
};

// The outcome of reading the command line: the options, a text to show
// (help, version) and end with, or the message of a usage error.
struct Parsed
{
    std::optional<Options> options;
    QByteArray shown;
    QString usageError;
};

Parsed parse(const QStringList& arguments);

} // namespace Checker
