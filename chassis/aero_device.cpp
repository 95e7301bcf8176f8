#include "chassis/aero_device.h"

#include <cmath>

#include "chassis/matrix4.h"
#include "chassis/rigid_body.h"

namespace {
// Half the air density of 1.221 kg/m³.
constexpr float kHalfAirDensity = 0.6105f;
constexpr float kRadToDeg = 57.29578f;
}  // namespace

CAeroDevice::CAeroDevice(CRigidBody* body_, const Vector3& position_, float area_, float angleOffset_)
    : area(area_), position(position_), body(body_), angleOffset(angleOffset_)
{
    liftCurve.addValue(-20.0f, -1.5f);
    liftCurve.addValue(-2.0f, 0.0f);
    liftCurve.addValue(18.0f, 1.5f);
    liftCurve.addValue(90.0f, 0.0f);

    dragCurve.addValue(-15.0f, 0.25f);
    dragCurve.addValue(-4.0f, 0.008f);
    dragCurve.addValue(0.0f, 0.004f);
    dragCurve.addValue(5.0f, 0.01f);
    dragCurve.addValue(15.0f, 0.25f);
    dragCurve.addValue(90.0f, 1.0f);
}

void CAeroDevice::step(float)
{
    if (!body) return;
    const Vector3 worldVelocity = body->getPointVelocity(position);

    // World to body axes through the frame's pose with its position dropped.
    Matrix4 toBody = body->matrix.inverseRotation();
    toBody.setPosition(0.0f, 0.0f, 0.0f);
    const Vector3 v = toBody.transformVector(worldVelocity);

    // Dynamic pressure term with the sign of the flow: air from behind
    // reverses both forces.
    const float q = v.z < 0.0f ? -(v.z * v.z) : v.z * v.z;

    // At zero airspeed there is no direction: the unit vector stays zero and
    // the angle 0 (q is 0 then, so the forces vanish anyway). Rounding may
    // leave the component a hair beyond 1, which asin would turn into NaN.
    float vy = v.normalised().y;
    if (vy > 1.0f) vy = 1.0f;
    if (vy < -1.0f) vy = -1.0f;
    const float attack = std::asin(vy) * kRadToDeg;

    float cl, cd;
    if (fixedLift == 0.0f) {
        cl = liftCurve.getValue(attack + angleOffset);
        cd = dragCurve.getValue(attack + angleOffset);
    } else {
        cl = fixedLift;
        cd = 0.0f;
    }

    dragForce = cd * area * q * kHalfAirDensity;
    liftForce = cl * area * q * kHalfAirDensity;
    body->addLocalForceAtLocalPos(position.x, position.y, position.z, 0.0f, -liftForce, -dragForce);
}
