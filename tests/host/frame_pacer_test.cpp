// The window's pacing followed with a fake clock: simulated time keeps up
// with the wall clock at the display's rate, a slow picture runs no more
// than the bounded number of steps (the drive slows down instead), a pause
// lets its wall time go, and without vsync pictures wait out the interval.

#include "host/frame_pacer.h"

#include <gtest/gtest.h>

namespace {
class FakeClock : public PacerClock {
public:
    double now() override { return time; }
    double time = 100.0;
};
}  // namespace

TEST(FramePacer, SimulatedTimeFollowsTheWallClockWithBoundedStepsPerPicture)
{
    FakeClock clock;
    PacerSettings settings;  // 3 ms steps, at most 33 per picture
    settings.minInterval = 1.0 / 60;
    FramePacer pacer(clock, settings);
    // One picture: its steps, `drawing` seconds to draw it, then the wait
    // the pacer asks for.
    double wait = 0;
    const auto picture = [&](bool paused, double drawing) {
        const int n = pacer.stepsBeforePicture(paused);
        clock.time += drawing;
        wait = pacer.waitAfterPicture();
        clock.time += wait;
        return n;
    };

    // Ten seconds at 60 pictures/s, each drawn in 4 ms and waiting the
    // 12.67 ms left: 3333 steps in all (10 s / 3 ms), 5 or 6 per picture.
    clock.time += 1.0 / 60;
    long steps = 0;
    for (int i = 0; i < 600; ++i) {
        const int n = picture(false, 0.004);
        EXPECT_TRUE(n == 5 || n == 6) << n;
        EXPECT_NEAR(wait, 1.0 / 60 - 0.004, 1e-9);
        steps += n;
    }
    EXPECT_EQ(steps, 3333);

    // Pictures of 0.25 s: 83 steps would be due, 33 run and the rest is let
    // go, so the drive runs at 0.099 s per 0.25 s; nothing waits.
    picture(false, 0.25);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(picture(false, 0.25), 33);
        EXPECT_EQ(wait, 0.0);
    }
    // Fast again: no backlog from the slow ones; after the last slow
    // picture's 33 steps, 1/60 s gives 5 (5.6) like any other.
    EXPECT_EQ(picture(false, 0.010), 33);
    EXPECT_EQ(picture(false, 0.010), 5);

    // Two paused seconds run nothing and are not caught up afterwards.
    for (int i = 0; i < 120; ++i) EXPECT_EQ(picture(true, 0.004), 0);
    EXPECT_EQ(picture(false, 0.004), 5);  // 1/60 s: 5.6 steps
}

TEST(FramePacer, VsyncPacesThePicturesItself)
{
    FakeClock clock;
    FramePacer pacer(clock, PacerSettings{});
    clock.time += 0.001;
    EXPECT_EQ(pacer.stepsBeforePicture(false), 0);
    EXPECT_EQ(pacer.waitAfterPicture(), 0.0);
    clock.time += 0.0051;  // 6.1 ms in all
    EXPECT_EQ(pacer.stepsBeforePicture(false), 2);
}
