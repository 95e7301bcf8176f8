// The differential between a drive shaft and two wheels: the split of the
// wheels' road torques, the viscous coupling and the limited-slip form's
// coupling strength.

#include "powertrain/limited_slip_differential.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "powertrain/drivetrain.h"

namespace {

class DifferentialTest : public testing::Test {
protected:
    DifferentialTest() {
        wheelA.inertia = wheelB.inertia = 2.0f;  // 6 kg·m² in all
        drivetrain.connect(&driveShaft, &differential);
        drivetrain.connect(&differential, &wheelA);
        drivetrain.connect(&differential, &wheelB);
    }
    void queueAndApply(CGearNode* node, float torque, int tag, float dt = 1.0f) {
        drivetrain.queueTorque(node, torque, tag);
        drivetrain.applyQueuedTorques(dt);
    }
    void roadTorques(float a, float b) {
        queueAndApply(&differential, a, 12);
        queueAndApply(&differential, b, 13);
    }
    CDrivetrain drivetrain;
    CGearNode driveShaft{&drivetrain}, wheelA{&drivetrain}, wheelB{&drivetrain};
    CLimitedSlipDifferential differential{&drivetrain};
};

// The road's torques reach the assembly whole: over the 6 kg·m² of shaft and
// wheels the sum TA + TB changes the angular momentum by (TA + TB) · 1 s,
// whatever their signs; the difference turns the wheels apart by ±(TA - TB)/2.
TEST_F(DifferentialTest, RoadTorquesSumDrivesAllAndTheirDifferenceTurnsWheelsApart) {
    const struct {
        float a, b, shaft, wheelA, wheelB;  // torques; speeds after 1 s from rest
    } cases[] = {
        {10.0f, 6.0f, 16.0f / 6.0f, 16.0f / 6.0f + 1.0f, 16.0f / 6.0f - 1.0f},
        {10.0f, -6.0f, 4.0f / 6.0f, 4.0f / 6.0f + 4.0f, 4.0f / 6.0f - 4.0f},
        {5.0f, 0.0f, 5.0f / 6.0f, 5.0f / 6.0f + 1.25f, 5.0f / 6.0f - 1.25f},
    };
    for (const auto& c : cases) {
        driveShaft.speed = wheelA.speed = wheelB.speed = differential.speed = 0.0f;
        roadTorques(c.a, c.b);
        EXPECT_FLOAT_EQ(driveShaft.speed, c.shaft) << c.a << " " << c.b;
        EXPECT_FLOAT_EQ(wheelA.speed, c.wheelA) << c.a << " " << c.b;
        EXPECT_FLOAT_EQ(wheelB.speed, c.wheelB) << c.a << " " << c.b;
        float momentum = 0.0f;
        const CGearNode* const parts[] = {&driveShaft, &wheelA, &wheelB, &differential};
        for (const CGearNode* n : parts)
            momentum += n->speed * n->inertia;
        EXPECT_NEAR(momentum, c.a + c.b, 1e-5f);
    }
}

TEST_F(DifferentialTest, DriveTorqueSetsTheCouplingAndTheCouplingPullsWheelsTogether) {
    differential.torqueGain = 0.2f;
    differential.lockSetting = 2;
    queueAndApply(&driveShaft, 1200.0f, 0, 0.001f);  // 1000 reach the differential
    EXPECT_NEAR(differential.viscousCoeff, 120.0f, 1e-3f);
    differential.step(0.1f);
    EXPECT_FLOAT_EQ(wheelA.lastTorque, 0.0f);  // equal speeds
    queueAndApply(&driveShaft, -50.0f, 0, 0.001f);
    EXPECT_FLOAT_EQ(differential.viscousCoeff, 20.0f);
    wheelA.speed = 10.0f;
    wheelB.speed = 4.0f;
    differential.step(0.1f);
    EXPECT_FLOAT_EQ(wheelA.lastTorque, -5.0f);  // -0.5 · 3 · 20 / (3 + 3)
    EXPECT_FLOAT_EQ(wheelB.lastTorque, 5.0f);
}

TEST_F(DifferentialTest, AWheelSeesOnlyTheHousingAndImposesNoSpeed) {
    queueAndApply(&wheelA, 6.0f, 0);
    EXPECT_FLOAT_EQ(wheelA.speed, 2.0f);
    EXPECT_FLOAT_EQ(driveShaft.speed, 0.0f);
    testing::internal::CaptureStdout();
    differential.setSpeed(&wheelA, 50.0f);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "**** ERROR: forceSpeed from wheels **** \n");
    driveShaft.setSpeed(&driveShaft, 10.0f);  // both wheels keep their difference
    EXPECT_FLOAT_EQ(wheelA.speed, 12.0f);
    EXPECT_FLOAT_EQ(wheelB.speed, 10.0f);
}

}  // namespace
