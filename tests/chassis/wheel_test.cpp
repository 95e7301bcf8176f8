#include "chassis/wheel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kDt = 0.003f;  // the host's step; the spin is explicit Euler

void fill(CCurve& c, std::initializer_list<std::pair<float, float>> points) {
    for (const auto& [x, y] : points) c.addValue(x, y);
}

// The car's curves, 0.3 m radius, 3000 N on level tarmac.
void setUpWheel(CWheel& w) {
    fill(w.temperatureGripCurve, {{-10, 0.2f}, {15, 0.9f}, {25, 0.95f}, {35, 0.97f}, {50, 0.99f},
                                  {70, 1.0f}, {90, 1.0f}, {95, 0.99f}, {100, 0.9f}});
    fill(w.wearGripCurve, {{0, 0.96f}, {100, 1.0f}, {1000, 0.98f}, {3000, 0.95f}, {6000, 0.82f}});
    fill(w.skidAngleCurve, {{0, 0}, {4, 0.1f}, {6, 0.3f}, {7, 0.6f}, {10, 1.0f}});
    w.radius = 0.3f;
    w.groundNormal = {0, 1, 0};
    w.load = 3000.0f;
    w.inContact = true;
}

class WheelTest : public ::testing::Test {
protected:
    void SetUp() override { setUpWheel(w); }
    // Ground passing at vz (and vx) m/s, the wheel turning at omega rad/s.
    void roll(float vz, float omega, float vx = 0.0f) {
        w.setContactVelocity({vx, 0.7f, vz});
        w.angularSpeed = omega;
    }
    void run(int steps, float speed) {
        for (int i = 0; i < steps; ++i) w.step(kDt, 26.0f, speed);
    }
    CWheel w;
};

TEST_F(WheelTest, AtRestNoSlipAndTheBrakeHolds) {
    roll(0, 0);
    run(1, 0.0f);
    EXPECT_EQ(w.slipRatio, 0.0f);
    EXPECT_EQ(w.slipAngle, 0.0f);
    EXPECT_EQ(w.contactVelocity.y, 0.0f);
    EXPECT_EQ(std::fabs(w.brakeTorque), 2.0f);  // a released brake still drags 2 N·m
    // Crawling: a brake stronger than the rest stops the wheel, never reverses it.
    w.inContact = false;
    w.angularSpeed = 0.5f;
    for (int i = 0; i < 2; ++i) {
        w.brakeTorque = 500.0f;
        run(1, 1.0f);
        EXPECT_NEAR(w.angularSpeed, 0.0f, 1e-6f);
    }
}

TEST_F(WheelTest, SpinBalancesTyreRollingAndBrakeTorques) {
    // Spinning 10 % fast, as a drive torque leaves it: the tyre's forward
    // push slows the wheel, with rolling resistance and the brake.
    roll(20, 20 * 1.1f / 0.3f);
    const float omega = w.angularSpeed;
    w.brakeTorque = 100.0f;
    run(1, 20.0f);
    EXPECT_GT(w.forceLong, 1000.0f);
    const float rolling = 3000.0f * 0.3f * (400.0f * 7.5e-6f + 0.013f);
    EXPECT_NEAR(w.wheelTorque, rolling + w.forceLong * 0.3f + 100.0f, 1e-2f);
    EXPECT_NEAR(w.angularSpeed, omega - w.wheelTorque / w.inertia * kDt, 1e-4f);
    // Braked 10 % slow: the tyre's backward force spins it up against the brake.
    roll(20, 20 * 0.9f / 0.3f);
    w.brakeTorque = 100.0f;
    run(1, 20.0f);
    EXPECT_LT(w.forceLong, -1000.0f);
    EXPECT_GT(w.angularSpeed, 60.0f);
}

