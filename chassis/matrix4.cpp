#include "chassis/matrix4.h"

#include <cmath>
#include <cstdio>

Matrix4::Matrix4() { identity(); }

void Matrix4::identity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix4::copy(const Matrix4& other) {
    for (int i = 0; i < 16; ++i) m[i] = other.m[i];
}

Vector3 Matrix4::transformPoint(const Vector3& p) const {
    return Vector3{p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
                   p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                   p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

Vector3 Matrix4::transformVector(const Vector3& v) const {
    return Vector3{v.x * m[0] + v.y * m[4] + v.z * m[8],
                   v.x * m[1] + v.y * m[5] + v.z * m[9],
                   v.x * m[2] + v.y * m[6] + v.z * m[10]};
}

void Matrix4::setPosition(float x, float y, float z) {
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void Matrix4::translate(float dx, float dy, float dz) {
    m[12] += dx;
    m[13] += dy;
    m[14] += dz;
}

Matrix4 Matrix4::inverseRotation() const {
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.at(i, j) = at(j, i);
        r.at(i, 3) = 0.0f;
    }
    r.m[12] = -m[12];
    r.m[13] = -m[13];
    r.m[14] = -m[14];
    r.m[15] = 0.0f;
    return r;
}

void Matrix4::print() const {
    for (int row = 0; row < 4; ++row)
        printf("[ %f %f %f %f ]\n", at(row, 0), at(row, 1), at(row, 2), at(row, 3));
}

Matrix4 Matrix4::multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.at(i, k) * b.at(k, j);
            r.at(i, j) = sum;
        }
    }
    return r;
}

namespace {

// Cofactor expansion of a 4x4 matrix in double. `inv` receives the adjugate
// (transposed cofactors); the return value is the determinant.
double adjugate(const float* f, double* inv) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = f[i];

    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    return a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
}

}  // namespace

float Matrix4::determinant() const {
    double inv[16];
    return static_cast<float>(adjugate(m, inv));
}

Matrix4 Matrix4::inverse() const {
    double inv[16];
    double det = adjugate(m, inv);
    Matrix4 r;
    if (det == 0.0) return r;
    double scale = 1.0 / det;
    for (int i = 0; i < 16; ++i) r.m[i] = static_cast<float>(inv[i] * scale);
    return r;
}

void Matrix4::rotateAboutOwnAxis(int k, float theta) {
    if (k < 0 || k > 2) return;
    const float a[3] = {at(k, 0), at(k, 1), at(k, 2)};
    const float c = std::cos(theta);
    const float s = std::sin(theta);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) at(i, j) = (1.0f - c) * a[i] * a[j] + (i == j ? c : 0.0f);
    at(0, 1) -= s * a[2];
    at(0, 2) += s * a[1];
    at(1, 0) += s * a[2];
    at(1, 2) -= s * a[0];
    at(2, 0) -= s * a[1];
    at(2, 1) += s * a[0];
}

Vector3 Matrix4::eulerAngles() const {
    // Clamp so that rounding just past ±1 gives ±90 degrees, not NaN.
    float sy = -at(0, 2);
    if (sy > 1.0f) sy = 1.0f;
    if (sy < -1.0f) sy = -1.0f;
    const float y = std::asin(sy);
    // cos(y) is zero exactly when |m02| is 1; testing the element avoids
    // relying on cos(asin(1)) rounding to zero in float.
    if (sy == 1.0f || sy == -1.0f) return Vector3{std::atan2(at(1, 0), at(1, 1)), y, 0.0f};
    return Vector3{std::atan2(at(1, 2), at(2, 2)), y, std::atan2(at(0, 1), at(0, 0))};
}

Matrix4 Matrix4::rotationX(float radians) {
    Matrix4 r;
    const float c = std::cos(radians), s = std::sin(radians);
    r.at(1, 1) = c;
    r.at(1, 2) = s;
    r.at(2, 1) = -s;
    r.at(2, 2) = c;
    return r;
}

Matrix4 Matrix4::rotationY(float radians) {
    Matrix4 r;
    const float c = std::cos(radians), s = std::sin(radians);
    r.at(0, 0) = c;
    r.at(0, 2) = -s;
    r.at(2, 0) = s;
    r.at(2, 2) = c;
    return r;
}

Matrix4 Matrix4::rotationZ(float radians) {
    Matrix4 r;
    const float c = std::cos(radians), s = std::sin(radians);
    r.at(0, 0) = c;
    r.at(0, 1) = s;
    r.at(1, 0) = -s;
    r.at(1, 1) = c;
    return r;
}

Matrix4 Matrix4::planarShadow(float a, float b, float c, float d, const Vector3& light) {
    const float plane[4] = {a, b, c, d};
    const float dir[4] = {light.x, light.y, light.z, 0.0f};
    const float dotPL = a * light.x + b * light.y + c * light.z;
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.at(i, j) = (i == j ? dotPL : 0.0f) - plane[i] * dir[j];
    return r;
}
