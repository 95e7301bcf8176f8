// The first SIGINT or SIGTERM only asks the run to stop; a second one ends
// the process at once, as the signal would on its own.

#include <gtest/gtest.h>

#include <csignal>

#include "host/interrupt.h"

TEST(Interrupt, TheFirstSignalAsksTheSecondEnds) {
    for (int signal : {SIGINT, SIGTERM}) {
        watchForInterrupt();
        EXPECT_FALSE(interruptRequested());
        std::raise(signal);
        EXPECT_TRUE(interruptRequested());
        EXPECT_EXIT(
            {
                watchForInterrupt();
                std::raise(signal);
                std::raise(signal);
                std::_Exit(0);
            },
            testing::KilledBySignal(signal), "");
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}
