#pragma once

#include "core/text/TextFileReader.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Reading delimited text (CSV, TSV): records of fields, from lines read as
// TextFileReader reads them. A field in double quotes may hold the separator,
// line ends (each becomes a LF) and doubled quotes ("") for one quote. A quote
// inside an unquoted field, and text after a closing quote, stand as they
// are. An empty line outside quotes is no record. A quote still open at the
// end fails with "line N: a quoted field is not closed", N being the first
// line of its record.
namespace DelimitedText {

// Takes one record: its fields, and the number of its first line.
using RecordSink = std::function<void(const QStringList& fields, quint64 firstLine)>;

// The separator of a file by its name: TAB for ".tsv"; for any other file
// none, so that it is taken from the text.
QChar separatorForName(const QString& path);

// How the text is read.
struct Options
{
    // The separator; a null character: whichever of comma, semicolon (as
    // European spreadsheets write) and TAB stands most often outside quotes
    // in the first record; a comma when none does or when they tie.
    QChar separator;
    // A field longer than this many characters fails with "line N is longer
    // than M characters", N being the first line of its record; 0: no bound.
    qsizetype longestField = 0;
    // The fields of a record past this many are read but not kept, so a
    // record of a million cells costs no more than its reading; 0: all kept.
    qsizetype keptFields = 0;
    // As TextFileReader::Reading; betweenPieces is also called every 1024
    // fields of a record.
    qsizetype chunkBytes = TextFileReader::ChunkBytes;
    std::function<void()> betweenPieces;
};

// Reads a file's records. Throws Failure as TextFileReader::readItems does, and
// for the faults above.
void readRecords(const QString& path, const Options& options, const RecordSink& records);
// The same from any source.
void readRecords(const TextFileReader::ByteSource& source, const Options& options,
                 const RecordSink& records);

// Reads the first `count` records of a file and stops there.
std::vector<QStringList> firstRecords(const QString& path, const Options& options, int count);

} // namespace DelimitedText
