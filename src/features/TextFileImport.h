#pragma once

#include "core/text/TextFileReader.h"
#include "features/ValidationRun.h"

#include <QString>
#include <QStringList>
#include <functional>

class Host;

namespace TextFileImport {

// The longest line the import takes, 16 Mi characters; a longer one ends the
// reading of its file with one error report.
inline constexpr qsizetype LongestLine = qsizetype(16) * 1024 * 1024;

// Tests take a small bound, or an interval of 0 to let the window run
// between every two pieces read.
struct Limits
{
    qsizetype longestLine = LongestLine;
    qint64 yieldIntervalNanoseconds = ValidationRun::YieldIntervalNanoseconds;
};

// How an import reads its files: in pieces, and between two pieces `first`
// (if any), then the window's paced turn (Host::DoEventsHoldingActions).
TextFileReader::Reading importReading(Host& host, const Limits& limits,
                                      std::function<void()> first = {});

// "Load UPCs From Text File" (PushButton3): every line of each file chosen
// appended to the code list. Between two pieces the window handles its events
// under the busy pointer, holding every action but the copies away.
void loadCodesFromTextFiles(Host& host, const Limits& limits = {});

// Files dropped on the code list, loaded as chosen ones are; nothing while busy.
void loadDroppedFiles(Host& host, const QStringList& paths, const Limits& limits = {});

} // namespace TextFileImport
