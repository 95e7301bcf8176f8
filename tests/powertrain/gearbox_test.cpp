// Ratio nodes and the gearbox: speed, inertia and torque converted through a
// ratio, and timed shifts told to a listener. Neutral cutting the path is
// shown on the assembled drivetrain.

#include "powertrain/gearbox.h"

#include <gtest/gtest.h>

#include "powertrain/drivetrain.h"
#include "powertrain/shift_listener.h"

namespace {

TEST(RatioNodeTest, FinalDriveConvertsSpeedInertiaAndTorque) {
    CDrivetrain drivetrain;
    CGearNode gearboxSide(&drivetrain), differentialSide(&drivetrain);
    CRatioNode finalDrive(&drivetrain);
    differentialSide.inertia = 2.0f;
    finalDrive.inertia = 0.0f;
    finalDrive.setRatio(3.36f, 1.0f);
    drivetrain.connect(&gearboxSide, &finalDrive);
    drivetrain.connect(&finalDrive, &differentialSide);
    differentialSide.speed = 10.0f;
    EXPECT_FLOAT_EQ(finalDrive.getSpeed(&gearboxSide), 33.6f);
    EXPECT_FLOAT_EQ(gearboxSide.getInertia(&gearboxSide, 1.0f), 1.0f + 2.0f / (3.36f * 3.36f));
    // What the gearbox side hands on leaves multiplied by 3.36.
    differentialSide.speed = 0.0f;
    drivetrain.queueTorque(&gearboxSide, 50.0f, 0);
    drivetrain.applyQueuedTorques(0.1f);
    const float handedOn = 50.0f - gearboxSide.inertia * gearboxSide.speed / 0.1f;
    EXPECT_NEAR(differentialSide.lastTorque, 3.36f * handedOn, 1e-3f);
    EXPECT_NEAR(differentialSide.speed, gearboxSide.speed / 3.36f, 1e-5f);
}

class CountingListener : public IShiftListener {
public:
    void unusedSlot0() override {}
    void shiftFinished() override { ++finished; }
    void shiftStarted() override { ++started; }
    int started = 0, finished = 0;
};

class GearboxTest : public testing::Test {
protected:
    GearboxTest() {
        gearbox.addGear(-3.0f, 1.0f, "R");
        gearbox.addGear(0.0f, 0.0f, "N");
        gearbox.addGear(2.88f, 1.0f, "1");
        gearbox.addGear(1.77f, 1.0f, "2");
        gearbox.selectNextGear();  // neutral
        gearbox.setShiftListener(&listener);
        drivetrain.connect(&input, &gearbox);
        drivetrain.connect(&gearbox, &output);
        output.speed = 10.0f;
    }
    CDrivetrain drivetrain;
    CGearNode input{&drivetrain}, output{&drivetrain};
    CGearbox gearbox{&drivetrain};
    CountingListener listener;
};

TEST_F(GearboxTest, TimedShiftChangesRatioAtOnceAndTellsTheListener) {
    gearbox.shiftTime = 0.35f;
    gearbox.shiftUp();
    EXPECT_EQ(listener.started, 1);
    EXPECT_FLOAT_EQ(input.speed, 28.8f);  // offered the speed of first gear
    gearbox.shiftUp();                    // ignored while shifting
    EXPECT_EQ(gearbox.gear, 2u);
    for (int i = 0; i < 34; ++i) gearbox.step(0.01f);
    EXPECT_EQ(listener.finished, 0);
    gearbox.step(0.011f);
    EXPECT_EQ(listener.finished, 1);
    // At either end the gear stays but the timed shift still runs.
    for (int i = 0; i < 2; ++i) gearbox.shiftUp(), gearbox.step(0.35f);
    EXPECT_EQ(gearbox.gear, 3u);
    for (int i = 0; i < 4; ++i) gearbox.shiftDown(), gearbox.step(0.35f);
    EXPECT_EQ(gearbox.getGearName(), "R");
    EXPECT_EQ(listener.finished, 7);
}

}  // namespace
