#include "chassis/wishbone_suspension.h"

#include <cstdio>

#include "car/physics_world.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/matrix4.h"

namespace {

// Hub point through which the damper is read and the spring pushes the hub:
// low on the upright, near the wishbone's ball joint.
const Vector3 kHubLoadPoint{0.0f, -0.11f, 0.0f};
// Spring seat on the hub, hub coordinates.
const Vector3 kHubSpringSeat{0.0f, -0.08f, 0.0f};

// The body's pose straight from the physics library, so a frame that has not
// been synced since the last world step cannot mislead the forces.
Matrix4 poseOf(const CRigidBody& b)
{
    if (!b.body) return b.matrix;
    Matrix4 pose;
    const dReal* r = dBodyGetRotation(b.body);
    const dReal* p = dBodyGetPosition(b.body);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) pose.at(row, col) = static_cast<float>(r[4 * col + row]);
    pose.setPosition(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
    return pose;
}

// World point into the coordinates of a pose whose rows are unit axes.
Vector3 toLocal(const Matrix4& pose, const Vector3& worldPoint)
{
    const Vector3 d = worldPoint - pose.getPosition();
    return Vector3{dot(d, pose.xAxis()), dot(d, pose.yAxis()), dot(d, pose.zAxis())};
}

// A point fixed in the body (body coordinates) in world coordinates.
Vector3 worldPointOf(const CRigidBody& b, const Vector3& local)
{
    if (!b.body) return b.matrix.transformPoint(local);
    dVector3 w;
    dBodyGetRelPointPos(b.body, local.x, local.y, local.z, w);
    return Vector3{static_cast<float>(w[0]), static_cast<float>(w[1]), static_cast<float>(w[2])};
}

// Lays the arm's X axis along its pivots, Z along the car's long axis, and
// puts its centre half-way.
void placeArm(CRigidBody& arm, const Vector3& forward, const Vector3& chassisEnd, const Vector3& hubEnd)
{
    const Vector3 along = (hubEnd - chassisEnd).normalised();
    arm.setRotation(forward, cross(forward, along));
    arm.setPosition((chassisEnd + hubEnd) * 0.5f);
    arm.sync();
}

}  // namespace

CWishboneSuspension::CWishboneSuspension() = default;

CWishboneSuspension::~CWishboneSuspension() = default;  // bodies and joints belong to the world

void CWishboneSuspension::setAngularVelocity(const Vector3& w)
{
    CRigidBody::setAngularVelocity(w);
    arm0.setAngularVelocity(w);
    arm1.setAngularVelocity(w);
}

void CWishboneSuspension::setLinearVelocity(const Vector3& v)
{
    CRigidBody::setLinearVelocity(v);
    arm0.setLinearVelocity(v);
    arm1.setLinearVelocity(v);
}

float CWishboneSuspension::getUnsprungMass() { return 2.0f * armMass + hubMass; }

void CWishboneSuspension::setParam(int id, float value)
{
    switch (id) {
    case 21: side = value; break;
    case 22: armsize[0] = value; break;
    case 23: armsize[1] = value; break;
    case 25: drawingValues[0] = value; break;
    case 26: drawingValues[1] = value; break;
    case 28: springPreload = value; break;
    case 39: hingeLimitA = value; break;
    case 40: bumpMinLength = value; break;
    case 41: bumpMaxLength = value; break;
    case 42: bumpRate = value; break;
    case 43: hingeLimitB = value; break;
    case 105: enabledFlag = value != 0.0f; break;
    case 106:
        springHeight = value;
        printf("sh=%f\n", value);
        break;
    default: break;
    }
}

void CWishboneSuspension::setParamVector(int id, const Vector3& v)
{
    switch (id) {
    case 24: drawingPoints[0] = v; break;
    case 27: topMount = v; break;
    case 100: pivot0Chassis = v; break;
    case 101: pivot1Chassis = v; break;
    case 102: pivot0Hub = v; break;
    case 103: pivot1Hub = v; break;
    case 104: hubPosition = v; break;
    default:
        if (id >= 28 && id <= 38) drawingPoints[id - 27] = v;
        break;
    }
}

