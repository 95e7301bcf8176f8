#pragma once
// Double-wishbone corner: the hub (this body), a link held by ball joints at
// both ends (arm0) and a wishbone hinged to the chassis and to the hub about
// the car's long axis (arm1). The joints set camber and track change over
// the travel; spring, damper, bump stop and anti-roll forces are computed
// here each step. Steering the hub, bushing compliance and arm drawing are
// left out: the wheel frames steer, the joints are rigid.

#include <ode/ode.h>

#include "chassis/rigid_body.h"
#include "chassis/suspension.h"
#include "chassis/vector3.h"

// The pivots of a left corner (+x) in chassis coordinates, metres, forward
// position aside; a right corner mirrors x. The defaults suit a sports car of
// 1.6 m track: wheel centres 0.80 m out, ball joints 0.15 m inside the wheel,
// a short upper link over a long wishbone, the two lines meeting about 2.2 m
// inboard. The wheel gains negative camber in bump (about 0.45 rad per metre
// of travel) and the roll centre sits about 0.11 m above the ground.
struct WishboneLayout {
    float hubX = 0.80f, hubY = 0.06f;                     // wheel centre
    float upperChassisX = 0.34f, upperChassisY = 0.16f;   // arm0, chassis end
    float upperHubX = 0.64f, upperHubY = 0.18f;           // arm0, hub end
    float lowerChassisX = 0.24f, lowerChassisY = -0.04f;  // arm1, chassis end
    float lowerHubX = 0.65f, lowerHubY = -0.06f;          // arm1, hub end
    float springTopX = 0.66f, springTopY = 0.40f;         // spring top when it acts on the hub
};

class CWishboneSuspension : public CSuspension {
public:
    CWishboneSuspension();
    ~CWishboneSuspension() override;

    void setAngularVelocity(const Vector3& w) override;  // hub and both arms, rad/s
    void setLinearVelocity(const Vector3& v) override;   // hub and both arms, m/s
    float getUnsprungMass() override;                    // 2 · armMass + hubMass
    // Prints "reset", then orients the hub like the chassis and places hub
    // and arms at their design place from the chassis's current pose; the
    // joints are kept.
    void reset(const Vector3& position, const Vector3& direction) override;
    // Ids 21–23, 25, 26, 28, 39–43, 105, 106 (see the fields); others ignored.
    void setParam(int id, float value) override;
    // Ids 27 topMount, 100–104 pivots and hub; 24 and 28–38 drawing points.
    void setParamVector(int id, const Vector3& v) override;
    void unusedOperation() override {}
    // Creates hub and arms in the world given to attachToCar (else the
    // chassis's), masses, design placement, the four joints and the spring's
    // rest length. Call once, after the parameters and the chassis.
    void build() override;
    // Adds spring, damper, bump-stop and anti-roll forces to the chassis and
    // the hub (or arm1) for the coming world step.
    void stepForces(float dt) override;
    float getRestLength() override { return displayLength; }
    void recordLength(float dt) override;  // displayLength = springLength
    void updateFrames() override;

    // Sets side and the pivots, hub and spring top of wheel 0–3 (even = left,
    // +x) with the axle at axleZ metres along the chassis Z axis.
    void placeCorner(const WishboneLayout& layout, int wheelIndex, float axleZ);

    CRigidBody arm0;  // upper link, ball joints at both ends
    CRigidBody arm1;  // wishbone, hinged at both ends; carries the spring when springHeight ≠ 0
    float armMass = 4.0f;    // kg, each arm
    float hubMass = 20.0f;   // kg
    float maxLength = -1000.0f;  // longest spring length seen, m
    float minLength = 1000.0f;   // shortest spring length seen, m
    float damperSpeed = 0.0f;    // spring-axis velocity of the last step, m/s (> 0 lengthening)
    float springLength = 0.0f;   // m, last step
    float displayLength = 0.0f;  // m, kept by recordLength
    float bumpMinLength = -5.8f;   // spring length below which the bump stop acts, m
    float bumpMaxLength = 5.135f;  // spring length above which the bump stop acts, m
    float bumpRate = 200000.0f;    // N/m while in a bump stop
    float side = 0.0f;             // < 0: arm1's chassis hinge limits run the other way
    float armsize[2] = {0.0f, 0.0f};  // m, lengths of arm0 and arm1 (build computes them)
    float drawingValues[2] = {0.0f, 0.0f};  // ids 25 and 26, for drawing the arms
    float springPreload = 0.06f;   // m added to the geometric spring length to give restLength
    float hingeLimitA = 0.17453292f;   // rad, stop of arm1's chassis hinge
    float hingeLimitB = 0.017453292f;  // rad, stop the other way
    Vector3 topMount{0, 0, 0};     // spring top, chassis coordinates
    Vector3 bottomMount{0, 0, 0};  // spring bottom, hub coordinates ((0, -0.08, 0) once built)
    float restLength = 0.0f;       // m, spring length giving no force
    Vector3 pivot0Chassis{0, 0, 0};  // arm0 chassis end, chassis coordinates
    Vector3 pivot1Chassis{0, 0, 0};  // arm1 chassis end
    Vector3 pivot0Hub{0, 0, 0};      // arm0 hub end, design position
    Vector3 pivot1Hub{0, 0, 0};      // arm1 hub end, design position
    Vector3 hubPosition{0, 0, 0};    // hub centre, design position
    Vector3 hubPoint{0, 0, 0};       // hub point (0, -0.11, 0) in chassis coordinates, at build
    float springHeight = 0.0f;     // 0: spring on the hub; else on arm1, top this far above its centre, m
    bool enabledFlag = true;       // stored by id 105; nothing reads it
    Vector3 antiRollForce{0, 0, 0};  // N, world, the bar's share of the last step
    Vector3 drawingPoints[12] = {};  // ids 24, 28–38, chassis coordinates
    // Ball chassis–arm0, ball arm0–hub, hinge chassis–arm1, hinge arm1–hub.
    dJointID joints[4] = {nullptr, nullptr, nullptr, nullptr};

private:
    // Hub orientation, world pivots, arm orientations and midpoints, hub
    // position: what build and reset share.
    void placeParts();
};
