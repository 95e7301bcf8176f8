// The brakes on four free wheels: axle split, low-speed boost, fade with disc
// temperature, and the disc's heating and cooling.

#include "powertrain/brake_system.h"

#include <gtest/gtest.h>

#include "chassis/wheel.h"

namespace {

struct FourWheels {
    explicit FourWheels(float disc, float input = 1.0f) {
        for (CWheel& w : wheels) brakes.addWheel(&w);
        for (auto& u : brakes.units) u->temperature = disc;
        brakes.setInput(input);
    }
    float unit(int i) const { return brakes.units[i]->temperature; }
    CWheel wheels[4];
    CBrakeSystem brakes;
};

TEST(BrakeTest, BiasSplitsThePedalAndLowWheelSpeedRaisesTheTorqueByUpToHalf) {
    FourWheels car(400.0f);  // friction factor 1
    const float speeds[4] = {0.0f, -5.0f, 9.0f, 10.0f}, boost[4] = {1.5f, 1.25f, 1.05f, 1.0f};
    for (int i = 0; i < 4; ++i) car.wheels[i].angularSpeed = speeds[i];
    car.brakes.step(0.001f);
    for (int i = 0; i < 4; ++i) {
        const float unitTorque = i < 2 ? 2887.5f : 962.5f;
        EXPECT_FLOAT_EQ(car.brakes.units[i]->torque, unitTorque);
        EXPECT_FLOAT_EQ(car.wheels[i].brakeTorque, boost[i] * unitTorque);
    }
    car.brakes.setFrontBias(1.3f);
    EXPECT_EQ(car.brakes.getFrontBias(), 1.0f);
    car.brakes.setFrontBias(-0.2f);
    car.brakes.changeFrontBias(0.66f);
    EXPECT_FLOAT_EQ(car.brakes.getFrontBias(), 0.66f);
}

TEST(BrakeTest, FrictionFadesWithDiscTemperatureAndAHardStopFadesTheBrake) {
    const float temperatures[] = {0, 200, 600, 800, 1000, 1500}, factors[] = {0.8f, 0.9f, 0.9f, 0.45f, 0, 0};
    for (int k = 0; k < 6; ++k) {
        CBrakeUnit unit;
        unit.temperature = temperatures[k];
        unit.demand = 1.0f;
        unit.step(0.001f);
        EXPECT_NEAR(unit.torque, factors[k] * 3850.0f, 1e-3f) << temperatures[k];
    }
    // Held on with the wheel turning, the disc runs past its best and fades to
    // about a quarter, where heating and cooling balance near 900 °C.
    CBrakeUnit unit;
    unit.demand = 1.0f;
    unit.wheelSpeed = 50.0f;
    float peak = 0.0f;
    for (int i = 0; i < 20000; ++i, peak = std::max(peak, unit.torque)) unit.step(0.003f);
    EXPECT_NEAR(peak, 3850.0f, 2.0f);
    EXPECT_NEAR(unit.temperature, 895.0f, 10.0f);
    EXPECT_LT(unit.torque, 0.3f * peak);
}

TEST(BrakeTest, DiscHeatsOnlyOnATurningWheelAndCoolsFasterWithSpeed) {
    FourWheels hot(30.0f);  // at ambient: no cooling term
    const float speeds[4] = {3.01f, -20.0f, 3.0f, 0.0f};
    for (int i = 0; i < 4; ++i) hot.wheels[i].angularSpeed = speeds[i];
    hot.brakes.setFrontBias(0.5f);
    hot.brakes.step(0.01f);
    const float rise = 0.5f * 19250.0f * 0.815f / 50.0f * 0.01f;  // factor 0.815 at 30 °C
    EXPECT_FLOAT_EQ(hot.unit(0), 30.0f + rise);
    EXPECT_FLOAT_EQ(hot.unit(1), 30.0f + rise);
    EXPECT_EQ(hot.unit(2), 30.0f);
    EXPECT_EQ(hot.unit(3), 30.0f);

    FourWheels cold(400.0f, 0.0f);
    cold.wheels[1].referenceSpeed = 50.0f;  // no car attached: the wheel's own speed
    cold.brakes.units[2]->temperature = 20.0f;
    cold.brakes.step(0.1f);
    EXPECT_FLOAT_EQ(cold.unit(0), 396.0f);    // towards 0 °C, τ = 10 s
    EXPECT_FLOAT_EQ(cold.unit(1), 395.985f);  // towards −1.5 °C
    EXPECT_FLOAT_EQ(cold.unit(2), 20.4f);     // a cold disc towards 60 °C
    for (int i = 0; i < 40000; ++i) cold.brakes.step(0.003f);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(cold.unit(i), 30.0f, 0.02f);
}

}  // namespace
