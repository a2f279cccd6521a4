#pragma once

namespace Checker {

// Ctrl+C (SIGINT), SIGTERM and SIGHUP end a run cleanly: the signal is noted,
// waits for a pipe are cut short, the run stops at the next line or write,
// its files are let go (the old ones kept, no temporary file left), and the
// program then ends by the same signal.
void catchInterruptions();

// The signal caught, or 0.
int interruption();

// Thrown where a run notices the signal.
struct Interrupted
{};

inline void stopIfInterrupted()
{
    if (interruption() != 0)
        throw Interrupted();
}

// Ends the process by the signal caught, if any.
void endByInterruption();

} // namespace Checker
