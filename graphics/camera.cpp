#include "graphics/camera.h"

#include <cmath>

#include "chassis/matrix4.h"
#include "graphics/engine.h"
#include "graphics/projection.h"
#include "graphics/scene_frame.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Turns v about the unit axis by the given degrees, in the sense that takes
// direction × up (the left side, in this left-handed frame) towards the
// direction when the axis is up. Matrix4::rotateAboutOwnAxis builds the
// matrix that does this to column vectors; a row vector times it would turn
// the other way, so the product is taken column-wise here.
Vector3 turnAbout(const Vector3& v, const Vector3& axis, float degrees) {
    Matrix4 r;
    r.at(0, 0) = axis.x;
    r.at(0, 1) = axis.y;
    r.at(0, 2) = axis.z;
    r.rotateAboutOwnAxis(0, degrees * kDegreesToRadians);
    return Vector3{r.at(0, 0) * v.x + r.at(0, 1) * v.y + r.at(0, 2) * v.z,
                   r.at(1, 0) * v.x + r.at(1, 1) * v.y + r.at(1, 2) * v.z,
                   r.at(2, 0) * v.x + r.at(2, 1) * v.y + r.at(2, 2) * v.z};
}

}  // namespace

RCamera::RCamera(REngine* owner) : engine(owner) { sidePlaneNormals(direction, up, fov, sideNormal1, sideNormal2); }

void RCamera::sidePlaneNormals(const Vector3& direction, const Vector3& up, float fovDegrees, Vector3& n1,
                               Vector3& n2) {
    // 0.8333 of the vertical field of view either side: a little wider than
    // the horizontal half-angle of a 4:3 view, so edges are never cut early.
    const float turn = fovDegrees * 0.8333333f;
    const Vector3 left = cross(direction, up);
    n1 = turnAbout(left, up, turn);
    n2 = turnAbout(-left, up, -turn);
}

bool RCamera::sphereVisible(const Vector3& position, const Vector3& n1, const Vector3& n2, float farPlane,
                            const Vector3& center, float radius) {
    const Vector3 d = center - position;
    if (dot(d, n2) < -radius || dot(d, n1) < -radius) return false;
    return d.length() <= radius + farPlane;
}

bool RCamera::isSphereVisible(const Vector3& center, float radius) const {
    return sphereVisible(position, sideNormal1, sideNormal2, farPlane, center, radius);
}

void RCamera::apply() {
    if (frame != nullptr) {
        const Matrix4 world = frame->getWorldMatrix();
        position = world.getPosition();
        direction = world.zAxis().normalised();
        up = world.yAxis().normalised();
    }
    if (tracking) {
        direction = (target - position).normalised();
        up = Vector3{0.0f, 1.0f, 0.0f};
    }
    sidePlaneNormals(direction, up, fov, sideNormal1, sideNormal2);
    if (engine == nullptr) return;
    engine->currentCamera = this;
    engine->envYaw = std::atan2(direction.x, direction.z);
    engine->setProjection(perspectiveLeftHanded(fov * kDegreesToRadians, aspect, nearPlane, farPlane));
    engine->setView(lookAtLeftHanded(position, position + direction, up));
}