void CWishboneSuspension::placeCorner(const WishboneLayout& g, int wheelIndex, float axleZ)
{
    const bool left = wheelIndex % 2 == 0;
    const float s = left ? 1.0f : -1.0f;
    // The wishbone's hinge angle falls in bump on a left corner and grows on
    // a right one, so the sign puts the wider stop on the bump side of both.
    setParam(21, left ? 1.0f : -1.0f);
    setParamVector(100, {s * g.upperChassisX, g.upperChassisY, axleZ});
    setParamVector(101, {s * g.lowerChassisX, g.lowerChassisY, axleZ});
    setParamVector(102, {s * g.upperHubX, g.upperHubY, axleZ});
    setParamVector(103, {s * g.lowerHubX, g.lowerHubY, axleZ});
    setParamVector(104, {s * g.hubX, g.hubY, axleZ});
    setParamVector(27, {s * g.springTopX, g.springTopY, axleZ});
}

void CWishboneSuspension::placeParts()
{
    const Matrix4 pose = poseOf(*chassis);
    const Vector3 forward = pose.zAxis();
    setRotation(forward, pose.yAxis());
    // The arms follow the world pivots, which are the chassis-coordinate
    // pivots turned with the chassis: right whatever the car's heading.
    placeArm(arm0, forward, pose.transformPoint(pivot0Chassis), pose.transformPoint(pivot0Hub));
    placeArm(arm1, forward, pose.transformPoint(pivot1Chassis), pose.transformPoint(pivot1Hub));
    setPosition(pose.transformPoint(hubPosition));
    sync();
}

void CWishboneSuspension::build()
{
    if (!chassis || !chassis->body) {
        printf("CWishboneSuspension::build : no chassis body, unit not built\n");
        return;
    }
    if (body) {
        printf("CWishboneSuspension::build : already built\n");
        return;
    }
    CPhysicsWorld* target = world ? world : chassis->world;
    CRigidBody::attach(target);
    arm0.attach(target);
    arm1.attach(target);
    if (!body || !arm0.body || !arm1.body) return;  // attach has said why

    armsize[0] = (pivot0Hub - pivot0Chassis).length();
    armsize[1] = (pivot1Hub - pivot1Chassis).length();
    printf("armsize[0]=%f\n", armsize[0]);
    printf("armsize[1]=%f\n", armsize[1]);
    arm0.setMassBox(armMass, armsize[0], 0.05f, 0.05f);
    arm1.setMassBox(armMass, armsize[1], 0.05f, 0.05f);
    setMassBox(hubMass, 0.2f, 0.3f, 0.3f);

    placeParts();

    const Matrix4 pose = poseOf(*chassis);
    const Vector3 p0c = pose.transformPoint(pivot0Chassis);
    const Vector3 p0h = pose.transformPoint(pivot0Hub);
    const Vector3 p1c = pose.transformPoint(pivot1Chassis);
    const Vector3 p1h = pose.transformPoint(pivot1Hub);
    // The hinges turn about the car's long axis (world Z while the car is
    // built unturned).
    const Vector3 axis = pose.zAxis();
    dWorldID w = target->world;
    joints[0] = dJointCreateBall(w, nullptr);
    dJointAttach(joints[0], chassis->body, arm0.body);
    dJointSetBallAnchor(joints[0], p0c.x, p0c.y, p0c.z);
    joints[1] = dJointCreateBall(w, nullptr);
    dJointAttach(joints[1], arm0.body, body);
    dJointSetBallAnchor(joints[1], p0h.x, p0h.y, p0h.z);
    joints[2] = dJointCreateHinge(w, nullptr);
    dJointAttach(joints[2], chassis->body, arm1.body);
    dJointSetHingeAnchor(joints[2], p1c.x, p1c.y, p1c.z);
    dJointSetHingeAxis(joints[2], axis.x, axis.y, axis.z);
    if (side < 0.0f) {
        dJointSetHingeParam(joints[2], dParamLoStop, -hingeLimitB);
        dJointSetHingeParam(joints[2], dParamHiStop, hingeLimitA);
    } else {
        dJointSetHingeParam(joints[2], dParamLoStop, -hingeLimitA);
        dJointSetHingeParam(joints[2], dParamHiStop, hingeLimitB);
    }
    joints[3] = dJointCreateHinge(w, nullptr);
    dJointAttach(joints[3], arm1.body, body);
    dJointSetHingeAnchor(joints[3], p1h.x, p1h.y, p1h.z);
    dJointSetHingeAxis(joints[3], axis.x, axis.y, axis.z);

    if (springHeight != 0.0f) topMount = toLocal(pose, arm1.getPosition()) + Vector3{0.0f, springHeight, 0.0f};
    bottomMount = kHubSpringSeat;
    const Vector3 bottom = springHeight == 0.0f ? worldPointOf(*this, bottomMount) : arm1.getPosition();
    restLength = (pose.transformPoint(topMount) - bottom).length() + springPreload;
    displayLength = restLength;
    printf("restLength=%f springHeight=%f\n", restLength, springHeight);

    hubPoint = toLocal(pose, worldPointOf(*this, kHubLoadPoint));
}

