#pragma once

#include <QString>
#include <functional>

class Host;

namespace ValidationRun {

// The window processes its pending events at most once a millisecond.
inline constexpr qint64 YieldIntervalNanoseconds = 1'000'000;

// "Start Validating" (PushButton17): every code of the code list filed into the
// valid or the invalid list. `clock`: a steady time in nanoseconds (default
// the system's); with an interval of 0 the window runs between any two codes.
void startValidating(Host& host, qint64 yieldIntervalNanoseconds = YieldIntervalNanoseconds,
                     std::function<qint64()> clock = {});

} // namespace ValidationRun
