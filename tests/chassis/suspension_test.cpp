#include "chassis/wishbone_suspension.h"

#include <gtest/gtest.h>

#include <cmath>

#include "car/physics_world.h"
#include "chassis/anti_roll_bar.h"

namespace {

constexpr float kDt = 0.003f;
constexpr float kAxle = 1.137f;

Vector3 vec(const dReal* v) { return Vector3{float(v[0]), float(v[1]), float(v[2])}; }

void expectVec(const Vector3& v, const Vector3& e, float tol) {
    EXPECT_NEAR(v.x, e.x, tol);
    EXPECT_NEAR(v.y, e.y, tol);
    EXPECT_NEAR(v.z, e.z, tol);
}

// A suspension rig: the chassis held still at (10, 1, -5) in a weightless
// world, corners hung on it as the car hangs them, and a plunger that moves
// a hub up or down.
class SuspensionRig : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dInitODE2(0);
        dAllocateODEDataForThread(dAllocateMaskAll);
    }
    static void TearDownTestSuite() { dCloseODE(); }
    void SetUp() override {
        physics.create();
        physics.setGravity({0, 0, 0});
        chassis.attach(&physics);
        chassis.setMassBox(1150.0f, 1.2f, 0.7f, 3.4f);
        chassis.setPosition(10.0f, 1.0f, -5.0f);
        dBodySetKinematic(chassis.body);  // forces still accumulate; nothing moves it
    }

    // The car's corner: 148000 N/m on the wishbone 0.2 m below its top,
    // 0.03 m preload, 30° stops (limits false keeps the default stops).
    void hang(CWishboneSuspension& unit, int wheel, float springHeight = 0.2f, bool limits = true) {
        unit.attachToCar(&chassis, &physics, nullptr, &parked);
        unit.springRate = 148000.0f;
        if (limits) {
            unit.setParam(39, 0.5235988f);
            unit.setParam(43, 0.5235988f);
        }
        unit.setParam(106, springHeight);
        unit.setParam(28, 0.03f);
        unit.placeCorner(WishboneLayout{}, wheel, kAxle);
        unit.build();
    }

    // Moves the hub centre dy metres over 50 steps, then one step at `speed`
    // m/s, leaving it moving so (0: at rest); forces are cleared first.
    void push(CWishboneSuspension& unit, float dy, float speed = 0.0f) {
        for (CRigidBody* b : {&chassis, static_cast<CRigidBody*>(&unit), &unit.arm0, &unit.arm1}) {
            dBodySetForce(b->body, 0, 0, 0);
            dBodySetTorque(b->body, 0, 0, 0);
        }
        dJointID plunger = dJointCreateLMotor(physics.world, nullptr);
        dJointAttach(plunger, unit.body, nullptr);
        dJointSetLMotorNumAxes(plunger, 1);
        dJointSetLMotorAxis(plunger, 0, 0, 0, 1, 0);
        dJointSetLMotorParam(plunger, dParamFMax, 1e4);
        dJointSetLMotorParam(plunger, dParamVel, dy / (50 * kDt));
        for (int i = 0; i < 50; ++i) physics.step(kDt);
        dJointSetLMotorParam(plunger, dParamVel, speed);
        physics.step(kDt);
        dJointDestroy(plunger);
        unit.updateFrames();
    }

    // Spring axis from the wishbone's centre to the top mount, from the bodies.
    Vector3 springAxis(const CWishboneSuspension& unit) const { return (top(unit) - unit.arm1.getPosition()).normalised(); }
    Vector3 top(const CWishboneSuspension& unit) const {
        dVector3 w;
        dBodyGetRelPointPos(chassis.body, unit.topMount.x, unit.topMount.y, unit.topMount.z, w);
        return vec(w);
    }
    // Force along the spring axis on the chassis after one force step (> 0 lifts it).
    float chassisPush(CWishboneSuspension& unit) {
        dBodySetForce(chassis.body, 0, 0, 0);
        unit.stepForces(kDt);
        return dot(vec(dBodyGetForce(chassis.body)), springAxis(unit));
    }

    CPhysicsWorld physics;
    CRigidBody chassis;
    int parked = 0;
};

