#include "features/TextExport.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/text/TextTable.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <array>
#include <memory>

namespace {

// No question before replacing: the dialog itself asks.
constexpr qint32 SaveDialogFlags = FileDialogFlags::ReadOnly | FileDialogFlags::AllowMultiSelect |
                                   FileDialogFlags::Explorer | FileDialogFlags::LongNames;

// The numbered step of each phase of the table's walk, in the order of
// TextTable::Phase (MeasureColumns to WriteRow): for column 1 (the item's
// text), and for a later column (its sub-item).
constexpr std::array<std::array<int, 2>, 23> PhaseLines = {
    {{102, 102}, {106, 106}, {108, 108}, {110, 110}, {112, 112}, {116, 120}, {118, 122}, {128, 128},
     {138, 138}, {140, 140}, {142, 142}, {144, 144}, {146, 146}, {150, 150}, {152, 152}, {154, 154},
     {158, 158}, {160, 160}, {162, 162}, {166, 172}, {168, 174}, {170, 176}, {180, 180}}};
static_assert(PhaseLines.size() == size_t(TextTable::Phase::WriteRow) + 1);

int lineOf(TextTable::At at)
{
    return PhaseLines[size_t(at.phase)][at.column == 1 ? 0 : 1];
}

void saveListAsTextFile(Host& host, const ListModel& list, const char* handler)
{
    Procedure p(host.prompts(), procedureTag("Form1", handler));
    CommonDialog& dialog = host.fileDialog();
    QString path;

    p.step(106, [&] { dialog.Flags = SaveDialogFlags; });
    p.step(108, [&] { dialog.DialogTitle = QStringLiteral("Save"); });
    p.step(110, [&] {
        dialog.Filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    });
    p.step(112, [&] { dialog.ShowSave(); });
    p.step(114, [&] { path = dialog.FileName; });
    if (p.endsIf(116, [&] { return path.isEmpty(); }))
        return;
    p.step(118, [&] { host.SetMousePointer(PointerMode::Hourglass); });
    p.step(120, [&] {
        PacedYield yield([&host] { host.DoEvents(); });
        Main::SaveListviewProperlySpacedWithoutProgressBar(list, path, host.prompts(), yield);
    });
    p.step(122, [&] { host.SetMousePointer(PointerMode::Default); });
}

} // namespace

void TextExport::saveValidList(Host& host)
{
    saveListAsTextFile(host, host.validList(), "PushButton4_Click");
}

void TextExport::saveInvalidList(Host& host)
{
    saveListAsTextFile(host, host.invalidList(), "PushButton8_Click");
}

namespace Main {

void SaveListviewProperlySpacedWithoutProgressBar(const ListModel& lv, const QString& path,
                                                  Prompts& prompts, PacedYield& doEvents,
                                                  const TextFileMaker& files)
{
    Procedure p(prompts, procedureTag("Main", "SaveListviewProperlySpacedWithoutProgressBar"));
    // A phase that fails is reported as its numbered step.
    const TextTable::FailureReport report = [&p](TextTable::At at) {
        p.step(lineOf(at), [] { throw; });
    };
    TextTable::ListSource source(lv);

    const TextTable::Widths widths =
        TextTable::measureWidths(source, TextTable::Layout::File, &doEvents, report);

    std::unique_ptr<TextFileMaker> fso;
    p.step(134, [&] { fso = std::make_unique<TextFileMaker>(files); });
    std::unique_ptr<TextStream> ts;
    p.step(136, [&] {
        if (!fso)
            throw Failure(QStringLiteral("Object variable or With block variable not set"));
        ts = fso->CreateTextFile(path, true);
    });
    // Without a file the one report of its failure ends the save.
    if (!ts)
        return;

    // A refused write (a full disk) ends the save; the target keeps what it held.
    TextTable::TableOutput out(TextTable::streamSink(*ts));
    if (!TextTable::writeLines(source, TextTable::Layout::File, widths, out, &doEvents, report))
        return;
    p.step(184, [&] {
        out.flush();
        ts->Close();
    });
    p.step(186, [&] { ts.reset(); });
    p.step(188, [&] { fso.reset(); });
}

} // namespace Main
