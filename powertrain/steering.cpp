#include "powertrain/steering.h"

#include <cmath>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"
#include "chassis/wheel.h"
#include "graphics/scene_frame.h"

namespace {

constexpr float kDegToRad = 0.017453292f;

// Rodrigues' formula: v turned by `degrees` about the unit `axis`, the
// right-hand sense read in the components (a positive turn about +Y takes +Z
// towards +X). A zero angle returns v untouched, bit for bit, so a wheel
// without tilt or offset keeps its exact axes.
Vector3 rotateAbout(const Vector3& v, const Vector3& axis, float degrees)
{
    if (degrees == 0.0f) return v;
    const float angle = degrees * kDegToRad;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1.0f - c));
}

float valueOr0(const float* p) { return p ? *p : 0.0f; }

}  // namespace

void CSteering::update(float x)
{
    steeringWheelAngle = input * inputGain * lockDegrees;
    const float angle = -steeringWheelAngle / steeringRatio;
    if (x >= 0.0f) wheelAngle = angle;

    for (int i = 0; i < 2 && i < static_cast<int>(steeredFrames.size()); ++i) poseFrontWheel(i);
    poseCockpitWheel();
}

float CSteering::frontWheelAngle(int i) const
{
    // Turning right (negative angle) makes the right wheel, frame 1, the
    // inner one; turning left, the left wheel, frame 0.
    const bool inner = (i == 0) == (wheelAngle >= 0.0f);
    const float k = inner ? ackermann : 1.0f;
    const CWheel* wheel = car.frontWheels[i];
    return (wheel ? wheel->alignmentOffset : 0.0f) + k * wheelAngle;
}

void CSteering::poseFrontWheel(int i)
{
    CSceneFrame* frame = steeredFrames[i];
    if (!frame) return;

    const float theta = frontWheelAngle(i);

    // The tilt values lean both tops the same way relative to the car's
    // centre line, so the left wheel takes its value negated.
    const float tilt = i == 0 ? -valueOr0(car.frontTilt[0]) : valueOr0(car.frontTilt[1]);

    const Vector3 forward = rotateAbout(Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f}, theta);
    const Vector3 up = rotateAbout(Vector3{0.0f, 1.0f, 0.0f}, forward, tilt);
    frame->setOrientation(forward, up);
}

void CSteering::poseCockpitWheel()
{
    CSceneFrame* wheel = car.cockpitWheel ? *car.cockpitWheel : nullptr;
    if (!wheel) return;

    // The wheel's mesh sits on a column tilted by columnTilt about the side
    // axis: the tilt first brings the column onto the frame's forward axis,
    // the turn then spins the wheel about it (row vectors: the left factor
    // acts first).
    const Matrix4 turn = Matrix4::multiply(Matrix4::rotationX(-columnTilt * kDegToRad),
                                           Matrix4::rotationZ(-steeringWheelAngle * kDegToRad));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) wheel->matrix.at(r, c) = turn.at(r, c);
    // The frame keeps no derived state: its world matrix is computed from
    // this one whenever it is asked for, so nothing else needs refreshing.
}
