#pragma once
// An aerodynamic surface fixed to a body (a wing or an underbody element):
// lift and drag from the airflow at its mounting point, with coefficients
// looked up by angle of attack. Still air only (no wind, no ground effect,
// no stall hysteresis); the body's own overall drag is applied elsewhere.

#include "chassis/curve.h"
#include "chassis/vector3.h"

class CRigidBody;

class CAeroDevice {
public:
    // body: the body the forces go to (not owned); position: mounting point,
    // metres, body coordinates; area: m², scales both forces; angleOffset:
    // degrees added to the measured angle of attack.
    CAeroDevice(CRigidBody* body, const Vector3& position, float area, float angleOffset);
    virtual ~CAeroDevice() = default;

    // Measures the airflow at the mounting point and applies lift (downwards
    // in body axes when positive) and drag (backwards when positive). dt is
    // not needed: the forces hold for the next world step.
    void step(float dt);

    float area;          // m², reference area times any fixed factor
    CCurve liftCurve;    // lift coefficient over angle of attack, degrees
    CCurve dragCurve;    // drag coefficient over angle of attack, degrees
    Vector3 position;    // metres, body coordinates
    CRigidBody* body;
    float angleOffset;   // degrees
    float liftForce = 0.0f;  // N, last step; positive pushes the body down
    float dragForce = 0.0f;  // N, last step; positive pushes the body back
    // When not 0, a constant lift coefficient that replaces both curves and
    // makes the drag coefficient 0.
    float fixedLift = 0.0f;
};