void CWishboneSuspension::reset(const Vector3&, const Vector3&)
{
    printf("reset\n");
    if (!body || !chassis || !chassis->body) return;
    placeParts();
    // Parts arriving with their old speed would hand it to the chassis
    // through the joints in the first step.
    setLinearVelocity({0.0f, 0.0f, 0.0f});
    setAngularVelocity({0.0f, 0.0f, 0.0f});
}

void CWishboneSuspension::stepForces(float)
{
    if (!body || !chassis || !chassis->body) return;
    const Matrix4 pose = poseOf(*chassis);

    // The bar resists the two hubs of the axle standing at different heights.
    Vector3 barForce{0.0f, 0.0f, 0.0f};
    if (antiRoll) {
        const CSuspension* opposite = antiRoll->other(this);
        if (opposite && opposite != this) {
            const float yThis = toLocal(pose, getPosition()).y;
            const float yOther = toLocal(pose, opposite->getPosition()).y;
            const float f = -(yThis - yOther) * antiRoll->stiffness;
            barForce = pose.yAxis() * (0.5f * f);
        }
    }

    const bool onHub = springHeight == 0.0f;
    const Vector3 top = pose.transformPoint(topMount);
    const Vector3 bottom = onHub ? worldPointOf(*this, bottomMount) : arm1.getPosition();
    const Vector3 d = top - bottom;
    const float length = d.length();
    springLength = length;
    deflection = length - restLength;
    if (length > maxLength) maxLength = length;
    if (length < minLength) minLength = length;

    float rate = springRate;
    if (length < bumpMinLength || length > bumpMaxLength) {
        printf("*** BUMP STOP %f ***\n", deflection);
        rate = bumpRate;
    }
    const float spring = (length - restLength) * rate;

    const Vector3 vTop = chassis->getPointVelocity(topMount);
    const Vector3 vBottom = onHub ? getPointVelocity(kHubLoadPoint) : arm1.getVelocity();
    const Vector3 u = d.normalised();
    const float v = dot(vTop - vBottom, u);
    damperSpeed = v;
    float damper;
    if (v >= 0.0f) {
        damper = v * dampExtension;
        compressing = false;
    } else {
        damper = v * dampCompression;
        compressing = true;
    }
    if (parkedFrames && *parkedFrames != 0) damper *= 0.5f;

    const Vector3 force = u * -(damper + spring);
    chassis->addForceAtLocalPos(topMount, force);
    if (onHub)
        addForceAtLocalPos(kHubLoadPoint, -force);
    else
        arm1.addForceAtLocalPos(Vector3{0.0f, 0.0f, 0.0f}, -force);

    chassis->addForceAtPos(getPosition(), -barForce);
    antiRollForce = barForce;
}

void CWishboneSuspension::recordLength(float) { displayLength = springLength; }

void CWishboneSuspension::updateFrames()
{
    sync();
    arm0.sync();
    arm1.sync();
}
