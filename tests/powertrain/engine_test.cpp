// The engine node's step: throttle slew, rev limiter, stall, sputter, damage,
// peak power and the coast curve it builds.

#include "powertrain/engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "powertrain/drivetrain.h"

namespace {

class EngineNodeTest : public testing::Test {
protected:
    EngineNodeTest() {
        engine.powerCurve.addValue(0.0f, 400.0f);  // flat 400 N·m
        engine.coastCurve.addValue(0.0f, -30.0f);  // flat -30 N·m
        engine.setDefaultThrottleCurve();
        engine.limiterRpm = 7000.0f;
    }
    float step()  // the torque this step queued
    {
        engine.step(0.01f);
        const float queued = drivetrain.queue.back().torque;
        drivetrain.queue.clear();
        return queued;
    }
    CDrivetrain drivetrain;
    CEngine engine{&drivetrain};
};

TEST_F(EngineNodeTest, ThrottleSlewsAtItsRatesAndSnapsNearTheTarget) {
    engine.setThrottle(1.0f);
    for (int i = 1; i <= 49; ++i) step();
    EXPECT_NEAR(engine.getThrottle(), 0.98f, 1e-5f);
    step();
    EXPECT_EQ(engine.getThrottle(), 1.0f);
    engine.setThrottle(0.0f);
    step();
    EXPECT_NEAR(engine.getThrottle(), 0.96f, 1e-6f);
    engine.resetThrottle(0.03f);
    engine.setThrottle(0.0f);
    step();
    EXPECT_EQ(engine.getThrottle(), 0.0f);
}

TEST_F(EngineNodeTest, BlendsCurvesCutsAtTheLimiterAndStallsBelow700Rpm) {
    engine.resetThrottle(0.5f);
    EXPECT_FLOAT_EQ(step(), 0.5f * -30.0f + 0.5f * 200.0f);
    EXPECT_EQ(engine.rpm, 954);  // 100 rad/s, truncated
    engine.resetThrottle(1.0f);
    engine.rpm = 7001;
    EXPECT_FLOAT_EQ(step(), -30.0f);
    EXPECT_TRUE(engine.limiterActive);
    engine.resetThrottle(1.0f);
    engine.rpm = 700;
    EXPECT_FLOAT_EQ(step(), 400.0f);
    EXPECT_FLOAT_EQ(engine.getFuelFlow(), 1.8e-5f * 100.0f);
    engine.rpm = 699;
    EXPECT_FLOAT_EQ(step(), -50.0f);  // stalled while turning forwards
    EXPECT_FLOAT_EQ(engine.getFuelFlow(), 0.0f);
    engine.speed = -1.0f;
    EXPECT_FLOAT_EQ(step(), 50.0f);  // turning backwards: it resists that too
    engine.speed = 0.0f;
    EXPECT_FLOAT_EQ(step(), 0.0f);  // at rest it holds nothing, never pushes
}

TEST_F(EngineNodeTest, LowFuelSwingsTheFullLoadTorqueAroundHalf) {
    engine.resetThrottle(1.0f);
    engine.coastCurve = CCurve();
    engine.lowFuel = true;
    engine.sputterPhase = 1.5707964f;
    EXPECT_NEAR(step(), 400.0f, 0.01f);
    engine.speed = 200.0f;  // one swell and fade every 3142 steps
    double sum = 0.0;
    for (int i = 0; i < 3142; ++i) engine.rpm = 1909, sum += step();
    EXPECT_NEAR(sum / 3142, 200.0, 1.0);
}

// The phase turns 0.001 rad per radian the engine turns: 0.005 a step at
// 500 rad/s and 0.01 s; a step's torque uses the phase it started with.
TEST_F(EngineNodeTest, SputterPhaseTurnsWithTheEngine) {
    engine.resetThrottle(1.0f);
    engine.coastCurve = CCurve();
    engine.lowFuel = true;
    engine.speed = 500.0f;
    EXPECT_FLOAT_EQ(step(), 200.0f);  // 400 * (sin 0 + 1) / 2
    for (int i = 0; i < 9; ++i) step();
    EXPECT_NEAR(engine.sputterPhase, 0.05f, 1e-6f);
    EXPECT_NEAR(step(), 200.0f * (1.0f + std::sin(0.05f)), 1e-3f);
    engine.sputterPhase = 6.28f;  // past 2 pi once: 6.285 - 6.2831855
    step();
    EXPECT_NEAR(engine.sputterPhase, 0.0018145f, 1e-6f);
}

TEST_F(EngineNodeTest, OverRevDamagePeakPowerAndCoastCurve) {
    engine.resetThrottle(1.0f);
    engine.limiterRpm = 20000.0f;
    engine.speed = 500.0f;
    engine.rpm = 15100;
    testing::internal::CaptureStdout();
    step();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "damage=0.100000\n");
    EXPECT_NEAR(engine.peakPower, 400.0f * 0.7375f * 4774.0f / 5252.0f, 0.05f);
    engine.damage = 1000.5f;
    step();
    EXPECT_FALSE(engine.running);

    CEngine flat(&drivetrain);
    flat.powerCurve.addValue(0.0f, 500.0f);
    flat.buildCoastCurve(7000.0f, 40.0f);
    EXPECT_EQ(flat.coastCurve.size(), 31u);
    EXPECT_FLOAT_EQ(flat.coastCurve.getValue(7000.0f), -200.0f);
    EXPECT_FLOAT_EQ(flat.coastCurve.getValue(3500.0f), -100.0f);
    EXPECT_FLOAT_EQ(flat.coastCurve.getValue(1000.0f), 5.0f);
}

}  // namespace
