// The spreadsheet application on LibreOffice Calc, through UNO. A workbook is
// a new Calc document, untitled and unsaved, in the user's office.

#include "plugins/calc/CalcOffice.h"

#include <QHash>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <memory>
#include <vector>

using namespace com::sun::star;
using com::sun::star::uno::Any;
using com::sun::star::uno::Reference;
using com::sun::star::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace Calc {
namespace {

// A document made by Workbooks.Add, shared by the workbook and everything
// reached through it.
struct Document
{
    Reference<frame::XModel> model;
    QHash<QString, sal_Int32> formatKeys;

    // The document's key of a format code, added to the document when it has
    // none yet.
    sal_Int32 formatKey(const QString& code)
    {
        if (const auto known = formatKeys.constFind(code); known != formatKeys.cend())
            return *known;
        const Reference<util::XNumberFormats> formats =
            Reference<util::XNumberFormatsSupplier>(model, UNO_QUERY_THROW)->getNumberFormats();
        const OUString text = toOUString(code);
        sal_Int32 key = formats->queryKey(text, lang::Locale(), false);
        if (key < 0)
            key = formats->addNew(text, lang::Locale());
        formatKeys.insert(code, key);
        return key;
    }
};

// The documents one application has made, shown by its Visible.
using Made = std::vector<Reference<frame::XModel>>;

class CalcCell : public Spreadsheet::Cell
{
public:
    CalcCell(std::shared_ptr<Document> document, Reference<table::XCell> cell)
        : m_document(document), m_cell(cell)
    {}

    void SetNumberFormat(const QString& format) override
    {
        calling([&] {
            Reference<beans::XPropertySet>(m_cell, UNO_QUERY_THROW)
                ->setPropertyValue("NumberFormat", Any(m_document->formatKey(format)));
        });
    }

    // The text goes in as it stands: a formula would drop leading zeros even
    // in a text-formatted cell.
    void SetValue(const QString& text) override
    {
        calling(
            [&] { Reference<text::XText>(m_cell, UNO_QUERY_THROW)->setString(toOUString(text)); });
    }

    void SetDefault(const QString& text) override { SetValue(text); }

private:
    std::shared_ptr<Document> m_document;
    Reference<table::XCell> m_cell;
};

class CalcColumns : public Spreadsheet::Columns
{
public:
    explicit CalcColumns(const Any& columns) : m_columns(columns, UNO_QUERY_THROW) {}

    void Autofit() override
    {
        calling([&] { m_columns->setPropertyValue("OptimalWidth", Any(true)); });
    }

private:
    Reference<beans::XPropertySet> m_columns;
};

class CalcSheet : public Spreadsheet::Sheet
{
public:
    CalcSheet(std::shared_ptr<Document> document, Reference<sheet::XSpreadsheet> sheet)
        : m_document(document), m_sheet(sheet)
    {}

    std::unique_ptr<Spreadsheet::Cell> cells(int row, int column) override
    {
        return calling([&] {
            return std::make_unique<CalcCell>(m_document,
                                              m_sheet->getCellByPosition(column - 1, row - 1));
        });
    }

    std::unique_ptr<Spreadsheet::Columns> Columns(int column) override
    {
        return calling(
            [&] { return std::make_unique<CalcColumns>(all()->getByIndex(column - 1)); });
    }

    std::unique_ptr<Spreadsheet::Columns> Columns() override
    {
        return calling([&] { return std::make_unique<CalcColumns>(Any(all())); });
    }

private:
    Reference<table::XTableColumns> all() const
    {
        return Reference<table::XColumnRowRange>(m_sheet, UNO_QUERY_THROW)->getColumns();
    }

    std::shared_ptr<Document> m_document;
    Reference<sheet::XSpreadsheet> m_sheet;
};

class CalcWorkbook : public Spreadsheet::Workbook
{
public:
    explicit CalcWorkbook(std::shared_ptr<Document> document) : m_document(std::move(document)) {}

    std::unique_ptr<Spreadsheet::Sheet> ActiveSheet() override
    {
        return calling([&] {
            const Reference<sheet::XSpreadsheetView> view(m_document->model->getCurrentController(),
                                                          UNO_QUERY_THROW);
            return std::make_unique<CalcSheet>(m_document, view->getActiveSheet());
        });
    }

private:
    std::shared_ptr<Document> m_document;
};

class CalcWorkbooks : public Spreadsheet::Workbooks
{
public:
    CalcWorkbooks(Reference<frame::XDesktop2> desktop, std::shared_ptr<Made> made)
        : m_desktop(desktop), m_made(made)
    {}

    std::unique_ptr<Spreadsheet::Workbook> Add() override
    {
        return calling([&] {
            auto document = std::make_shared<Document>();
            document->model.set(
                m_desktop->loadComponentFromURL("private:factory/scalc", "_blank", 0, {}),
                UNO_QUERY_THROW);
            m_made->push_back(document->model);
            return std::make_unique<CalcWorkbook>(std::move(document));
        });
    }

private:
    Reference<frame::XDesktop2> m_desktop;
    std::shared_ptr<Made> m_made;
};

class CalcApplication : public Spreadsheet::Application
{
public:
    explicit CalcApplication(const Reference<uno::XComponentContext>& office)
        : m_desktop(calling([&] { return frame::Desktop::create(office); }))
    {}

    std::unique_ptr<Spreadsheet::Workbooks> Workbooks() override
    {
        return std::make_unique<CalcWorkbooks>(m_desktop, m_made);
    }

    // Shows the windows of the documents made through this application.
    void SetVisible(bool visible) override
    {
        calling([&] {
            for (const Reference<frame::XModel>& document : *m_made) {
                const Reference<frame::XController> controller(document->getCurrentController(),
                                                               UNO_QUERY_THROW);
                const Reference<awt::XWindow> window(controller->getFrame()->getContainerWindow(),
                                                     UNO_QUERY_THROW);
                window->setVisible(visible);
                if (const Reference<awt::XTopWindow> top(window, uno::UNO_QUERY);
                    visible && top.is())
                    top->toFront();
            }
        });
    }

private:
    Reference<frame::XDesktop2> m_desktop;
    std::shared_ptr<Made> m_made = std::make_shared<Made>();
};

class CalcServer : public SpreadsheetServer
{
public:
    explicit CalcServer(CalcConnection connection) : m_connection(std::move(connection)) {}

    std::unique_ptr<Spreadsheet::Application> createApplication() override
    {
        return std::make_unique<CalcApplication>(connectToOffice(m_connection, m_started));
    }

    void endUnusedApplication() noexcept override { endUnusedOffice(m_connection, m_started); }

private:
    CalcConnection m_connection;
    // The office this server started, while nothing of the user's is in it.
    std::unique_ptr<Launch> m_started;
};

} // namespace
} // namespace Calc

extern "C" Q_DECL_EXPORT int quorvaneCalcPluginVersion()
{
    return CalcPlugin::Version;
}

extern "C" Q_DECL_EXPORT SpreadsheetServer*
quorvaneCalcCreateServer(const CalcConnection& connection)
{
    return new Calc::CalcServer(connection);
}
