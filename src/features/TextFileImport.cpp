#include "features/TextFileImport.h"

#include "core/base/PacedYield.h"
#include "core/files/FilePath.h"
#include "core/text/TextFileReader.h"
#include "features/Main.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Procedure.h"

#include <QStringList>

namespace {

// Explorer-style dialog, several files at once, long names, read-only box ticked.
constexpr qint32 OpenFlags = FileDialogFlags::Explorer | FileDialogFlags::AllowMultiSelect |
                             FileDialogFlags::LongNames | FileDialogFlags::ReadOnly;

const QString OpenTitle = QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
const QString OpenFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

// The size of the pieces a file is read in. The paced yield looks at the clock
// at every 16th piece only, so the window waits at most for 16 pieces (about
// 5 ms); smaller pieces read no slower.
constexpr qsizetype PieceBytes = qsizetype(256) * 1024;

} // namespace

TextFileReader::Reading TextFileImport::importReading(Host& host, const Limits& limits,
                                                      std::function<void()> first)
{
    TextFileReader::Reading reading;
    reading.chunkBytes = PieceBytes;
    reading.longestLine = limits.longestLine;
    // One paced yield for every file of the import, holding other actions away.
    reading.betweenPieces = [first = std::move(first),
                             yield = PacedYield([&host] { host.DoEventsHoldingActions(); },
                                                limits.yieldIntervalNanoseconds)]() mutable {
        if (first)
            first();
        yield();
    };
    return reading;
}

namespace Main {

void LoadListviewFromTextFile(Prompts& prompts, ListModel& list, const QString& path,
                              const TextFileReader::Reading& reading)
{
    if (!FileExists(path)) {
        prompts.messageBox(QStringLiteral("File not found"), ApplicationTitle());
        return;
    }
    // ASCII lines go into the list as the bytes they are, without widening.
    TextFileReader::readItems(
        path, [&list](const std::vector<QLatin1StringView>& items) { list.appendMany(items); },
        [&list](const std::vector<QStringView>& items) { list.appendMany(items); }, reading);
}

} // namespace Main

void TextFileImport::loadCodesFromTextFiles(Host& host, const Limits& limits)
{
    Procedure p(host.prompts(), procedureTag("Form1", "PushButton3_Click"));
    CommonDialog& dialog = host.fileDialog();
    const TextFileReader::Reading reading = importReading(host, limits);
    const auto load = [&](const QString& path) {
        Main::LoadListviewFromTextFile(host.prompts(), host.codeList(), path, reading);
    };

    p.step(100, [&] { dialog.FileName.clear(); });
    p.step(102, [&] { dialog.Flags = OpenFlags; });
    p.step(104, [&] { dialog.DialogTitle = OpenTitle; });
    p.step(106, [&] { dialog.Filter = OpenFilter; });
    p.step(108, [&] { dialog.ShowOpen(); });
    if (p.endsIf(110, [&] { return dialog.FileName.isEmpty(); }))
        return;
    QStringList parts;
    p.step(112, [&] { parts = dialog.FileName.split(QChar(0)); });
    p.step(114, [&] { host.SetMousePointer(PointerMode::Hourglass); });
    if (p.when(116, [&] { return parts.size() == 1; })) {
        QString path;
        p.step(118, [&] { path = parts.at(0); });
        p.step(120, [&] { load(path); });
    } else if (p.when(122, [&] { return parts.size() >= 2; })) {
        QString folder;
        p.step(124, [&] { folder = parts.at(0); });
        qsizetype last = 0;
        p.step(126, [&] { last = parts.size() - 1; });
        for (qsizetype i = 1, n = p.count(128, [&] { return last; }); i <= n; ++i) {
            QString path;
            p.step(130, [&] { path = folder + QChar(FilePath::Separator) + parts.at(i); });
            p.step(132, [&] { path = Main::FixDoubleBackslashes(path); });
            p.step(134, [&] { load(path); });
        } // 136
    }
    p.step(138, [&] { host.SetMousePointer(PointerMode::Default); });
}

void TextFileImport::loadDroppedFiles(Host& host, const QStringList& paths, const Limits& limits)
{
    if (host.isBusy() || paths.isEmpty())
        return;
    Procedure p(host.prompts(), procedureTag("Form1", "ListView1_OLEDragDrop"));
    const TextFileReader::Reading reading = importReading(host, limits);
    p.step(100, [&] { host.SetMousePointer(PointerMode::Hourglass); });
    for (qsizetype i = 0, n = p.count(102, [&] { return paths.size(); }); i < n; ++i)
        p.step(104, [&] {
            Main::LoadListviewFromTextFile(host.prompts(), host.codeList(), paths.at(i), reading);
        });
    p.step(106, [&] { host.SetMousePointer(PointerMode::Default); });
}
