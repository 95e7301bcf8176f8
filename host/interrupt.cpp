#include "host/interrupt.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t requested = 0;

void onSignal(int signal)
{
    if (requested) {
        // The user insists: the default action ends the process now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    requested = 1;
}
}  // namespace

void watchForInterrupt()
{
    requested = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() { return requested != 0; }