// Hub at the wheel centre, arms half-way along their pivots, spring top 0.2 m
// above the wishbone's centre; the right corner mirrors the left and gets
// the stops the other way round.
TEST_F(SuspensionRig, BuildPlacesTheCornerOnTheChassis) {
    CWishboneSuspension left, right;
    testing::internal::CaptureStdout();
    hang(left, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "sh=0.200000\narmsize[0]=0.300666\narmsize[1]=0.410487\nrestLength=0.230000 springHeight=0.200000\n");
    hang(right, 1, 0.2f, false);
    expectVec(left.getPosition(), {10.8f, 1.06f, -5.0f + kAxle}, 1e-5f);
    expectVec(right.getPosition(), {9.2f, 1.06f, -5.0f + kAxle}, 1e-5f);
    expectVec(left.arm1.getPosition(), {10.445f, 0.95f, -3.863f}, 1e-5f);
    expectVec(left.arm1.matrix.xAxis(), {0.998811f, -0.048723f, 0}, 1e-5f);  // along its pivots
    expectVec(right.arm0.matrix.xAxis(), {-0.997785f, 0.066519f, 0}, 1e-5f);
    expectVec(left.hubPoint, {0.8f, 0.06f - 0.11f, kAxle}, 1e-5f);
    EXPECT_EQ(left.getUnsprungMass(), 28.0f);
    EXPECT_NEAR(dJointGetHingeParam(left.joints[2], dParamLoStop), -0.5235988, 1e-7);  // side > 0: [-A, B]
    EXPECT_NEAR(dJointGetHingeParam(right.joints[2], dParamLoStop), -0.017453292, 1e-7);  // side < 0: [-B, A]
    EXPECT_NEAR(dJointGetHingeParam(right.joints[2], dParamHiStop), 0.17453292, 1e-7);
}

// With the default stops (10° one way, 1° the other) the wide stop is on the
// bump side of either corner; the short upper link tilts the top of the wheel
// inboard in bump and outboard in droop.
TEST_F(SuspensionRig, TravelStopsAndCamber) {
    for (int wheel : {0, 1}) {
        CWishboneSuspension unit;
        hang(unit, wheel, 0.2f, false);
        const float inboard = wheel == 0 ? -1.0f : 1.0f;
        push(unit, 0.05f);
        EXPECT_NEAR(unit.getPosition().y, 1.11f, 0.002f) << wheel;
        EXPECT_GT(unit.matrix.yAxis().x * inboard, 0.01f) << wheel;
        push(unit, -0.10f);
        EXPECT_GT(unit.getPosition().y, 1.06f - 0.012f) << wheel;
    }
    CWishboneSuspension unit;
    hang(unit, 0);
    push(unit, -0.06f);
    EXPECT_GT(unit.matrix.yAxis().x, 0.01f);
}

// Spring on the wishbone, half-way along it, so it moves half as far as the
// hub: rate × compression along its axis, pushing the chassis at the top
// mount and the wishbone back. Outside [bumpMinLength, bumpMaxLength] the
// bump rate takes over for as long as the spring stays there.
TEST_F(SuspensionRig, SpringAndBumpStopOverTheTravel) {
    CWishboneSuspension unit;
    hang(unit, 0);
    testing::internal::CaptureStdout();
    push(unit, 0.05f);
    push(unit, -0.1f);  // both ends of the travel in the default window
    unit.stepForces(kDt);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    unit.setParam(40, 0.18f);  // 0.20 m at design
    unit.setParam(41, 0.21f);
    unit.setParam(42, 250000.0f);
    // Hub travel from design: droop past the stop, design, bump inside, bump past.
    const struct {
        float hub, spring, rate;
    } cases[] = {{-0.05f, 0.225f, 250000}, {0.0f, 0.2f, 148000}, {0.035f, 0.1825f, 148000}, {0.05f, 0.175f, 250000}};
    float at = -0.05f;
    for (const auto& c : cases) {
        push(unit, c.hub - at);
        at = c.hub;
        testing::internal::CaptureStdout();
        const float force = chassisPush(unit);
        const bool stopped = testing::internal::GetCapturedStdout().rfind("*** BUMP STOP ", 0) == 0;
        EXPECT_NEAR(unit.springLength, c.spring, 0.0025f) << c.hub;
        EXPECT_NEAR(force, c.rate * (0.23f - unit.springLength), 1.0f) << c.hub;
        EXPECT_EQ(stopped, c.rate == 250000) << c.hub;
        expectVec(vec(dBodyGetForce(unit.arm1.body)), -1.0f * vec(dBodyGetForce(chassis.body)), 1e-3f);
    }
    EXPECT_NEAR(unit.maxLength - unit.minLength, 0.05f, 0.005f);
    unit.recordLength(kDt);
    EXPECT_EQ(unit.getRestLength(), unit.springLength);
}

// With springHeight 0 the spring runs to the hub's seat (0, -0.08, 0) while
// the reaction lands on the hub at (0, -0.11, 0).
TEST_F(SuspensionRig, SpringOnTheHub) {
    CWishboneSuspension unit;
    hang(unit, 0, 0.0f);
    push(unit, 0.03f);
    unit.stepForces(kDt);
    dVector3 seat, load;
    dBodyGetRelPointPos(unit.body, 0, -0.08, 0, seat);
    dBodyGetRelPointPos(unit.body, 0, -0.11, 0, load);
    const Vector3 d = top(unit) - vec(seat);
    const Vector3 f = d.normalised() * (148000.0f * (unit.restLength - d.length()));
    expectVec(vec(dBodyGetForce(chassis.body)), f, 0.05f);
    expectVec(vec(dBodyGetForce(unit.body)), -1.0f * f, 0.05f);
    expectVec(vec(dBodyGetTorque(unit.body)), cross(vec(load) - unit.getPosition(), -1.0f * f), 0.05f);
}

