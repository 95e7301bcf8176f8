// Matrix4: a 4x4 float matrix, row-major, used with row vectors. As a pose,
// rows 0-2 are the local side (X), up (Y) and forward (Z) axes in parent or
// world coordinates and row 3 is the position; column 3 is (0, 0, 0, 1).
// No projective division happens anywhere here: transformPoint ignores w.
#pragma once

#include <type_traits>

#include "chassis/vector3.h"

struct Matrix4 {
    // m[4 * row + column].
    float m[16];

    // The identity: a frame at the origin with the world's axes.
    Matrix4();

    float& at(int row, int column) { return m[4 * row + column]; }
    float at(int row, int column) const { return m[4 * row + column]; }

    // p.x·row0 + p.y·row1 + p.z·row2 + row3.
    Vector3 transformPoint(const Vector3& p) const;
    // p.x·row0 + p.y·row1 + p.z·row2: directions and normals, no translation.
    Vector3 transformVector(const Vector3& v) const;

    Vector3 xAxis() const { return Vector3{m[0], m[1], m[2]}; }
    Vector3 yAxis() const { return Vector3{m[4], m[5], m[6]}; }
    Vector3 zAxis() const { return Vector3{m[8], m[9], m[10]}; }
    Vector3 getPosition() const { return Vector3{m[12], m[13], m[14]}; }

    void setPosition(float x, float y, float z);
    void setPosition(const Vector3& p) { setPosition(p.x, p.y, p.z); }
    // Adds to the position (row 3); the axes are untouched.
    void translate(float dx, float dy, float dz);
    void translate(const Vector3& d) { translate(d.x, d.y, d.z); }

    // Upper 3x3 block transposed, row 3 the negated position (not rotated),
    // column 3 all zero, m[15] included. Only the block is a true inverse;
    // callers wanting a world-to-body rotation zero the position first.
    Matrix4 inverseRotation() const;

    // Four lines "[ %f %f %f %f ]\n" on standard output.
    void print() const;

    void identity();
    void copy(const Matrix4& other);

    // A·B: with row vectors a point goes through A first, then B, so a
    // frame's world matrix is multiply(local, parentWorld).
    static Matrix4 multiply(const Matrix4& a, const Matrix4& b);
    Matrix4 operator*(const Matrix4& b) const { return multiply(*this, b); }

    // General inverse by cofactors, in double. A singular matrix has no
    // inverse; it answers the identity so that callers carry on with a
    // harmless transform (check determinant() when that matters).
    Matrix4 inverse() const;
    float determinant() const;

    // Replaces the upper 3x3 block by the rotation of theta radians about
    // row k (k = 0, 1, 2; row k is used as given, assumed unit length). The
    // old block is discarded, not multiplied in, and the position stays.
    // Element (i, j) = (1-c)·a_i·a_j + c·δ_ij with the sine terms -s·a2 at
    // (0,1), +s·a1 at (0,2), +s·a2 at (1,0), -s·a0 at (1,2), -s·a1 at (2,0),
    // +s·a0 at (2,1). Read as a column-vector matrix this is the right-hand
    // rotation about a; a row vector times it therefore turns by -theta,
    // the opposite sense to rotationX/Y/Z below.
    void rotateAboutOwnAxis(int k, float theta);

    // (x, y, z) in radians such that the block equals
    // rotationX(x)·rotationY(y)·rotationZ(z). With y at ±90 degrees the
    // split is not unique: z is reported as 0 and x carries the rest.
    Vector3 eulerAngles() const;

    // Rotations about the fixed axes for row vectors; a positive angle about
    // Y turns forward (+Z) towards side (+X).
    static Matrix4 rotationX(float radians);
    static Matrix4 rotationY(float radians);
    static Matrix4 rotationZ(float radians);

    // Projects points along the light direction onto the plane
    // a·x + b·y + c·z + d = 0: element (i, j) = dot·δ_ij - P_i·L_j with
    // P = (a, b, c, d), L = (Lx, Ly, Lz, 0), dot = P·L. The result is
    // homogeneous (w = dot): the device's divide puts the point on the plane.
    static Matrix4 planarShadow(float a, float b, float c, float d, const Vector3& light);
};

static_assert(sizeof(Matrix4) == 64, "Matrix4 is sixteen packed floats");
static_assert(std::is_standard_layout_v<Matrix4>, "Matrix4 is handed to the device as raw floats");
