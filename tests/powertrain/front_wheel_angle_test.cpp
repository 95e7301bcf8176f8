// The road-wheel angle the steering poses each front wheel with, which the
// force feedback reads too: alignment offset plus steering angle, the inner
// wheel's angle raised by the Ackermann factor.

#include <gtest/gtest.h>

#include "chassis/wheel.h"
#include "powertrain/steering.h"

TEST(FrontWheelAngle, OffsetPlusSteeringWithAckermannOnTheInnerWheel)
{
    CWheel left, right;
    left.alignmentOffset = 2.0f;
    right.alignmentOffset = -1.0f;
    CSteering steering;
    SteeringCarLink link;
    link.frontWheels[0] = &left;
    link.frontWheels[1] = &right;
    steering.setCar(link);
    steering.ackermann = 1.5f;
    steering.lockDegrees = 120.0f;
    steering.steeringRatio = 12.0f;
    // Input 0.5 (right): steering wheel 60°, road wheels -5°, right wheel inner.
    // Input -0.5 (left): +5°, left wheel inner.
    struct Case {
        float input, leftDeg, rightDeg;
    } cases[] = {{0.5f, 2.0f - 5.0f, -1.0f - 7.5f}, {-0.5f, 2.0f + 7.5f, -1.0f + 5.0f}, {0.0f, 2.0f + 0.0f, -1.0f}};
    for (const Case& c : cases) {
        steering.setInput(c.input);
        steering.update(0.0f);
        EXPECT_FLOAT_EQ(steering.frontWheelAngle(0), c.leftDeg) << c.input;
        EXPECT_FLOAT_EQ(steering.frontWheelAngle(1), c.rightDeg) << c.input;
    }
}
