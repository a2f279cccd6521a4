#pragma once

#include <QString>
#include <functional>

class Host;

namespace ValidationRun {

// How often the run lets the window process its pending events: at most once
// a millisecond, so the window answers at once and the run spends next to
// nothing on it.
inline constexpr qint64 YieldIntervalNanoseconds = 1'000'000;

// "Start Validating" (PushButton17): files every code of the code list into the
// valid or the invalid list, in list order. `clock` answers a steady time in
// nanoseconds (the system's steady clock by default); with an interval of 0
// the window runs between every two codes.
void startValidating(Host& host, qint64 yieldIntervalNanoseconds = YieldIntervalNanoseconds,
                     std::function<qint64()> clock = {});

} // namespace ValidationRun
