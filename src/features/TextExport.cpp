#include "features/TextExport.h"

#include "core/base/Failure.h"
#include "core/base/PacedYield.h"
#include "core/text/TextTable.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <memory>
#include <vector>

namespace {

// The save dialog's flags: read-only box, several files, explorer style, long
// names (no question before replacing: the dialog itself asks).
constexpr qint32 SaveDialogFlags = 2621953;
static_assert(SaveDialogFlags == (FileDialogFlags::ReadOnly | FileDialogFlags::AllowMultiSelect |
                                  FileDialogFlags::Explorer | FileDialogFlags::LongNames));

// The width of column c; a column the width pass did not see (one added
// during the save) fails.
template <typename Widths> auto& widthOf(Widths& widths, int c)
{
    if (c < 1 || size_t(c) > widths.size())
        throw Failure(QStringLiteral("Subscript out of range"));
    return widths[size_t(c - 1)];
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
        Main::SaveListviewProperlySpacedWithoutProgressBar(list, path, host.prompts(),
                                                           std::ref(yield));
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
                                                  Prompts& prompts,
                                                  const std::function<void()>& doEvents,
                                                  const TextFileMaker& files)
{
    Procedure p(prompts, procedureTag("Main", "SaveListviewProperlySpacedWithoutProgressBar"));
    std::vector<qsizetype> widths;
    // Whether item i has gone from the list (cleared or shortened while the
    // window processed its events). Reading it failed and was reported once;
    // the walk of the items ends there rather than reporting each item after
    // it.
    auto vanished = [&lv](qsizetype i) { return i > lv.ItemCount(); };

    // The widths: each column's longest text among its header and the cells
    // of every item, checked or not.
    p.step(100, [&] { widths.clear(); });
    for (int c = 1, columns = p.count(102, [&] { return lv.ColumnCount(); }); c <= columns; ++c) {
        qsizetype w = 0;
        p.step(104, [&] { w = 0; });
        if (p.when(106, [&] { return w < lv.HeaderText(c).size(); }))
            p.step(108, [&] { w = lv.HeaderText(c).size(); });
        const qsizetype items = p.value(110, qsizetype(0), [&] { return lv.ItemCount(); });
        for (qsizetype i = 1; i <= items; ++i) {
            p.step(112, doEvents);
            if (p.when(114, [&] { return c == 1; })) {
                if (p.when(116, [&] { return w < lv.ItemView(i).size(); })) {
                    if (vanished(i))
                        break;
                    p.step(118, [&] { w = lv.ItemView(i).size(); });
                }
            } else {
                if (p.when(120, [&] { return w < lv.SubItem(i, c).size(); })) {
                    if (vanished(i))
                        break;
                    p.step(122, [&] { w = lv.SubItem(i, c).size(); });
                }
            }
        }
        p.step(126, [&] { widths.resize(size_t(c)); });
        p.step(128, [&] { widthOf(widths, c) = w; });
    }

    // The writing.
    QString line;
    p.step(132, [&] { line.truncate(0); });
    std::unique_ptr<TextFileMaker> fso;
    p.step(134, [&] { fso = std::make_unique<TextFileMaker>(files); });
    std::unique_ptr<TextStream> ts;
    p.step(136, [&] {
        if (!fso)
            throw Failure(QStringLiteral("Object variable or With block variable not set"));
        ts = fso->CreateTextFile(path, true);
    });
    // Without a file there is nothing to write to: the one report of the
    // failure ends the save.
    if (!ts)
        return;

    for (int c = 1, columns = p.count(138, [&] { return lv.ColumnCount(); }); c <= columns; ++c) {
        p.step(140, doEvents);
        if (p.when(142, [&] { return TextTable::fits(widthOf(widths, c), lv.HeaderText(c)); }))
            p.step(144, [&] {
                TextTable::appendPaddedCell(line, lv.HeaderText(c), widthOf(widths, c));
            });
        else
            p.step(146, [&] { TextTable::appendUnpaddedCell(line, lv.HeaderText(c)); });
    }
    p.step(150, [&] { ts->WriteLine(line); });
    // A write the file refused (a full disk) leaves nothing worth going on
    // for; the target keeps what it held.
    if (ts->Broken())
        return;

    const qsizetype items = p.value(152, qsizetype(0), [&] { return lv.ItemCount(); });
    for (qsizetype i = 1; i <= items; ++i) {
        p.step(154, doEvents);
        p.step(156, [&] { line.truncate(0); });
        if (!p.when(158, [&] { return lv.Checked(i); }))
            continue;
        if (vanished(i))
            break;
        bool gone = false;
        for (int c = 1, columns = p.count(160, [&] { return lv.ColumnCount(); });
             c <= columns && !gone; ++c) {
            p.step(162, doEvents);
            if (p.when(164, [&] { return c == 1; })) {
                if (p.when(166,
                           [&] { return TextTable::fits(widthOf(widths, c), lv.ItemView(i)); })) {
                    if (!(gone = vanished(i)))
                        p.step(168, [&] {
                            TextTable::appendPaddedCell(line, lv.ItemView(i), widthOf(widths, c));
                        });
                } else
                    p.step(170, [&] { TextTable::appendUnpaddedCell(line, lv.ItemView(i)); });
            } else {
                if (p.when(172,
                           [&] { return TextTable::fits(widthOf(widths, c), lv.SubItem(i, c)); })) {
                    if (!(gone = vanished(i)))
                        p.step(174, [&] {
                            TextTable::appendPaddedCell(line, lv.SubItem(i, c), widthOf(widths, c));
                        });
                } else
                    p.step(176, [&] { TextTable::appendUnpaddedCell(line, lv.SubItem(i, c)); });
            }
        }
        // An item that went while its cells were read leaves no line.
        if (gone)
            break;
        p.step(180, [&] { ts->WriteLine(line); });
        if (ts->Broken())
            return;
    }
    p.step(184, [&] { ts->Close(); });
    p.step(186, [&] { ts.reset(); });
    p.step(188, [&] { fso.reset(); });
}

} // namespace Main
