#include "cli/Interruption.h"

#include <csignal>
#include <initializer_list>

namespace Checker {

namespace {

volatile std::sig_atomic_t caught = 0;
volatile std::sig_atomic_t finishing = 0;

void note(int signal)
{
    if (finishing == 0 || signal == SIGPIPE)
        caught = signal;
}

} // namespace

void catchInterruptions()
{
    struct sigaction action = {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a wait ends with EINTR
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        // A signal ignored from the start (a job in the background) stays so.
        struct sigaction before = {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

void finishUninterrupted()
{
    finishing = 1;
    stopIfInterrupted();
}

int interruption()
{
    return caught;
}

void endByInterruption()
{
    const int signal = caught;
    if (signal == 0)
        return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace Checker
