#pragma once

namespace Checker {

// Ctrl+C (SIGINT), SIGTERM and SIGHUP end a run cleanly: the signal is noted,
// waits for a pipe are cut short, the run stops at the next line or write,
// its files are let go (the old ones kept, no temporary file left), and the
// program then ends by the same signal. So does SIGPIPE, a reader of a pipe
// gone, unless it was ignored from the start (the write then fails).
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

// The run's files are complete and now take their places: throws Interrupted
// if a signal came before; from here on SIGINT, SIGTERM and SIGHUP no longer
// stop the run, which ends as a finished one.
void finishUninterrupted();

// Ends the process by the signal caught, if any.
void endByInterruption();

} // namespace Checker
