// The clutch between two plain shafts: engagement, the friction torque pair,
// lock and break-away with their two thresholds, and speed equalising.

#include "powertrain/clutch.h"

#include <gtest/gtest.h>

#include "powertrain/drivetrain.h"

namespace {

class ClutchTest : public testing::Test {
protected:
    ClutchTest() {
        drivetrain.connect(&engineSide, &clutch);
        drivetrain.connect(&clutch, &gearboxSide);
        clutch.engageRate = 20.0f;
        clutch.pressure = 1900.0f;
    }
    // One step of a fully engaged clutch; returns how many torques it queued.
    size_t stepEngaged(float engineSpeed, float gearboxSpeed, int state, float threshold) {
        clutch.engagementTarget = clutch.engagement = 1.0f;
        engineSide.speed = clutch.inputSpeed = engineSpeed;
        gearboxSide.speed = clutch.outputSpeed = gearboxSpeed;
        clutch.state = state;
        clutch.slipThreshold = threshold;
        drivetrain.queue.clear();
        clutch.step(0.003f);
        return drivetrain.queue.size();
    }
    void expectSpeeds(float engineSpeed, float gearboxSpeed) {
        EXPECT_FLOAT_EQ(engineSide.speed, engineSpeed);
        EXPECT_FLOAT_EQ(gearboxSide.speed, gearboxSpeed);
    }
    CDrivetrain drivetrain;
    CGearNode engineSide{&drivetrain}, gearboxSide{&drivetrain};
    CClutch clutch{&drivetrain};
};

TEST_F(ClutchTest, EngagesAtItsRateReleasesAtOnceAndCarriesNothingOpen) {
    clutch.engagementTarget = 1.0f;
    for (int i = 0; i < 16; ++i) clutch.step(0.003f);
    EXPECT_NEAR(clutch.engagement, 0.96f, 1e-5f);
    clutch.step(0.003f);  // the first step at or past 0.05 s
    EXPECT_EQ(clutch.engagement, 1.0f);
    clutch.engagementTarget = 0.0f;
    engineSide.speed = 100.0f;
    clutch.step(0.003f);
    EXPECT_EQ(clutch.engagement, 0.0f);
    EXPECT_EQ(clutch.state, 2);
    EXPECT_TRUE(drivetrain.queue.empty());
}

TEST_F(ClutchTest, LockedHoldsSmallSlipAndBreaksAwayAtLarge) {
    EXPECT_EQ(stepEngaged(100.0f, 99.8f, 2, 0.225f), 0u);
    EXPECT_EQ(clutch.state, 2);
    expectSpeeds(99.9f, 99.9f);

    ASSERT_EQ(stepEngaged(100.0f, 80.0f, 2, 0.225f), 2u);
    EXPECT_EQ(clutch.state, 0);
    EXPECT_FLOAT_EQ(drivetrain.queue[0].torque, -950.0f);
    EXPECT_EQ(drivetrain.queue[0].tag, 201);
    EXPECT_FLOAT_EQ(drivetrain.queue[1].torque, 950.0f);
    drivetrain.applyQueuedTorques(0.001f);  // each half reaches its own side
    expectSpeeds(100.0f - 0.95f, 80.0f + 0.95f);
}

TEST_F(ClutchTest, SlippingLocksOnlyBelowTheTighterThresholdAndReversalMeetsInTheMiddle) {
    EXPECT_EQ(stepEngaged(100.0f, 99.5f, 0, 0.0025f), 2u);  // a locked one would hold 0.5 %
    EXPECT_EQ(stepEngaged(100.0f, 99.9f, 0, 0.0025f), 0u);
    EXPECT_EQ(clutch.state, 2);
    expectSpeeds(99.95f, 99.95f);

    EXPECT_EQ(stepEngaged(80.0f, 100.0f, 0, 0.0025f), 0u);
    EXPECT_EQ(clutch.state, 1);
    expectSpeeds(90.0f, 90.0f);
    EXPECT_EQ(stepEngaged(100.0f, 80.0f, 1, 0.0025f), 0u);
    EXPECT_EQ(clutch.state, 0);
    expectSpeeds(90.0f, 90.0f);
    ASSERT_EQ(stepEngaged(80.0f, 100.0f, 2, 0.225f), 2u);
    EXPECT_EQ(clutch.state, 1);
    EXPECT_FLOAT_EQ(drivetrain.queue[0].torque, 950.0f);  // pulls the engine up
}

// Left to itself the clutch sets its own thresholds: new, it holds up to a
// relative slip of 0.025; locked, up to 0.225; slipping, it locks only below
// 0.0025.
TEST_F(ClutchTest, KeepsItsOwnLockAndBreakAwayThresholds) {
    clutch.engagementTarget = clutch.engagement = 1.0f;
    auto torquesAt = [&](float engineSpeed, float gearboxSpeed) {
        engineSide.speed = engineSpeed;
        gearboxSide.speed = gearboxSpeed;
        drivetrain.queue.clear();
        clutch.step(0.003f);
        return drivetrain.queue.size();
    };
    EXPECT_EQ(torquesAt(100, 97.6f), 0u);   // 100 / 97.6 - 1 = 0.0246
    EXPECT_EQ(torquesAt(100, 82.0f), 0u);   // 0.2195
    EXPECT_EQ(torquesAt(100, 81.0f), 2u);   // 0.2346: breaks away
    EXPECT_EQ(torquesAt(100, 99.72f), 2u);  // 0.00281: still slipping
    EXPECT_EQ(torquesAt(100, 99.8f), 0u);   // 0.00200: locks
    EXPECT_EQ(clutch.state, 2);
}

}  // namespace
