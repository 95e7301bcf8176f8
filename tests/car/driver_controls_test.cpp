// The driver's side of the car: the controls as setControls reads them, the
// automatic clutch, the assisted shift and the steering wheel's force
// feedback.

#include <limits>

#include <gtest/gtest.h>

#include "support/car_on_strip.h"

namespace {

using DriverControls = CarOnStripFixture;

constexpr unsigned kReverse = 0, kNeutral = 1, kFirst = 2, kSecond = 3;

TEST_F(DriverControls, InputsWaitThreeSecondsAfterAResetThenPassWithADeadZone) {
    car->setSteering(0.5f), car->setThrottle(0.7f), car->setBrake(0.7f);
    controls.inputs = {0.5f, 0.8f, 0.6f, true, false};
    car->msSinceReset = 2999;
    car->setControls(&controls);
    EXPECT_EQ(car->steering.input, 0.0f);
    EXPECT_EQ(car->carEngine.getThrottleTarget(), 0.0f);
    EXPECT_EQ(car->brakes.input, 0.0f);
    EXPECT_EQ(car->gearbox.gear, kNeutral) << "a shift press within the 3 s";

    car->msSinceReset = 3000;
    // Throttle and brake below 0.1 count as 0; steering has no dead zone.
    for (float v : {0.09f, 0.1f, 0.6f}) {
        controls.inputs = {v / 2, v, v, false, false};
        car->setControls(&controls);
        const float passed = v < 0.1f ? 0.0f : v;
        EXPECT_EQ(car->steering.input, v / 2);
        EXPECT_EQ(car->carEngine.getThrottleTarget(), passed) << v;
        EXPECT_EQ(car->brakes.input, passed) << v;
    }
}

TEST_F(DriverControls, OneShiftPerPressAndTheClutchOpensWhileAButtonIsHeld) {
    car->msSinceReset = 3000;
    auto press = [&](bool up, bool down) {
        car->gearbox.shiftState = 0;  // the previous shift has finished
        controls.inputs.shiftUp = up, controls.inputs.shiftDown = down;
        car->setControls(&controls);
    };
    press(true, false);
    EXPECT_EQ(car->gearbox.gear, kFirst);
    EXPECT_EQ(car->clutch.engageRate, 10.0f);
    EXPECT_EQ(car->clutch.engagementTarget, 0.0f);
    EXPECT_TRUE(car->shiftingFlag);
    press(true, false);  // still held
    EXPECT_EQ(car->gearbox.gear, kFirst);
    press(false, false);
    EXPECT_EQ(car->clutch.engagementTarget, 1.0f);
    EXPECT_FALSE(car->shiftingFlag);
    press(true, false);
    EXPECT_EQ(car->gearbox.gear, kSecond);
    press(false, true);
    EXPECT_EQ(car->gearbox.gear, kFirst);
    EXPECT_EQ(car->clutch.engageRate, 3.0f);
    press(false, true);
    EXPECT_EQ(car->gearbox.gear, kFirst);
    // Released, but the gearbox still shifting: the clutch stays open.
    car->gearbox.shiftState = 1;
    controls.inputs.shiftDown = false;
    car->setControls(&controls);
    EXPECT_EQ(car->clutch.engagementTarget, 0.0f);
    EXPECT_TRUE(car->shiftingFlag);
}

// Pulling away in first or reverse below 3 m/s the clutch closes with the
// engine's torque: v = a / (1900 * 0.5) * (rpm * 0.0002), closed above 0.8;
// elsewhere it closes above 1100 rpm; neutral keeps it open.
TEST_F(DriverControls, AutomaticClutch) {
    const struct {
        unsigned gear;
        int rpm;
        float throttle, speed, torque;
        bool slipping, shifting;
        int mode;
        float expected;
    } cases[] = {
        {kFirst, 2000, 0.5f, 1, 300, true, false, 0, 0},
        {kFirst, 3000, 0.5f, 1, 300, true, false, 0, 300.0f / 950 * 0.6f},  // 0.189474
        {kReverse, 4500, 0.5f, 1, 1000, true, false, 0, 1},                   // 0.947 > 0.8
        {kFirst, 3000, 0.2f, 1, 300, true, false, 0, 1},
        {kFirst, 3000, 0.5f, 1, 300, false, false, 0, 1},
        {kFirst, 5000, 0.5f, 1, 300, true, false, 0, 1},
        {kReverse, 1500, 0.5f, 1, 300, true, false, 0, 0},
        {kFirst, 1500, 0.5f, 3, 300, true, false, 0, 1},
        {kSecond, 1100, 0.5f, 1, 300, true, false, 0, 0},
        {kSecond, 1101, 0.5f, 1, 300, true, false, 0, 1},
        {kNeutral, 6000, 0.5f, 10, 300, true, false, 0, 0},
        {kSecond, 3000, 0.5f, 10, 300, true, true, 0, 0.37f},  // the button's value stays
        {kSecond, 3000, 0.5f, 10, 300, true, true, 2, 1},      // assisted: the automatic one rules
        {kNeutral, 3000, 0.5f, 10, 300, true, true, 0, 0},
    };
    for (const auto& c : cases) {
        car->gearbox.gear = c.gear;
        car->carEngine.rpm = c.rpm;
        car->carEngine.setThrottle(c.throttle);
        car->carEngine.outputTorque = c.torque;
        car->speed = c.speed;
        car->clutch.pressure = 1900, car->clutch.friction = 0.5f;
        car->clutch.engagement = c.slipping ? 0.5f : 1.0f;
        car->clutch.inputSpeed = car->clutch.outputSpeed = 100;
        car->shiftingFlag = c.shifting;
        car->shiftMode = c.mode;
        car->clutch.engagementTarget = 0.37f;
        car->automaticClutch();
        EXPECT_NEAR(car->clutch.engagementTarget, c.expected, 1e-6f)
            << "gear " << c.gear << " rpm " << c.rpm << " throttle " << c.throttle << " speed " << c.speed;
    }
}

TEST_F(DriverControls, AssistedShiftOpensTheClutchAndLiftsTheThrottle) {
    const struct { int mode, state; unsigned gear; float rate, target, throttle; } cases[] = {
        {2, 1, kSecond, 50, 0, 0},     // up: quick, throttle shut
        {2, 2, kSecond, 3, 0, 0.3f},   // down: slow, a blip of throttle
        {2, 1, kFirst, 20, 1, 0.8f},   // from first nothing changes
        {0, 1, kSecond, 20, 1, 0.8f},  // manual shifting: nothing
    };
    for (const auto& c : cases) {
        car->shiftMode = c.mode;
        car->gearbox.shiftState = c.state;
        car->gearbox.gear = c.gear;
        car->clutch.engageRate = 20;
        car->clutch.engagementTarget = 1;
        car->carEngine.resetThrottle(0.8f);
        car->assistShift(kDt);
        EXPECT_EQ(car->clutch.engageRate, c.rate) << c.mode << " " << c.state << " " << c.gear;
        EXPECT_EQ(car->clutch.engagementTarget, c.target);
        EXPECT_FLOAT_EQ(car->carEngine.getThrottle(), c.throttle);
        EXPECT_FLOAT_EQ(car->carEngine.getThrottleTarget(), c.throttle);
    }
    // Engaging again after the shift, the throttle follows the engagement.
    car->shiftMode = 2, car->gearbox.shiftState = 0, car->gearbox.gear = kSecond;
    car->clutch.engagement = 0.5f;
    car->carEngine.setThrottle(0.8f);
    car->assistShift(kDt);
    EXPECT_FLOAT_EQ(car->carEngine.getThrottleTarget(), 0.4f);
}

// t = (Mz0 + Mz1) * 0.0005 = (100 + 60) * 0.0005 = 0.08; s = sin 30 deg = 0.5;
// weight = 2450 / 2450 + 4900 / 2450 = 3; v = (s t 0.1 + s 0.05) * 3 = 0.087;
// on a kerb below 2 m/s v gains s * 0.2 = 0.1. The torque is v + t.
TEST_F(DriverControls, SteeringTorqueFromTheFrontTyres) {
    car->wheels[0].alignMoment = 100, car->wheels[1].alignMoment = 60;
    car->wheels[0].load = 2450, car->wheels[1].load = 4900;
    // The front left wheel stands at 30 degrees: its alignment offset plus
    // the Ackermann share of the steering angle (it is the inner wheel).
    car->steering.wheelAngle = 20;
    car->wheels[0].alignmentOffset = 30 - 20 * car->steering.ackermann;
    car->wheels[0].surfaceKind = car->wheels[1].surfaceKind = 0;
    car->speed = 1;
    EXPECT_NEAR(car->getSteeringTorque(), 0.167f, 1e-6f);
    car->wheels[1].surfaceKind = 2;
    EXPECT_NEAR(car->getSteeringTorque(), 0.267f, 1e-6f);
    car->speed = 2;
    EXPECT_NEAR(car->getSteeringTorque(), 0.167f, 1e-6f);
    car->wheels[0].alignMoment = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(car->getSteeringTorque(), 0.0f);
    EXPECT_EQ(car->CCar::getSteeringTorque(), 0.0f);
    car->wheels[0].alignMoment = 100;
    EXPECT_EQ(car->CCar::getSteeringTorque(), 160.0f);
}

// The drivetrain hands each rear wheel its own node's speed and torque,
// and takes each wheel's road torque back on that wheel's side.
TEST_F(DriverControls, DrivetrainWritesBackIntoTheRearWheels) {
    car->drivenWheelNodes[0].speed = 20, car->drivenWheelNodes[1].speed = 30;
    car->powerPath.differential->viscousCoeff = 20;  // coupled, so each wheel's last torque differs
    car->wheels[2].wheelTorque = 400, car->wheels[3].wheelTorque = 0;
    car->stepDrivetrain(kDt);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(car->wheels[2 + k].angularSpeed, car->drivenWheelNodes[k].speed) << k;
        EXPECT_EQ(car->wheels[2 + k].driveTorque, car->drivenWheelNodes[k].lastTorque) << k;
    }
    EXPECT_LT(car->wheels[2].angularSpeed, 20.0f);  // wheel 2's road torque slowed wheel 2
    EXPECT_GT(car->wheels[3].angularSpeed, 29.0f);
    EXPECT_NE(car->wheels[2].driveTorque, car->wheels[3].driveTorque);
}

}  // namespace
