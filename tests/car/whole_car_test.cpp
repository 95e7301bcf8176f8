// The whole car in one process on the flat test strip: it settles at a steady
// ride height, rolls straight with the wheel let go, stops under braking,
// freezes when parked and times its sprint; and its damage regions.

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "car/profiler.h"
#include "car/solvi.h"
#include "chassis/suspension.h"
#include "support/car_on_strip.h"
#include "support/temp_dir.h"

namespace {

// The strip rig with a driver's controls: a shift press lasts one frame.
class CarOnStrip : public CarOnStripFixture {
protected:
    void drive(float seconds, DriverInputs inputs) {
        const int steps = static_cast<int>(seconds / kDt + 0.5f);
        for (int i = 0; i < steps; ++i) {
            step(inputs);
            inputs.shiftUp = inputs.shiftDown = false;
        }
    }

    // Full throttle from rest, shifting up near the limiter, until the car
    // reaches `speed` m/s or `limit` seconds have passed.
    void launchTo(float speed, float limit = 20.0f) {
        drive(3.1f, {});  // inputs count only 3 s after the reset
        DriverInputs in;
        in.shiftUp = true;
        drive(0.4f, in);  // into first
        in.shiftUp = false;
        in.throttle = 1.0f;
        for (float t = 0; t < limit && car->speed < speed; t += 0.05f) {
            DriverInputs now = in;
            now.shiftUp = car->carEngine.rpm > 6700 && car->gearbox.shiftState == 0;
            drive(0.05f, now);
        }
    }
};

}  // namespace

// At rest it settles, parked and frozen, until throttle in gear releases it.
TEST_F(CarOnStrip, SettlesAtASteadyRideHeightParkedUntilThrottleInGear) {
    drive(3.0f, {});
    const float settled = car->getPosition().y;
    EXPECT_GE(car->parkedFrames, 400);  // at rest, no throttle
    drive(1.0f, {});
    EXPECT_NEAR(car->getPosition().y, settled, 0.001f);
    EXPECT_GT(settled, 0.15f);  // the body origin above the flat ground, m
    EXPECT_LT(settled, 0.35f);
    EXPECT_LT(car->speed, 0.05f);
    for (const CWheel& wheel : car->wheels) {
        EXPECT_TRUE(wheel.inContact);
        EXPECT_GT(wheel.load, 2000.0f);  // about a quarter of the car's weight each
        EXPECT_LT(wheel.load, 4500.0f);
    }
    DriverInputs in;
    in.shiftUp = true;
    drive(0.5f, in);
    in.shiftUp = false;
    in.throttle = 1.0f;
    drive(kDt, in);
    EXPECT_EQ(car->parkedFrames, 0);
}

// The sprint clock times 2 to 100 km/h; then, coasting with the wheel let
// go, the car rolls straight, and braking stops it.
TEST_F(CarOnStrip, SprintsRollsStraightWithTheWheelLetGoAndStopsUnderBraking) {
    launchTo(30.0f);
    const CLapTimer& timer = *car->getLapTimer();
    EXPECT_FALSE(timer.sprintRunning);
    EXPECT_GT(timer.sprintMs, 3000u);
    EXPECT_LT(timer.sprintMs, 8000u);
    const Vector3 start = car->getPosition();
    const Vector3 heading = car->matrix.zAxis();
    drive(3.0f, {});  // coasting, steering centred
    const Vector3 travelled = car->getPosition() - start;
    const float sideways = std::fabs(dot(travelled, car->matrix.xAxis()));
    EXPECT_GT(travelled.length(), 30.0f);
    EXPECT_LT(sideways, 0.02f * travelled.length());
    EXPECT_GT(dot(car->matrix.zAxis(), heading), std::cos(1.5f * 0.0174533f));

    DriverInputs brake;
    brake.brake = 1.0f;
    drive(6.0f, brake);
    EXPECT_LT(car->speed, 0.1f);
    EXPECT_FALSE(std::isnan(car->getPosition().x));
}

TEST_F(CarOnStrip, StepRunsItsSectionsInOrderAndOnlyWithAProfiler) {
    struct Recorder : IProfiler {
        std::string log;
        void begin(const char* name) override { log += std::string("+") + name + " "; }
        void end(const char* name) override { log += std::string("-") + name + " "; }
    } recorder;
    car->setProfiler(&recorder);
    drive(kDt, {});
    EXPECT_EQ(recorder.log,
              "+PHYSICFRAME +DRIVETRAIN -DRIVETRAIN +COLLISION -COLLISION "
              "+GROUNDS -GROUNDS +GROUNDS -GROUNDS +GROUNDS -GROUNDS +GROUNDS -GROUNDS "
              "+REPLAY -REPLAY -PHYSICFRAME ");
    car->setProfiler(nullptr);
    recorder.log.clear();
    drive(kDt, {});
    EXPECT_EQ(recorder.log, "");
}

TEST(SolviDamage, CornersBendByDepthAndBreakWhenDeep) {
    TempDir dir;
    WorkIn work(dir.path());
    testing::internal::CaptureStdout();
    {
        CSolvi car;  // at the origin, facing +z: +x is its left
        std::srand(3);
        car.onCollision({1.0f, 0, 1.0f}, 0.15f);  // front left, shallow: bent only
        EXPECT_NE(car.wheels[0].alignmentOffset, 0.0f);
        const float springBefore = car.suspension[0]->springRate;
        car.onCollision({1.0f, 0, 1.0f}, 0.2f);  // exactly 0.2 does not break
        EXPECT_EQ(car.suspension[0]->springRate, springBefore);
        car.onCollision({-1.0f, 0, -1.0f}, 0.25f);  // rear right, deep: broken
        EXPECT_EQ(car.suspension[3]->springRate, 0.0f);
        EXPECT_EQ(car.suspension[3]->dampExtension, 100.0f);

        const float offsets[4] = {car.wheels[0].alignmentOffset, car.wheels[1].alignmentOffset,
                                  car.wheels[2].alignmentOffset, car.wheels[3].alignmentOffset};
        car.onCollision({0.2f, 0, 1.0f}, 0.5f);   // between x = -0.5 and 0.5
        car.onCollision({1.0f, 0, 0.1f}, 0.5f);   // the middle band
        car.onCollision({1.0f, 0, 1.0f}, 0.05f);  // too shallow to count
        for (int i = 0; i < 4; ++i) EXPECT_EQ(car.wheels[i].alignmentOffset, offsets[i]) << i;

        // The bend is 10 * depth * u with u the next rand() / 32767, and 5
        // less that at the front right.
        const struct {
            Vector3 at;
            int wheel;
        } corners[] = {{{1, 0, 1}, 0}, {{-1, 0, 1}, 1}, {{1, 0, -1}, 2}, {{-1, 0, -1}, 3}};
        for (const auto& c : corners) {
            std::srand(11);
            const float u = static_cast<float>(std::rand() % 32768) / 32767.0f;
            EXPECT_GT(u, 0.1f);
            std::srand(11);
            const float before = car.wheels[c.wheel].alignmentOffset;
            car.onCollision(c.at, 0.3f);
            EXPECT_NEAR(car.wheels[c.wheel].alignmentOffset - before, c.wheel == 1 ? 5.0f - 3.0f * u : 3.0f * u, 1e-5f)
                << c.wheel;
        }
    }
    testing::internal::GetCapturedStdout();
}
