// The host's drivers and profiler: the autopilot's steering, speed profile
// and shifting on the bundled circuit, the script driver's timed inputs, and
// the profiler's section sums.

#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "host/autopilot.h"
#include "host/profiler.h"
#include "host/script_driver.h"
#include "host/track.h"
#include "support/temp_dir.h"

namespace {

class AutopilotTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(track.load(SOLVI_DATA_DIR "/tracks/valley/track.txt", error)) << error;
    }

    // The car on the lap at s, `lateral` metres left of the line, facing along it.
    CarState carAt(float s, float lateral, float speed, const char* gear, int rpm, float time = 10.0f) const {
        CarState car;
        car.time = time;
        car.forward = track.tangentAt(s);
        car.left = {car.forward.z, 0, -car.forward.x};
        car.position = track.centreAt(s) + car.left * lateral;
        car.speed = speed;
        car.gear = gear;
        car.rpm = rpm;
        return car;
    }

    Track track;
};

}  // namespace

TEST_F(AutopilotTest, SteersBackTowardsTheLine) {
    Autopilot pilot(track);
    DriverInputs onLine, leftOfLine, rightOfLine;
    pilot.drive(carAt(300, 0, 30, "3", 4000), 0.003f, onLine);
    pilot.drive(carAt(300, 3, 30, "3", 4000), 0.003f, leftOfLine);
    pilot.drive(carAt(300, -3, 30, "3", 4000), 0.003f, rightOfLine);
    EXPECT_NEAR(onLine.steering, 0.0f, 0.02f);
    EXPECT_GT(leftOfLine.steering, 0.05f);  // positive input steers right
    EXPECT_LT(rightOfLine.steering, -0.05f);
}

TEST_F(AutopilotTest, SpeedProfileSlowsForCornersWithinTheBrakingEnvelope) {
    Autopilot pilot(track);
    float slowest = 1e9f, fastest = 0;
    const float step = 2.0f;
    const float decel = pilot.settings().brakingG * 9.8f;
    for (float s = 0; s < track.length(); s += step) {
        const float v = pilot.targetSpeedAt(s), next = pilot.targetSpeedAt(s + step);
        slowest = std::min(slowest, v);
        fastest = std::max(fastest, v);
        EXPECT_LE(v * v, next * next + 2.0f * decel * step * 1.6f + 1e-3f) << s;
    }
    // The 35 m hairpin at the planned corner grip, the long straights near the cap.
    EXPECT_NEAR(slowest, std::sqrt(pilot.settings().cornerGripG * 9.8f * 35.0f), 0.5f);
    EXPECT_GT(fastest, 60.0f);
}

TEST_F(AutopilotTest, WaitsForTheCarThenShiftsWithSinglePressesAndRespectsTheRevs) {
    Autopilot pilot(track);
    DriverInputs in;
    in.throttle = 1;
    pilot.drive(carAt(100, 0, 0, "N", 800, 1.0f), 0.003f, in);
    EXPECT_EQ(in.throttle, 0);  // the car takes no inputs in its first 3 s
    EXPECT_FALSE(in.shiftUp);
    pilot.drive(carAt(100, 0, 0, "N", 900, 5.0f), 0.003f, in);
    EXPECT_TRUE(in.shiftUp);  // neutral into first
    pilot.drive(carAt(100, 0, 0, "N", 900, 5.1f), 0.003f, in);
    EXPECT_FALSE(in.shiftUp);  // one press, then a pause

    pilot.drive(carAt(300, 0, 30, "2", 6900, 6.0f), 0.003f, in);
    EXPECT_TRUE(in.shiftUp);
    pilot.drive(carAt(300, 0, 10, "3", 2000, 7.0f), 0.003f, in);
    EXPECT_TRUE(in.shiftDown);
    // Braking at 5000 rpm in second: first gear would rev to about 8100.
    Autopilot braking(track);
    DriverInputs b;
    braking.drive(carAt(track.length() - 150, 0, 70, "2", 5000, 8.0f), 0.003f, b);
    EXPECT_FALSE(b.shiftDown);
}

TEST(ScriptDriver, HoldsInputsPressesShiftsOnceAndReportsBadLines) {
    TempDir dir;
    std::ofstream(dir / "run.txt") << "# launch\n0 throttle 1\n0.5 shift up\n\n2 steering -0.25 # turn\n3 brake 0.5\n";
    ScriptDriver script;
    std::string error;
    ASSERT_TRUE(script.load((dir / "run.txt").string(), error)) << error;
    EXPECT_FLOAT_EQ(script.endTime(), 3.0f);

    CarState car;
    DriverInputs in;
    car.time = 0.1f;
    script.drive(car, 0.003f, in);
    EXPECT_EQ(in.throttle, 1.0f);
    EXPECT_FALSE(in.shiftUp);
    car.time = 0.5f;
    script.drive(car, 0.003f, in);
    EXPECT_TRUE(in.shiftUp);
    car.time = 0.503f;
    script.drive(car, 0.003f, in);
    EXPECT_FALSE(in.shiftUp);
    car.time = 3.0f;
    script.drive(car, 0.003f, in);
    EXPECT_EQ(in.throttle, 1.0f);
    EXPECT_EQ(in.steering, -0.25f);
    EXPECT_EQ(in.brake, 0.5f);

    // Lines it cannot use are refused with their number.
    const std::pair<const char*, const char*> cases[] = {
        {"1 throttle 1\n0.5 brake 1\n", ":2: the times must not go backwards"},
        {"0 throttle 1.5\n", ":1: throttle runs from 0 to 1"},
        {"0 horn 1\n", ":1: unknown control 'horn'"},
        {"0 shift sideways\n", ":1: shift takes 'up' or 'down'"},
        {"soon throttle 1\n", ":1: 'soon' is not a time in seconds"},
    };
    for (const auto& [text, message] : cases) {
        std::ofstream(dir / "bad.txt") << text;
        ScriptDriver bad;
        EXPECT_FALSE(bad.load((dir / "bad.txt").string(), error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST(HostProfiler, SumsSectionsInFirstSeenOrder) {
    HostProfiler profiler;
    for (int i = 0; i < 3; ++i) {
        profiler.begin("PHYSICFRAME");
        profiler.begin("DRIVETRAIN");
        profiler.end("DRIVETRAIN");
        profiler.end("PHYSICFRAME");
    }
    profiler.end("GROUNDS");  // an end without its begin counts nothing
    ASSERT_EQ(profiler.sections().size(), 3u);
    EXPECT_EQ(profiler.sections()[0].name, "PHYSICFRAME");
    EXPECT_EQ(profiler.sections()[0].calls, 3u);
    EXPECT_EQ(profiler.sections()[1].calls, 3u);
    EXPECT_EQ(profiler.sections()[2].calls, 0u);
    EXPECT_GE(profiler.sections()[0].totalNs, profiler.sections()[1].totalNs);
}
