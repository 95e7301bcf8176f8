#include "graphics/projection.h"

#include <cmath>

Matrix4 perspectiveLeftHanded(float fovY, float aspect, float nearPlane, float farPlane) {
    Matrix4 m;
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = farPlane / (farPlane - nearPlane);
    m.at(0, 0) = xScale;
    m.at(1, 1) = yScale;
    m.at(2, 2) = depth;
    m.at(2, 3) = 1.0f;
    m.at(3, 2) = -nearPlane * depth;
    m.at(3, 3) = 0.0f;
    return m;
}

Matrix4 orthoOffCenterLeftHanded(float left, float right, float bottom, float top, float nearPlane, float farPlane) {
    Matrix4 m;
    m.at(0, 0) = 2.0f / (right - left);
    m.at(1, 1) = 2.0f / (top - bottom);
    m.at(2, 2) = 1.0f / (farPlane - nearPlane);
    m.at(3, 0) = (left + right) / (left - right);
    m.at(3, 1) = (top + bottom) / (bottom - top);
    m.at(3, 2) = nearPlane / (nearPlane - farPlane);
    return m;
}

Matrix4 lookAtLeftHanded(const Vector3& eye, const Vector3& at, const Vector3& up) {
    const Vector3 zAxis = (at - eye).normalised();
    const Vector3 xAxis = cross(up, zAxis).normalised();
    const Vector3 yAxis = cross(zAxis, xAxis);
    // The view matrix is the inverse of the camera's pose: its axes go into
    // the columns and the position is taken out along each of them.
    Matrix4 m;
    const Vector3 axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        m.at(0, c) = axes[c].x;
        m.at(1, c) = axes[c].y;
        m.at(2, c) = axes[c].z;
        m.at(3, c) = -dot(axes[c], eye);
    }
    return m;
}

Matrix4 translationMatrix(float x, float y, float z) {
    Matrix4 m;
    m.setPosition(x, y, z);
    return m;
}
