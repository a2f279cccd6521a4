#pragma once

#include "core/files/SafeFile.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

// A table of one column written as a spreadsheet file: a header, then one
// text a row, every cell a text (never a number, a date or a formula).
//
// An Excel workbook (.xlsx) holds string cells formatted as text ("@"), so
// that leading zeros stay; the column is as wide as its sheet's longest text.
// Rows past a sheet's 1,048,576 go on to the next sheet ("Sheet2", ...), each
// beginning with the header again. The workbook is made in a private
// temporary folder in constant memory, then copied through the SafeFile.
//
// A CSV file (.csv) is RFC 4180 text in UTF-8 with a byte-order mark (without
// it Excel reads the system's ANSI code page). Every record ends with CR LF; a
// field holding a comma, a semicolon (Excel's separator in many locales), a
// double quote, CR or LF is quoted, its quotes doubled. A field beginning with
// =, +, -, @, TAB or CR gets an apostrophe in front, the spreadsheets' own
// mark of a text, so that it is not taken for a formula.
class SpreadsheetFile
{
public:
    enum class Format
    {
        Xlsx,
        Csv,
    };

    // The most rows of one sheet, the header's among them, and the most
    // characters of one cell (a longer text fails the file), as Excel has them.
    static constexpr qsizetype SheetRows = 1048576;
    static constexpr qsizetype CellCharacters = 32767;

    // The format a file name's extension (.xlsx or .csv, in any letter case)
    // names; none for any other name.
    static std::optional<Format> formatOf(const QString& path);

    // Starts the table in `file`; the target keeps what it held until commit.
    // Throws Failure.
    SpreadsheetFile(Format format, std::unique_ptr<SafeFile> file, const QString& header);
    ~SpreadsheetFile();

    // Adds a row. Throws Failure; the file is then broken and every later
    // call fails alike.
    void addRow(QStringView text);
    // Writes what is still held, so that commit only puts the file in place
    // (a workbook's temporary folder goes at once). Throws as addRow does.
    void finish();
    // Writes what is still held and puts the file in the target's place.
    // Throws Failure; the target then keeps what it held.
    void commit();

    class Writer;

private:
    template <typename Step> void step(Step action);

    std::unique_ptr<Writer> m_writer;
    QString m_failure;
};
