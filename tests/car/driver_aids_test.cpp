// The anti-lock controller and the traction control on free wheels: where each
// steps in, what it releases or cuts, the low-speed hysteresis and the toggles.

#include <gtest/gtest.h>

#include "car/abs.h"
#include "car/traction_control.h"
#include "chassis/wheel.h"
#include "powertrain/brake_system.h"
#include "powertrain/engine.h"

namespace {

using Speeds = std::array<float, 4>;

struct DriverAidRig {
    DriverAidRig() {
        for (CWheel& w : wheels) brakes.addWheel(&w);
        abs.attach(&brakes);
        abs.enabled = true;
        tc.attach(&engine, {&wheels[0], &wheels[1], &wheels[2], &wheels[3]});
    }
    // Wheels at the given speeds, each with a demanded brake torque of 500.
    void spin(Speeds s) { for (int i = 0; i < 4; ++i) wheels[i].angularSpeed = s[i], wheels[i].brakeTorque = 500.0f; }
    // One ABS step: what it printed, '|', then 1 for each wheel it released.
    std::string brake(float pedal, Speeds s) {
        spin(s);
        brakes.setInput(pedal);
        testing::internal::CaptureStdout();
        abs.step(0.003f);
        std::string out = testing::internal::GetCapturedStdout() + "|";
        for (const CWheel& w : wheels) out += w.brakeTorque == 1.0f ? '1' : '0';
        return out;
    }
    // One TC step after a step that cut: the engine's torque scale.
    float drive(float throttle, Speeds s) {
        spin(s);
        engine.setThrottle(throttle);
        engine.torqueScale = 0.0f;
        tc.step(0.003f);
        return engine.torqueScale;
    }
    CWheel wheels[4];
    CBrakeSystem brakes;
    CEngine engine;
    CAbs abs;
    CTractionControl tc;
};

TEST(AbsTest, ReleasesWheelsTenPercentSlowerThanTheFastestWithLowSpeedHysteresis) {
    const std::tuple<float, Speeds, const char*> steps[] = {  // in sequence: the flag carries over
        {1.0f, {-100, 90, 91, 100}, "|0100"},  // |ω|; 10 % slower released, 9 % not
        {0.1f, {100, 10, 10, 10}, "|0000"},    // pedal not above 0.1
        {1.0f, {0, 0, 0, 0}, "lowspeed=500.000000 0.000000\n|0000"},  // all locked
        {1.0f, {39.9f, 1, 1, 1}, "lowspeed=500.000000 39.900002\n|0000"},  // back only at 40
        {1.0f, {40, 1, 1, 1}, "hispeed=40.000000\n|0111"},
        {1.0f, {20, 1, 1, 1}, "|0111"},
        {1.0f, {19.9f, 1, 1, 1}, "lowspeed=500.000000 19.900000\n|0000"},
    };
    DriverAidRig rig;
    for (const auto& [pedal, speeds, expected] : steps) {
        EXPECT_EQ(rig.brake(pedal, speeds), expected);
        EXPECT_EQ(rig.abs.acting, !std::string_view(expected).ends_with("|0000")) << expected;
    }
    EXPECT_EQ(rig.abs.wheelSpeeds, (std::vector<float>{20, 1, 1, 1}));
    EXPECT_STREQ(rig.abs.toggle(), "ABS: OFF");
    EXPECT_EQ(rig.brake(1.0f, {100, 10, 10, 10}), "|0000");
    EXPECT_STREQ(rig.abs.toggle(), "ABS: ON");
}

TEST(TractionControlTest, CutsWhileARearWheelOverspeedsAndRestoresNextStep) {
    const std::tuple<float, Speeds, bool> cases[] = {  // throttle, speeds, cut
        {1.0f, {100, 100, 106, 100}, true},   // 6 % overspeed
        {1.0f, {100, 100, 100, 105}, false},  // 5 %
        {0.2f, {100, 100, 200, 200}, false},  // throttle not above 0.2
        {1.0f, {0, 0, 2.9f, 50}, false},      // a driven wheel below 3 rad/s
        {1.0f, {0, 0, 3, 3.5f}, true},        // front wheels at rest; last: a cut
    };
    DriverAidRig rig;
    for (const auto& [throttle, speeds, cut] : cases) {
        EXPECT_EQ(rig.drive(throttle, speeds), cut ? 0.0f : 1.0f) << speeds[2];
        EXPECT_EQ(rig.tc.acting, cut);
    }
    EXPECT_STREQ(rig.tc.toggle(), "TRACTION CONTROL: OFF");
    EXPECT_EQ(rig.engine.torqueScale, 1.0f);  // switched off mid-cut: not left cut
    EXPECT_EQ(rig.drive(1.0f, {10, 10, 20, 20}), 0.0f);  // switched off: untouched
    EXPECT_FALSE(rig.tc.acting);
    EXPECT_STREQ(rig.tc.toggle(), "TRACTION CONTROL: ON");
}

}  // namespace
