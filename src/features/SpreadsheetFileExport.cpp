#include "features/SpreadsheetFileExport.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/files/SpreadsheetFile.h"
#include "features/Main.h"
#include "features/ValidationRun.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Prompts.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <future>

namespace {

// The dialog's last file under the name of a spreadsheet file: its own
// extension (if any) becomes ".xlsx" unless it is a spreadsheet's already.
QString suggestedName(const QString& last)
{
    if (last.isEmpty() || last.contains(QChar(0)) || SpreadsheetFile::formatOf(last))
        return last;
    const QFileInfo file(last);
    const QString suffix = file.suffix();
    return suffix.isEmpty() ? last + QStringLiteral(".xlsx")
                            : last.left(last.size() - suffix.size()) + QStringLiteral("xlsx");
}

// Writes the file, the window running at the paced yields, holding other
// actions away. The finishing (a workbook's packing is one call of seconds for
// a million codes) runs on a thread of its own meanwhile.
void write(Host& host, const ListModel& list, const QString& path, SpreadsheetFile::Format format,
           SafeFile::Existing existing)
{
    PacedYield yield([&host] { host.DoEventsHoldingActions(); },
                     ValidationRun::YieldIntervalNanoseconds);
    SafeFile::Rules rules;
    rules.existing = existing;
    const QString header = list.ColumnCount() > 0 ? list.HeaderText(1) : QString();
    SpreadsheetFile file(format, SafeFile::open(path, rules), header);
    const ItemStore& items = list.items();
    QString row; // one buffer for every row: the list holds most codes in Latin-1
    for (qsizetype i = 0; i < items.count(); ++i) {
        yield();
        if (!items.checked(i))
            continue;
        row.clear();
        items.text(i).appendTo(row);
        file.addRow(row);
    }
    std::future<void> committed = std::async(std::launch::async, [&file] { file.commit(); });
    while (committed.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        yield.yieldNow(); // each wait is a millisecond already
    committed.get();
}

} // namespace

void SpreadsheetFileExport::saveList(Host& host, const ListModel& list)
{
    if (host.isBusy())
        return;
    CommonDialog& dialog = host.spreadsheetFileDialog(list);
    dialog.Flags =
        FileDialogFlags::OverwritePrompt | FileDialogFlags::Explorer | FileDialogFlags::LongNames;
    dialog.DialogTitle = QStringLiteral("Save As Spreadsheet File");
    dialog.Filter =
        QStringLiteral("Excel Workbook (*.xlsx)|*.xlsx|CSV, UTF-8, comma-separated (*.csv)|*.csv|");
    dialog.FileName = suggestedName(dialog.FileName);
    dialog.ShowSave();
    QString path = dialog.FileName;
    if (path.isEmpty())
        return;
    // The dialog asked before replacing only the file it was given.
    std::optional<SpreadsheetFile::Format> format = SpreadsheetFile::formatOf(path);
    SafeFile::Existing existing = SafeFile::Existing::ReplaceUnlessReadOnly;
    if (!format) {
        path += QStringLiteral(".xlsx");
        format = SpreadsheetFile::Format::Xlsx;
        existing = SafeFile::Existing::Keep;
    }
    QString failure;
    try {
        // The busy pointer while the file is written; the one before comes back.
        const auto restore =
            qScopeGuard([&host, before = host.MousePointer()] { host.SetMousePointer(before); });
        host.SetMousePointer(PointerMode::Hourglass);
        write(host, list, path, *format, existing);
        return;
    } catch (const Failure& f) {
        failure = f.description();
    } catch (const std::bad_alloc&) {
        failure = QLatin1String(FailureText::OutOfMemory);
    }
    host.prompts().messageBox(
        QStringLiteral("The spreadsheet file %1 could not be saved: %2").arg(path, failure),
        Main::ApplicationTitle());
}
