#pragma once

#include <QString>
#include <memory>

// The spreadsheet application as the export drives it, named as its automation
// interface names them. Every member throws Failure when the application
// cannot do what is asked. An object handed out stays usable while the object
// it came from is alive.
namespace Spreadsheet {

class Cell
{
public:
    virtual ~Cell() = default;
    // "@" is the text format.
    virtual void SetNumberFormat(const QString& format) = 0;
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
    // Rows and columns are counted from 1.
    virtual std::unique_ptr<Cell> cells(int row, int column) = 0;
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
    virtual void SetVisible(bool visible) = 0;
};

} // namespace Spreadsheet

// Starts the spreadsheet application, or joins it when it runs already.
class SpreadsheetServer
{
public:
    virtual ~SpreadsheetServer() = default;
    // Throws Failure with the platform's reason when it cannot start it.
    virtual std::unique_ptr<Spreadsheet::Application> createApplication() = 0;
    // Ends an application this server started that holds no document.
    virtual void endUnusedApplication() noexcept {}
};
