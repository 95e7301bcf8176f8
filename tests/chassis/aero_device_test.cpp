#include "chassis/aero_device.h"

#include <gtest/gtest.h>

#include <cmath>

#include "car/physics_world.h"
#include "chassis/rigid_body.h"

namespace {

class AeroDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dInitODE2(0); }
    static void TearDownTestSuite() { dCloseODE(); }
    void SetUp() override {
        physics.world = dWorldCreate();
        body.attach(&physics);
    }
    void TearDown() override { dWorldDestroy(physics.world); }
    double force(int i) const { return dBodyGetForce(body.body)[i]; }

    CPhysicsWorld physics;
    CRigidBody body;
};

// The car's device: at (0, 0.5, 0), area 1, offset 3°, fixed lift 0.2756.
TEST_F(AeroDeviceTest, FixedLiftPushesDownWithSpeedSquared) {
    CAeroDevice wing(&body, {0, 0.5f, 0}, 1.0f, 3.0f);
    wing.fixedLift = 0.2756f;
    wing.step(0.003f);
    EXPECT_EQ(wing.liftForce, 0.0f);
    body.setLinearVelocity({0, 0, 50});
    wing.step(0.003f);
    EXPECT_NEAR(wing.liftForce, 420.6f, 0.05f);
    EXPECT_EQ(wing.dragForce, 0.0f);
    EXPECT_NEAR(force(1), -420.6, 0.05);
    // Air from behind: both forces change sign.
    body.setLinearVelocity({0, 0, -50});
    wing.step(0.003f);
    EXPECT_NEAR(wing.liftForce, -420.6f, 0.05f);
    EXPECT_NEAR(force(1), 0.0, 0.05);
}

TEST_F(AeroDeviceTest, CurvesByAngleOfAttackInBodyAxes) {
    body.setRotation({1, 0, 0}, {0, 1, 0});  // drag now pushes along world −X
    CAeroDevice wing(&body, {0, 0.5f, 0}, 2.0f, 3.0f);
    body.setLinearVelocity({30, 0, 0});
    wing.step(0.003f);
    const float q = 900.0f * 0.6105f * 2.0f;  // level flow: CL(3°) 0.375, CD(3°) 0.0076
    EXPECT_NEAR(wing.liftForce, 0.375f * q, 1e-2f);
    EXPECT_NEAR(force(0), -0.0076 * q, 1e-3);
    EXPECT_NEAR(force(1), -0.375 * q, 1e-2);

    // Climbing at 10°: CL 0.9, CD 0.13; only the forward component counts.
    wing.angleOffset = 0.0f;
    const float a = 10.0f * 0.017453292f, vz = 30 * std::cos(a);
    body.setLinearVelocity({vz, 30 * std::sin(a), 0});
    wing.step(0.003f);
    EXPECT_NEAR(wing.liftForce, 0.9f * vz * vz * 0.6105f * 2.0f, 0.05f);
    EXPECT_NEAR(wing.dragForce, 0.13f * vz * vz * 0.6105f * 2.0f, 0.05f);
}

}  // namespace
