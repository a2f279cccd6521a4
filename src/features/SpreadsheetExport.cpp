#include "features/SpreadsheetExport.h"

#include "core/base/Failure.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Procedure.h"
#include "features/host/Spreadsheet.h"

#include <QScopeGuard>

namespace {

const QString TextFormat = QStringLiteral("@");

SpreadsheetServer& spreadsheetServer(const Host& host)
{
    if (!host.services().spreadsheet)
        throw Failure(QStringLiteral("No spreadsheet application is available"));
    return *host.services().spreadsheet;
}

// However an export ends, an application started for it that holds no
// document does not run on hidden.
void endUnusedApplication(const Host& host)
{
    if (SpreadsheetServer* server = host.services().spreadsheet)
        server->endUnusedApplication();
}

// The export of one list, the sheet and list read afresh at every step (the
// window may run). With `eachCell` (the valid list) every cell of a data row
// gets the text format right before its value, else the first cell, first.
void exportList(Host& host, const ListModel* list, const char* handler, bool eachCell)
{
    const auto endUnused = qScopeGuard([&host] { endUnusedApplication(host); });
    Procedure p(host.prompts(), procedureTag("Form1", handler));

    if (p.endsIf(100, [&] {
            return !SpreadsheetExport::SaveResultsAsExcelFileIsExcelInstalled(host);
        })) {
        p.step(176, [&] {
            host.prompts().messageBox(
                QStringLiteral("Excel is not installed on this computer. You need to have it "
                               "installed to use this feature."),
                Main::ApplicationTitle());
        });
        return;
    }
    if (p.endsIf(108, [&] { return list->ItemCount() == 0; }))
        return;
    p.step(110, [&] { host.SetMousePointer(PointerMode::Hourglass); });

    // Without the application or a workbook the one report ends the export.
    std::unique_ptr<Spreadsheet::Application> application;
    std::unique_ptr<Spreadsheet::Workbook> workbook;
    p.step(112, [&] { application = spreadsheetServer(host).createApplication(); });
    if (application)
        p.step(114, [&] { workbook = application->Workbooks()->Add(); });
    if (!workbook) {
        p.step(174, [&] { host.SetMousePointer(PointerMode::Default); });
        return;
    }
    auto cell = [&](int row, int column) { return workbook->ActiveSheet()->cells(row, column); };

    int i = 1;
    for (int c = 1, n = p.count(118, [&] { return list->ColumnCount(); }); c <= n; ++c) {
        p.step(120, [&] { host.DoEvents(); });
        p.step(122, [&] { cell(1, i)->SetNumberFormat(TextFormat); });
        p.step(c == 1 ? 126 : 130, [&] { cell(1, i)->SetDefault(list->HeaderText(c)); });
        ++i;
        p.step(134, [&] { workbook->ActiveSheet()->Columns(c)->Autofit(); });
    }

    // One row per item; an unchecked item leaves its row empty.
    int j = 2;
    for (qsizetype r = 1, n = p.count(140, [&] { return list->ItemCount(); }); r <= n; ++r) {
        p.step(142, [&] { host.DoEvents(); });
        if (p.when(144, [&] { return list->Checked(r); })) {
            i = 1;
            if (!eachCell)
                p.step(148, [&] { cell(j, 1)->SetNumberFormat(TextFormat); });
            const int columnsLine = eachCell ? 148 : 150;
            for (int c = 1, m = p.count(columnsLine, [&] { return list->ColumnCount(); }); c <= m;
                 ++c) {
                p.step(eachCell ? 150 : 152, [&] { host.DoEvents(); });
                if (eachCell)
                    p.step(152, [&] { cell(j, i)->SetNumberFormat(TextFormat); });
                if (c == 1)
                    p.step(156, [&] { cell(j, i)->SetValue(list->ItemText(r)); });
                else
                    p.step(160, [&] {
                        cell(j, i)->SetValue(list->SubItem(r, c).remove(QLatin1Char('=')));
                    });
                ++i;
            }
        }
        ++j;
    }

    p.step(170, [&] { workbook->ActiveSheet()->Columns()->Autofit(); });
    p.step(172, [&] { application->SetVisible(true); });
    // Both are let go here, open for the user; an unused application ends after.
    p.step(174, [&] { host.SetMousePointer(PointerMode::Default); });
}

} // namespace

bool SpreadsheetExport::SaveResultsAsExcelFileIsExcelInstalled(Host& host)
{
    try {
        spreadsheetServer(host).createApplication(); // started and let go at once
        return true;
    } catch (...) {
    }
    host.prompts().messageBox(QStringLiteral("Excel is not installed on this computer. You "
                                             "need to have it installed to use this software "
                                             "without error."),
                              Main::ApplicationTitle());
    return false;
}

void SpreadsheetExport::exportValidList(Host& host)
{
    exportList(host, &host.validList(), "PushButton13_Click", true);
}

void SpreadsheetExport::exportInvalidList(Host& host)
{
    exportList(host, &host.invalidList(), "PushButton7_Click", false);
}
