#pragma once

#include "core/text/TextFileReader.h"

#include <QString>

namespace Checker {

// The longest line read, in characters: a longer one ends the run.
inline constexpr qsizetype LongestLine = qsizetype(1024) * 1024;

// The size of the pieces read at a time.
inline constexpr qsizetype InputChunkBytes = qsizetype(64) * 1024;

// The bytes of the input on descriptor `fd`: a regular file can go back to
// where it stood, anything else is read once. An input whose first bytes
// show it is no text (a workbook, NUL bytes without a UTF-16 mark) fails
// with Failure saying what it is before any of it is handed on.
TextFileReader::ByteSource inputSource(int fd);

// Reads the input on descriptor `fd` through the line reader, a regular file
// as the window reads it, anything else (a pipe, a device) once as it
// streams; in memory bounded by the longest line. Throws Failure on a read
// error or a line too long; Interrupted when a signal came. Answers whether
// the input ended in a LF alone (see TextFileReader::readItems).
bool readInput(int fd, const TextFileReader::AsciiBatchSink& ascii,
               const TextFileReader::BatchSink& text);

// Opens the named input for reading (waiting for a pipe's writer). Throws
// Failure: a folder is refused with "Is a directory".
int openInput(const QString& path);

} // namespace Checker