// Bump (spring shortening) uses the compression rate, rebound the extension
// rate; a parked car gets half the damper force.
TEST_F(SuspensionRig, DamperRateDependsOnDirection) {
    CWishboneSuspension unit;
    hang(unit, 0);
    unit.springRate = 0.0f;
    unit.dampExtension = 6000.0f;
    unit.dampCompression = 12000.0f;
    const struct {
        float hubSpeed;
        int parked;
        float rate;
    } cases[] = {{0.4f, 0, 12000.0f}, {-0.4f, 0, 6000.0f}, {0.4f, 3, 6000.0f}, {-0.4f, 400, 3000.0f}};
    for (const auto& c : cases) {
        push(unit, 0.0f, c.hubSpeed);
        parked = c.parked;
        const float push = chassisPush(unit);
        const float v = -dot(unit.arm1.getVelocity(), springAxis(unit));  // the chassis stands still
        EXPECT_NEAR(unit.damperSpeed, v, 1e-6f);
        EXPECT_NEAR(std::fabs(v), 0.2f, 0.02f);  // the wishbone's centre: half the hub's speed
        EXPECT_EQ(unit.compressing, c.hubSpeed > 0);
        EXPECT_NEAR(push, -v * c.rate, 0.01f) << c.hubSpeed << " " << c.parked;
    }
}

// stiffness × the hubs' height difference, half from each side: the chassis
// pushed up over the higher hub and down over the lower, a roll moment only.
TEST_F(SuspensionRig, AntiRollBarOpposesTheHeightDifference) {
    CWishboneSuspension left, right;
    hang(left, 0);
    hang(right, 1);
    left.springRate = right.springRate = 0.0f;
    CAntiRollBar bar;
    bar.connect(&right, &left);
    bar.stiffness = 8500.0f;
    left.stepForces(kDt);  // level hubs
    expectVec(left.antiRollForce, {0, 0, 0}, 0);
    push(left, 0.03f);
    left.stepForces(kDt);
    right.stepForces(kDt);
    const float dy = left.getPosition().y - right.getPosition().y;
    EXPECT_NEAR(dy, 0.03f, 0.001f);
    expectVec(left.antiRollForce, {0, -4250.0f * dy, 0}, 1e-3f);
    expectVec(right.antiRollForce, {0, 4250.0f * dy, 0}, 1e-3f);
    expectVec(vec(dBodyGetForce(chassis.body)), {0, 0, 0}, 1e-3f);
    const Vector3 c = chassis.getPosition();
    const Vector3 roll = cross(left.getPosition() - c, -1.0f * left.antiRollForce) +
                         cross(right.getPosition() - c, -1.0f * right.antiRollForce);
    expectVec(vec(dBodyGetTorque(chassis.body)), roll, 0.01f);
    EXPECT_GT(roll.z, 0.0f);  // lifts the left (+x) side
    bar.stiffness = 0.0f;  // a bar never given a rate
    left.stepForces(kDt);
    expectVec(left.antiRollForce, {0, 0, 0}, 0);
}

// Reset puts hub and arms back at their design place on the chassis's new
// pose, turned with it, at rest.
TEST_F(SuspensionRig, ResetPlacesTheHubOnTheMovedChassis) {
    CWishboneSuspension unit;
    hang(unit, 0);
    push(unit, 0.05f, 0.3f);
    chassis.setPosition(-20.0f, 2.0f, 7.0f);
    chassis.setRotation({1, 0, 0}, {0, 1, 0});  // facing world +x: its side axis is world -z
    testing::internal::CaptureStdout();
    unit.reset({-20, 2, 7}, {1, 0, 0});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "reset\n");
    expectVec(unit.getPosition(), {-20.0f + kAxle, 2.06f, 7.0f - 0.8f}, 1e-5f);
    expectVec(unit.matrix.xAxis(), {0, 0, -1}, 1e-5f);
    expectVec(unit.arm1.getPosition(), {-20.0f + kAxle, 1.95f, 7.0f - 0.445f}, 1e-5f);
    expectVec(unit.arm1.matrix.xAxis(), {0, -0.048723f, -0.998811f}, 1e-5f);
    expectVec(unit.getVelocity() + unit.arm1.getVelocity(), {0, 0, 0}, 0);
    unit.stepForces(kDt);
    EXPECT_NEAR(unit.springLength, 0.2f, 1e-5f);
}

}  // namespace
