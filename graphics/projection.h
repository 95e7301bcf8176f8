// The view and projection matrices of the left-handed drawing frame (+X
// right, +Y up, +Z into the screen), for row vectors: a point times the view
// times the projection gives clip coordinates with depth 0 at the near plane
// and 1 at the far plane (after the device's divide by w).
#pragma once

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

// Vertical field of view in radians; aspect = width / height.
Matrix4 perspectiveLeftHanded(float fovY, float aspect, float nearPlane, float farPlane);
// Maps the box [left, right] × [bottom, top] × [nearPlane, farPlane] onto
// x, y in [-1, 1] and depth in [0, 1].
Matrix4 orthoOffCenterLeftHanded(float left, float right, float bottom, float top, float nearPlane, float farPlane);
// View from eye towards at, with up roughly up.
Matrix4 lookAtLeftHanded(const Vector3& eye, const Vector3& at, const Vector3& up);
Matrix4 translationMatrix(float x, float y, float z);
