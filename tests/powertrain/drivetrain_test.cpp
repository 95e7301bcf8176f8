// The drivetrain graph: its base rules on plain nodes, then the assembled
// power path on a rig with the car's inertias and ratios (engine revving in
// neutral, a clutch engagement that slips and then locks, engine torque
// multiplied to both driven wheels, road torques coming back).

#include "powertrain/drivetrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "powertrain/clutch.h"
#include "powertrain/drivetrain_topology.h"
#include "powertrain/engine.h"
#include "powertrain/gear_link.h"
#include "powertrain/gearbox.h"
#include "powertrain/limited_slip_differential.h"

namespace {

TEST(GearNodeTest, TorqueGivesEveryJoinedNodeTheSameAcceleration) {
    CDrivetrain drivetrain;
    CGearNode first(&drivetrain), second(&drivetrain), lone(&drivetrain);
    second.inertia = 3.0f;
    drivetrain.connect(&first, &second);
    first.addTorque(&lone, 8.0f, 0.5f, 0);  // from outside the pair
    EXPECT_FLOAT_EQ(first.speed, 1.0f);
    EXPECT_FLOAT_EQ(second.speed, 1.0f);
    EXPECT_FLOAT_EQ(first.lastTorque, 8.0f);
    EXPECT_FLOAT_EQ(second.lastTorque, 6.0f);
    lone.inertia = 0.5f;
    EXPECT_FLOAT_EQ(lone.getInertia(nullptr, 2.0f), 2.0f);
    lone.addTorque(&lone, 3.0f, 0.1f, 0);
    EXPECT_FLOAT_EQ(lone.speed, 0.6f);
}

TEST(GearNodeTest, QueueAppliesEachTorqueFromItsOwnNodeAndSpeedsSpread) {
    CDrivetrain drivetrain;
    CGearNode a(&drivetrain), middle(&drivetrain), c(&drivetrain);
    middle.inertia = 2.0f;
    drivetrain.connect(&a, &middle);
    drivetrain.connect(&middle, &c);
    drivetrain.queueTorque(&middle, 8.0f, 0);  // reaches both neighbours
    drivetrain.queueTorque(&a, -4.0f, 0);
    drivetrain.applyQueuedTorques(1.0f);
    for (CGearNode* n : {&a, &middle, &c}) EXPECT_FLOAT_EQ(n->speed, 1.0f);
    EXPECT_TRUE(drivetrain.queue.empty());
    middle.setSpeed(&middle, 42.0f);
    EXPECT_FLOAT_EQ(a.speed, 42.0f);
    EXPECT_FLOAT_EQ(c.speed, 42.0f);

    CGearLink foreign(&a, &c);
    testing::internal::CaptureStdout();
    middle.addLink(&foreign);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CGearNode::addLink() error, link doesn't contain node\n");
    EXPECT_EQ(middle.links.size(), 3u);  // appended anyway
    middle.links.pop_back();
}

constexpr float kRatio = 2.88f * 3.36f;  // first gear times final drive
constexpr float kDt = 0.003f;

class DrivetrainRig : public testing::Test {
protected:
    DrivetrainRig() {
        engine.inertia = 0.25f;
        clutch.inertia = finalDrive.inertia = 0.001f;
        gearbox.inertia = differential.inertia = 0.02f;
        wheelA.inertia = wheelB.inertia = 2.0f;
        engine.powerCurve.addValue(0.0f, 400.0f);
        engine.setDefaultThrottleCurve();
        engine.limiterRpm = 12000.0f;
        engine.speed = 90.0f;  // idling at 859 rpm
        engine.resetThrottle(1.0f);
        clutch.pressure = 1900.0f;
        clutch.engageRate = 20.0f;
        clutch.engagementTarget = 1.0f;
        gearbox.addGear(-3.0f, 1.0f, "R");
        gearbox.addGear(0.0f, 0.0f, "N");
        gearbox.addGear(2.88f, 1.0f, "1");
        gearbox.selectNextGear();  // neutral, as the car starts
        finalDrive.setRatio(3.36f, 1.0f);
        differential.torqueGain = 0.2f;
        differential.lockSetting = 2;
        connectPowerPath(drivetrain, parts);
    }
    void step(float roadA = 0.0f, float roadB = 0.0f) { runPowerPathStep(drivetrain, parts, kDt, roadA, roadB); }
    // The parts from the gearbox on, seen at the wheels.
    float wheelSideInertia() const {
        return gearbox.inertia * kRatio * kRatio + finalDrive.inertia * 3.36f * 3.36f + differential.inertia + 4.0f;
    }

