// The car base's telemetry: the channels it registers, when it samples and
// what each sample holds, the distance into the lap; the concrete car's
// empty telemetry steps; the tyre temperature file and the status report.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "car/car.h"
#include "car/solvi.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/suspension.h"
#include "chassis/wishbone_suspension.h"
#include "support/car_on_strip.h"
#include "support/temp_dir.h"

namespace {

using TelemetryOnStrip = CarOnStripFixture;

std::vector<std::string> channelNames(const CTelemetry& telemetry) {
    std::vector<std::string> names;
    for (const auto& channel : telemetry.getChannels()) names.push_back(channel->name);
    return names;
}

float last(const CTelemetry& telemetry, const std::string& name) {
    const CTelemetryChannel* channel = telemetry.findChannel(name);
    if (!channel || channel->values.empty()) {
        ADD_FAILURE() << "no sample in " << name;
        return -1;
    }
    return channel->values.back();
}

// A bare car base: no init, no suspension units. It works in a folder of
// its own, where its destructor writes the engine curves.
class BareCar : public ::testing::Test {
protected:
    void SetUp() override { car.setupTelemetry(); }
    TempDir dir;
    WorkIn work{dir.path()};
    CCar car;
};

}  // namespace

TEST_F(BareCar, RegistersItsChannelsAndSamplesOnlyWhileTheCounterIsAboveTheThreshold) {
    EXPECT_EQ(channelNames(car.telemetry),
              (std::vector<std::string>{"LAP_BEACON", "LAP_POS", "EN_INPUT", "EN_RPMS", "GEAR", "CLUTCH", "G_LAT",
                                        "G_LON", "AS_lf", "AS_rf", "AS_lr", "AS_rr", "ST_lf", "ST_rf", "ST_lr",
                                        "ST_rr", "SS_lf", "SS_rf", "SS_lr", "SS_rr", "GC_lf", "GC_rf", "GC_lr",
                                        "GC_rr"}));
    car.recordTelemetry(0.003f);
    for (const auto& channel : car.telemetry.getChannels()) EXPECT_TRUE(channel->values.empty()) << channel->name;

    car.telemetryCounter = 1;
    testing::internal::CaptureStdout();
    car.recordTelemetry(0.003f);
    car.recordTelemetry(0.003f);
    // Every value found its channel: no "Telemetry key ... not found".
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    for (const auto& channel : car.telemetry.getChannels()) EXPECT_EQ(channel->values.size(), 2u) << channel->name;
}

TEST_F(BareCar, SampleHoldsTheCarsValuesAndTheLapDistance) {
    car.lapTimer.lapCount = 4;
    car.carEngine.rpm = 5321;
    car.gearbox.gear = 3;
    car.clutch.engagement = 0.75f;
    car.localAcceleration = {9.8f, 0, -4.9f};
    for (int i = 0; i < 4; ++i) car.wheels[i].angularSpeed = 10.0f * (i + 1);
    car.sampleTelemetry(0.003f);
    const CTelemetry& t = car.telemetry;
    EXPECT_FLOAT_EQ(last(t, "LAP_BEACON"), 4.0f);
    EXPECT_FLOAT_EQ(last(t, "EN_RPMS"), 5321.0f);
    EXPECT_FLOAT_EQ(last(t, "EN_INPUT"), car.carEngine.getThrottleTarget());
    EXPECT_FLOAT_EQ(last(t, "GEAR"), 3.0f);
    EXPECT_FLOAT_EQ(last(t, "CLUTCH"), 0.75f);
    EXPECT_FLOAT_EQ(last(t, "G_LAT"), 1.0f);
    EXPECT_FLOAT_EQ(last(t, "G_LON"), -0.5f);
    const char* suffix[4] = {"lf", "rf", "lr", "rr"};
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(last(t, std::string("AS_") + suffix[i]), 10.0f * (i + 1)) << i;
    // A lap number no earlier sample in this process saw: the first sample
    // comes after a lap change.
    car.lapTimer.lapCount = 7001;
    car.speed = 20.0f;
    const CTelemetryChannel* pos = car.telemetry.findChannel("LAP_POS");
    ASSERT_NE(pos, nullptr);
    car.sampleTelemetry(0.5f);
    car.sampleTelemetry(0.5f);
    car.speed = 10.0f;
    car.sampleTelemetry(0.25f);
    car.lapTimer.lapCount = 7002;
    car.sampleTelemetry(0.5f);
    car.sampleTelemetry(0.5f);
    EXPECT_EQ(pos->values, (std::vector<float>{0.0f, 0.0f, 10.0f, 12.5f, 0.0f, 5.0f}));  // after the sample above
}

