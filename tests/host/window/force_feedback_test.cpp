// The force-feedback level for the car's steering torque: sign, gain, clamp.

#include <cmath>

#include <gtest/gtest.h>

#include "host/window/force_feedback.h"

// Full scale is a torque of 1.5 at gain 1, sent as 75 % of the device's
// range (24575); SDL's positive level pushes the rim to the left, and a
// positive torque asks for the right: 0.5 -> -0.5 / 1.5 * 24575 = -8191.67.
TEST(ForceFeedback, LevelFollowsTheTorqueWithGainSignAndClamp)
{
    const struct {
        float torque, gain;
        bool invert;
        int level;
    } rows[] = {
        {0.5f, 1, false, -8192}, {0.5f, 1, true, 8192},       {-0.2f, 2, false, 6553},  // 0.4 / 1.5 * 24575 = 6553.3
        {3.0f, 1, false, -24575}, {-1.2f, 1.5f, false, 24575}, {0.5f, 0, false, 0},
        {NAN, 1, false, 0},       {INFINITY, 1, false, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(forceFeedbackLevel(r.torque, r.gain, r.invert, 30.0f), r.level) << r.torque << " x " << r.gain;
    // Below 5 m/s the force fades in proportion to the speed, forwards or
    // backwards: a parked car leaves the wheel still.
    EXPECT_EQ(forceFeedbackLevel(0.6f, 1, false, 0.0f), 0);
    EXPECT_EQ(forceFeedbackLevel(0.6f, 1, false, 2.5f), -4915);   // 0.4 * 0.5 * 24575 = 4915
    EXPECT_EQ(forceFeedbackLevel(0.6f, 1, false, -2.5f), -4915);
    EXPECT_EQ(forceFeedbackLevel(0.6f, 1, false, 5.0f), -9830);
}