    CDrivetrain drivetrain;
    CEngine engine{&drivetrain};
    CClutch clutch{&drivetrain};
    CGearbox gearbox{&drivetrain};
    CRatioNode finalDrive{&drivetrain};
    CLimitedSlipDifferential differential{&drivetrain};
    CGearNode wheelA{&drivetrain}, wheelB{&drivetrain};
    DrivetrainParts parts{&engine, &clutch, &gearbox, &finalDrive, &differential, &wheelA, &wheelB};
};

TEST_F(DrivetrainRig, EngineRevsFreelyInNeutralAndRoadTorquesComeBackNegated) {
    wheelA.speed = wheelB.speed = differential.speed = 50.0f;
    differential.viscousCoeff = 20.0f;  // the coupling's base strength
    for (int i = 0; i < 100; ++i) {
        const float before = engine.speed;
        step(30.0f, 10.0f);  // positive wheel torques slow the wheels
        EXPECT_EQ(clutch.state, 2);
        EXPECT_NEAR((engine.speed - before) / kDt, 400.0f / 0.251f, 0.5f);  // engine and plate alone
    }
    // The sum 30 + 10 N·m slows the wheel side up to the gearbox; the
    // difference turns wheel A back and B on, against the coupling.
    const float common = -40.0f / (differential.inertia + finalDrive.inertia + 4.0f);
    EXPECT_NEAR(wheelA.speed + wheelB.speed, 2.0f * (50.0f + 100.0f * kDt * common), 1e-3f);
    // Uncoupled they would part at 10 rad/s², 3 rad/s in 0.3 s.
    EXPECT_GT(wheelB.speed - wheelA.speed, 2.0f);
    EXPECT_LT(wheelB.speed - wheelA.speed, 2.7f);
}

TEST_F(DrivetrainRig, ClutchSlipsThenLocksAndEngineTorqueIsMultipliedToTheWheels) {
    gearbox.selectNextGear();
    int slipSteps = 0;
    for (int i = 0; i < 200 && !(clutch.state == 2 && clutch.engagement == 1.0f); ++i) {
        const float wheelBefore = wheelA.speed, engineBefore = engine.speed;
        step();
        if (clutch.state != 0 || clutch.slipThreshold != 0.0025f) continue;
        // Friction torque from a faster engine: the wheel side takes it
        // through the ratios alone; the engine keeps its own torque less it.
        const float tc = clutch.clutchTorque();
        const float wheelAccel = tc * kRatio / wheelSideInertia();
        const float engineAccel = 400.0f / 0.251f - tc / 0.25f;
        EXPECT_NEAR((wheelA.speed - wheelBefore) / kDt, wheelAccel, 0.01f * wheelAccel) << i;
        EXPECT_NEAR((engine.speed - engineBefore) / kDt, engineAccel, 0.01f * std::fabs(engineAccel)) << i;
        EXPECT_FLOAT_EQ(wheelA.speed, wheelB.speed);
        ++slipSteps;
    }
    EXPECT_GE(slipSteps, 3);
    ASSERT_EQ(clutch.state, 2) << "never locked";

    const float total = 0.251f * kRatio * kRatio + wheelSideInertia();
    const float expected = 400.0f * kRatio / total;
    for (int i = 0; i < 100; ++i) {
        const float before = wheelA.speed;
        step();
        EXPECT_NEAR((wheelA.speed - before) / kDt, expected, 0.01f * expected) << i;
        EXPECT_FLOAT_EQ(wheelA.speed, wheelB.speed);
        EXPECT_EQ(clutch.state, 2);
    }
    EXPECT_NEAR(engine.speed, wheelA.speed * kRatio, 1e-3f * engine.speed);
}

}  // namespace