// The concrete car records no telemetry; its destructor writes the tyre
// temperature file, when there is a cfg folder.
TEST(ConcreteCar, RecordsNoTelemetryAndWritesEachWheelsTyreTemperatures) {
    TempDir dir;
    WorkIn work(dir.path());
    CCar bare;
    testing::internal::CaptureStdout();
    bare.saveTyreTemperatures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // without a cfg folder: nothing, silently
    EXPECT_FALSE(std::filesystem::exists("cfg/of"));
    std::filesystem::create_directories("cfg");
    testing::internal::CaptureStdout();
    {
        CSolvi car;
        car.setupTelemetry();
        car.telemetryCounter = 5;
        car.recordTelemetry(0.003f);
        EXPECT_TRUE(car.telemetry.getChannels().empty());
        for (int i = 0; i < 4; ++i) {
            car.wheels[i].tempInner = 80.0f + i;
            car.wheels[i].tempMiddle = 85.5f + i;
            car.wheels[i].tempOuter = 90.25f + i;
        }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fileText("cfg/of"),
              "[TEMPS]\n"
              "TEMP_TIRE0_I=80.000000\nTEMP_TIRE0_M=85.500000\nTEMP_TIRE0_O=90.250000\n"
              "TEMP_TIRE1_I=81.000000\nTEMP_TIRE1_M=86.500000\nTEMP_TIRE1_O=91.250000\n"
              "TEMP_TIRE2_I=82.000000\nTEMP_TIRE2_M=87.500000\nTEMP_TIRE2_O=92.250000\n"
              "TEMP_TIRE3_I=83.000000\nTEMP_TIRE3_M=88.500000\nTEMP_TIRE3_O=93.250000\n"
              "\n");
}

// ---------------------------------------------------------------------------
// On the strip, with real suspension units

TEST_F(TelemetryOnStrip, SuspensionChannelsAndTheStatusReportOfTheSpringsAndBars) {
    car->CCar::setupTelemetry();
    car->telemetryCounter = 1;
    DriverInputs in;
    drive(1.0f, in);
    car->CCar::recordTelemetry(kDt);
    const char* suffix[4] = {"lf", "rf", "lr", "rr"};
    for (int i = 0; i < 4; ++i) {
        const auto* unit = dynamic_cast<const CWishboneSuspension*>(car->suspension[i]);
        ASSERT_NE(unit, nullptr);
        EXPECT_FLOAT_EQ(last(car->telemetry, std::string("ST_") + suffix[i]), unit->deflection) << i;
        EXPECT_FLOAT_EQ(last(car->telemetry, std::string("SS_") + suffix[i]), unit->damperSpeed) << i;
        EXPECT_FLOAT_EQ(last(car->telemetry, std::string("GC_") + suffix[i]), car->clearance[i]) << i;
    }
    EXPECT_NE(last(car->telemetry, "ST_lf"), 0.0f);  // the car sits on its springs
    // The status report prints the springs and the bars.
    car->suspension[0]->springRate = 40000.0f;
    car->suspension[3]->springRate = 61000.0f;
    car->antiRollFront->stiffness = 12000.0f;
    car->antiRollRear->stiffness = 8000.5f;
    testing::internal::CaptureStdout();
    car->printStatusReport();
    const std::string printed = testing::internal::GetCapturedStdout();
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "SPRINGS:\nLF=10000.000000\nRF=%f\nLR=%f\nRR=15250.000000\nARB:\nFRONT=12000.000000\n"
                  "REAR=8000.500000\n",
                  car->suspension[1]->springRate * 0.25f, car->suspension[2]->springRate * 0.25f);
    EXPECT_EQ(printed, expected);
}