TEST_F(WheelTest, BrakeIsRaisedAtLowSpinFadesAtStandstillAndTheAngleWraps) {
    w.inContact = false;
    // ω, brake in, brake used: raised by 20/|ω| up to twice, above 50 N·m only.
    for (const auto& c : {std::array{15.f, 300.f, 400.f}, {5.f, 300.f, 600.f}, {15.f, 40.f, 40.f}, {25.f, 300.f, 300.f}}) {
        roll(0, c[0]);
        w.brakeTorque = c[1];
        run(1, 20.0f);
        EXPECT_FLOAT_EQ(w.brakeTorque, c[2]) << c[0] << " rad/s";
    }
    roll(0, 2.0f);  // at speed and |ω| ≤ 3 it fades with ω
    w.prevAngularSpeed = 2.0f;
    w.brakeTorque = 20.0f;
    run(1, 20.0f);
    EXPECT_FLOAT_EQ(w.brakeTorque, 20.0f * 2.0f / 3.0f);
    EXPECT_TRUE(w.directionFlag);
    // The turned angle wraps; direction changes are flagged.
    w.inContact = false;
    w.rotationAngle = 6.2f;
    roll(0, 30);
    w.prevAngularSpeed = 30.0f;
    run(1, 5.0f);
    EXPECT_NEAR(w.rotationAngle, 6.2f + kDt * w.angularSpeed - 6.2831855f, 1e-5f);
    EXPECT_FALSE(w.directionFlag);
    w.angularSpeed = -10.0f;
    run(1, 5.0f);
    EXPECT_TRUE(w.directionFlag);
}

TEST_F(WheelTest, SlipRatioAndFoldedSlipAngle) {
    w.inContact = false;
    const float a = std::atan(0.1f) * 57.29578f;  // 5.71°
    // vx, vz, ω·r → slip ratio, slip angle (sliding backwards folds past 90°)
    for (const auto& c : {std::array{1.f, 10.f, 11.f, 0.1f, -a}, {-1.f, 10.f, 10.f, 0.f, a},
                          {1.f, -10.f, 10.f, 2.f, -a}, {1.f, -10.f, -11.f, -0.1f, -a},
                          {10.f, 0.f, 1.f, 0.f, -90.f}, {10.f, -1.f, 3.f, 4.f, a - 90}, {-10.f, -1.f, 3.f, 4.f, 90 - a}}) {
        roll(c[1], c[2] / 0.3f, c[0]);
        run(1, 10.0f);
        EXPECT_NEAR(w.slipRatio, c[3], 1e-5f) << c[0] << " " << c[1];
        EXPECT_NEAR(w.slipAngle, c[4], 1e-3f) << c[0] << " " << c[1];
    }
}

