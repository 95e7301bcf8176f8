// The steering posing two front wheel frames and a cockpit wheel, checked
// through the frames' axes rather than the stored angles.

#include "powertrain/steering.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "chassis/wheel.h"
#include "graphics/scene_frame.h"

namespace {

constexpr float kDeg = 0.017453292f;

// Heading of the forward axis about +Y, and lean of the top towards +X (the
// car's left), degrees.
float heading(const CSceneFrame& f) { return std::atan2(f.matrix.at(2, 0), f.matrix.at(2, 2)) / kDeg; }
float leanLeft(const CSceneFrame& f) { return std::asin(dot(f.getUp(), cross({0, 1, 0}, f.getForward()))) / kDeg; }

class SteeringTest : public testing::Test {
protected:
    SteeringTest() {
        left.setPosition(0.8f, 0.3f, 1.1f);
        steering.addSteeredFrame(&left);
        steering.addSteeredFrame(&right);
        steering.setCar({{&wheels[0], &wheels[1]}, {&tilt[0], &tilt[1]}, &cockpitSlot});
        steering.steeringRatio = 13.0f;
        steering.lockDegrees = 150.0f;
        steering.ackermann = 1.2f;
        wheels[0].alignmentOffset = 0.5f;
        wheels[1].alignmentOffset = -0.3f;
    }
    void steer(float input, float x = 0.0f) {
        steering.setInput(input);
        steering.update(x);
    }
    CWheel wheels[2];
    float tilt[2] = {-0.6f, -0.6f};
    CSceneFrame left, right, cockpit;
    CSceneFrame* cockpitSlot = nullptr;  // the cockpit loads after the car is linked
    CSteering steering;
};

TEST_F(SteeringTest, HalfInputTurnsRightWithTheRightWheelInnerAndLeftTheOtherWay) {
    steer(0.5f);
    EXPECT_FLOAT_EQ(steering.steeringWheelAngle, 75.0f);
    EXPECT_NEAR(steering.wheelAngle, -5.76923f, 1e-5f);
    EXPECT_NEAR(heading(left), 0.5f - 5.76923f, 1e-4f);  // negative: towards −X, the right
    EXPECT_NEAR(heading(right), -0.3f - 6.92308f, 1e-4f);
    EXPECT_EQ(left.getPosition().z, 1.1f);
    steer(-0.5f);
    EXPECT_NEAR(heading(left), 0.5f + 6.92308f, 1e-4f);
    EXPECT_NEAR(heading(right), -0.3f + 5.76923f, 1e-4f);
}

TEST_F(SteeringTest, CentredWheelsKeepOffsetLeanInwardsAndANegativeArgumentHoldsThem) {
    steer(0.0f);
    EXPECT_NEAR(heading(left), 0.5f, 1e-5f);
    EXPECT_NEAR(heading(right), -0.3f, 1e-5f);
    EXPECT_NEAR(leanLeft(left), -0.6f, 1e-4f);
    EXPECT_NEAR(leanLeft(right), 0.6f, 1e-4f);
    wheels[0].alignmentOffset = tilt[0] = 0.0f;  // read live at every update
    steer(0.0f);
    EXPECT_EQ(std::memcmp(left.matrix.m, Matrix4().m, 12 * sizeof(float)), 0);  // axes exact
    // A negative argument holds the road wheels; nothing is rate limited.
    steer(1.0f);
    const Matrix4 full = right.matrix;
    steer(0.2f, -1.0f);
    EXPECT_FLOAT_EQ(steering.steeringWheelAngle, 30.0f);
    EXPECT_NEAR(steering.wheelAngle, -150.0f / 13.0f, 1e-5f);
    steer(1.0f);
    EXPECT_EQ(std::memcmp(right.matrix.m, full.m, sizeof full.m), 0);
}

TEST_F(SteeringTest, CockpitWheelTurnsAboutItsTiltedColumn) {
    steer(0.5f);  // no cockpit bound yet: nothing to pose
    cockpit.setPosition(0.4f, 0.9f, 0.2f);
    cockpitSlot = &cockpit;
    steering.columnTilt = 20.0f;
    steer(0.5f);
    // The column as modelled lands on the frame's forward axis; the rim's top,
    // square to it, turns by the wheel's −75° about it.
    const float c = std::cos(20 * kDeg), s = std::sin(20 * kDeg);
    EXPECT_NEAR(cockpit.matrix.transformVector({0, -s, c}).z, 1.0f, 1e-6f);
    const Vector3 top = cockpit.matrix.transformVector({0, c, s});
    EXPECT_NEAR(top.x, std::sin(75 * kDeg), 1e-6f);
    EXPECT_NEAR(top.y, std::cos(75 * kDeg), 1e-6f);
    EXPECT_EQ(cockpit.getPosition().y, 0.9f);
}

}  // namespace
