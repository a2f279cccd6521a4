#pragma once

#include <QString>
#include <memory>

// The spreadsheet application as the export drives it: only the members the
// export uses, named as the application's automation interface names them.
// Every member throws Failure when the application cannot do what is asked.
// Each object is let go by destroying it; an object handed out stays usable
// while the object it came from is alive.
namespace Spreadsheet {

class Cell
{
public:
    virtual ~Cell() = default;
    // `numberformat`: the cell's number format code ("@" is the text format).
    virtual void SetNumberFormat(const QString& format) = 0;
    // `Value`, set to a text.
    virtual void SetValue(const QString& text) = 0;
    // The cell's default property, set to a text (as `cells(r, c) = text`).
    virtual void SetDefault(const QString& text) = 0;
};

class Columns
{
public:
    virtual ~Columns() = default;
    virtual void Autofit() = 0;
};

class Sheet
{
public:
    virtual ~Sheet() = default;
    // The cell at row `row`, column `column`, both counted from 1.
    virtual std::unique_ptr<Cell> cells(int row, int column) = 0;
    // Column `column`, counted from 1.
    virtual std::unique_ptr<Spreadsheet::Columns> Columns(int column) = 0;
    virtual std::unique_ptr<Spreadsheet::Columns> Columns() = 0; // all columns
};

class Workbook
{
public:
    virtual ~Workbook() = default;
    // The sheet the user sees; a new workbook's is empty.
    virtual std::unique_ptr<Sheet> ActiveSheet() = 0;
};

class Workbooks
{
public:
    virtual ~Workbooks() = default;
    // A new, empty, untitled workbook.
    virtual std::unique_ptr<Workbook> Add() = 0;
};

class Application
{
public:
    virtual ~Application() = default;
    virtual std::unique_ptr<Spreadsheet::Workbooks> Workbooks() = 0;
    // Shows the application with the workbooks made through it.
    virtual void SetVisible(bool visible) = 0;
};

} // namespace Spreadsheet

// Starts the spreadsheet application, or joins it when it runs already.
class SpreadsheetServer
{
public:
    virtual ~SpreadsheetServer() = default;
    // Throws Failure, with the reason as the platform words it, when the
    // application cannot be started.
    virtual std::unique_ptr<Spreadsheet::Application> createApplication() = 0;
    // An action that created applications ends: an application this server
    // started, and that holds no document, is ended with its process.
    virtual void endUnusedApplication() noexcept {}
};