// One step of 0.1 s from the ambient 26 degrees, so that the tyre's own
// cooling is nil and T' = 26 + (Q - 26) * 0.5 / heatMass 2 * 0.1: the heat
// input Q shows exactly. The wheel is heavy enough (1e6 kg m2) to keep its
// 12 rad/s through the step; radius 0.25, so the tread moves at 3 m/s like
// the ground below it. Grip curves flat at 1, no skid-angle curve.
// Airborne, 0.75 m/s across: slip speed 0.75, skid 0.05; Q = 12 * 0.79 +
// 195 * 0.05 = 19.23, times the speed below 1 m/s, a tenth on sand.
// In contact at 2450 N, 5 degrees (0.262466 m/s across): |Fy| = 2518.44
// (the tyre's worked point) times the grip 1 - 0.1 dirt; skid 0.0174977;
// Q = |Fy| 0.082 min(speed / 30, 1) + 9.48 + 195 * 0.0174977.
// Afterwards the skid level takes the load factor 4900 / 2450 * 0.4 + 0.6 =
// 1.4 (airborne at 4900 N) or 1, and wear grows by (skid * 0.02 + 0.01) *
// 0.1 * 12; dirt by 0.012 on gravel or by -0.0024 on tarmac.
TEST(WheelHeatTest, OneStepOfHeatWearAndDirt) {
    const struct {
        const char* what;
        bool contact;
        int kind;
        float carSpeed, dirt, temperature, forceLat, skid, wear, dirtAfter;
    } cases[] = {
        {"airborne", false, 0, 2.0f, 0, 25.83075f, 0, 0.07f, 0.01368f, 0},
        {"airborne creeping", false, 0, 0.5f, 0, 25.590375f, 0, 0.07f, 0.01368f, 0},
        {"airborne reversing", false, 0, -0.5f, 0, 25.109625f, 0, 0.07f, 0.01368f, 0},
        {"airborne over sand", false, 3, 2.0f, 0, 25.398075f, 0, 0.07f, 0.01368f, 0},
        {"half the heat speed", true, 0, 15.0f, 0, 28.253702f, 2518.44f, 0.0174977f, 0.01241995f, 0},
        {"past the heat speed", true, 0, 60.0f, 0, 30.835103f, 2518.44f, 0.0174977f, 0.01241995f, 0},
        {"dirty tread", true, 0, 60.0f, 0.5f, 30.576963f, 2392.52f, 0.0174977f, 0.01241995f, 0.4976f},
        {"on gravel", true, 1, 60.0f, 0, 25.898510f, 2518.44f, 0.0174977f, 0.01241995f, 0.012f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWheel w;
        w.temperatureGripCurve.addValue(0, 1);
        w.wearGripCurve.addValue(0, 1);
        w.radius = 0.25f;
        w.inertia = 1e6f;
        w.groundNormal = {0, 1, 0};
        w.temperature = 26.0f;
        w.inContact = c.contact;
        w.surfaceKind = c.kind;
        w.dirt = c.dirt;
        w.load = c.contact ? 2450.0f : 4900.0f;
        w.setContactVelocity({c.contact ? 0.2624660f : 0.75f, 0, 3});
        w.angularSpeed = 12.0f;
        w.step(0.1f, 26.0f, c.carSpeed);
        EXPECT_NEAR(w.temperature, c.temperature, 5e-4f);
        EXPECT_NEAR(std::fabs(w.forceLat), c.forceLat, 0.1f);
        EXPECT_NEAR(w.skidLevel, c.skid, 1e-6f);
        EXPECT_NEAR(w.wear, c.wear, 1e-7f);
        EXPECT_NEAR(w.dirt, c.dirtAfter, 1e-7f);
    }
}

TEST_F(WheelTest, WearDirtAndFlatSpotPerRadianTurned) {
    w.surfaceKind = 1;
    roll(15, 50.0f);
    run(100, 15.0f);  // 15 rad rolling freely on gravel
    EXPECT_NEAR(w.wear, 0.01f * 15.0f, 1e-3f);
    EXPECT_NEAR(w.dirt, 0.01f * 15.0f, 1e-3f);
    w.surfaceKind = 0;
    run(100, 15.0f);  // cleaned on tarmac
    EXPECT_NEAR(w.dirt, 0.15f - 0.002f * 15.0f, 1e-3f);
    const float dirt = w.dirt;
    w.inContact = false;
    w.surfaceKind = 3;
    run(100, 15.0f);  // in the air over sand
    EXPECT_EQ(w.dirt, dirt);
    w.surfaceKind = 0;
    // Locked at 20 m/s on tarmac (lifted, so nothing turns it): 0.01 per
    // second above 10 m/s, capped at 1.
    roll(20, 0);
    run(1000, 9.9f);
    EXPECT_EQ(w.flatSpot, 0.0f);
    run(1000, 20.0f);
    EXPECT_NEAR(w.flatSpot, 0.03f, 1e-5f);
    w.flatSpot = 0.999f;
    run(1000, 20.0f);
    EXPECT_EQ(w.flatSpot, 1.0f);
    roll(20, 20 / 0.3f);
    run(100, 20.0f);  // 20 rad rolling wears it round again
    EXPECT_NEAR(w.flatSpot, 1.0f - 0.001f * 20.0f, 1e-3f);
}

TEST_F(WheelTest, CamberAndTreadTemperatureSpread) {
    CSceneFrame hub;  // the visual wheel frame the car tilts and steers
    hub.addChild(&w);
    hub.matrix = Matrix4::rotationZ(3.0f * 0.017453292f);
    roll(10, 10 / 0.3f);
    run(1000, 10.0f);
    EXPECT_NEAR(w.camber, -3.0f, 1e-3f);
    EXPECT_NEAR(w.tempInner, w.temperature * 1.001f, 1e-4f);  // bias follows at 1e-6 a step
    EXPECT_NEAR(w.tempOuter, w.temperature * 0.999f, 1e-4f);
    hub.matrix = Matrix4::rotationY(0.4f);  // steering alone is no camber
    run(1, 10.0f);
    EXPECT_NEAR(w.camber, 0.0f, 1e-4f);
}

TEST(WheelPartsTest, InertiaFromPartMassesAndRpm) {
    CWheel w;
    w.radius = 0.327f;
    w.partMasses[0] = 11.0f, w.partMasses[1] = 12.0f, w.partMasses[2] = 7.0f;
    testing::internal::CaptureStdout();
    w.computeInertia();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "**** AI=1.603935 ***** \n");
    w.angularSpeed = -100.0f;
    EXPECT_NEAR(w.getRpm(), -954.9297f, 1e-3f);
}

}  // namespace
