#include "chassis/matrix4.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

void expectNear(const Vector3& actual, const Vector3& expected, float tol = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

void expectIdentityBlock(const Matrix4& m, float tol = 1e-5f) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.at(i, j), i == j ? 1.0f : 0.0f, tol) << i << "," << j;
}

// A pose with distinct, non-orthogonal rows so that row/column mix-ups show.
Matrix4 skewedPose() {
    Matrix4 m;
    const float v[16] = {2, 0.5f, 0, 0, 0.1f, 1.5f, 0.3f, 0, -0.4f, 0.2f, 3, 0, 7, -2, 5, 1};
    for (int i = 0; i < 16; ++i) m.m[i] = v[i];
    return m;
}

// Independent reference: Rodrigues' formula, right-hand rule about unit a.
Vector3 rodrigues(const Vector3& v, const Vector3& a, float theta) {
    const float c = std::cos(theta), s = std::sin(theta);
    return v * c + cross(a, v) * s + a * (dot(a, v) * (1.0f - c));
}

}  // namespace

TEST(Vector3Test, ProductsLengthAndIndex) {
    const Vector3 a{1, 2, 3}, b{-2, 0.5f, 4};
    expectNear(2.0f * a - b, {4, 3.5f, 2});
    EXPECT_FLOAT_EQ(dot(a, b), 11.0f);
    // up × forward is the side axis, forward × side the up axis.
    expectNear(cross({0, 1, 0}, {0, 0, 1}), {1, 0, 0});
    expectNear(cross({0, 0, 1}, {1, 0, 0}), {0, 1, 0});
    Vector3 v{3, 0, 4};
    expectNear(v.normalised(), {0.6f, 0, 0.8f});
    expectNear(Vector3{0, 0, 0}.normalised(), {0, 0, 0});
    v[1] = 9;
    EXPECT_EQ(v.y, 9.0f);
    EXPECT_EQ(v[2], 4.0f);
}

TEST(Matrix4Test, DefaultIsIdentityAndPointsFollowRows) {
    const Matrix4 m = skewedPose();
    expectNear(m.transformPoint({0, 0, 0}), m.getPosition());
    expectNear(m.transformPoint({1, 0, 0}), m.xAxis() + m.getPosition());
    expectNear(m.transformPoint({0, 1, 0}), m.yAxis() + m.getPosition());
    expectNear(m.transformPoint({0, 0, 1}), m.zAxis() + m.getPosition());
    expectNear(m.transformVector({1, 2, 3}), m.xAxis() + 2.0f * m.yAxis() + 3.0f * m.zAxis());

    Matrix4 moved = m;
    moved.setPosition(1, 2, 3);
    moved.translate(Vector3{0.5f, -1, 0});
    expectNear(moved.getPosition(), {1.5f, 1, 3});
    for (int i = 0; i < 12; ++i) EXPECT_EQ(moved.m[i], m.m[i]);
}

TEST(Matrix4Test, ProductAppliesLeftOperandFirstAndAxisRotationsFollowRowVectors) {
    Matrix4 move;
    move.setPosition(1, 0, 0);
    const Matrix4 turn = Matrix4::rotationY(kPi / 2);
    // Move to (1,0,0), then turn about Y: +X goes to -Z.
    expectNear(Matrix4::multiply(move, turn).transformPoint({0, 0, 0}), {0, 0, -1});
    expectNear((turn * move).transformPoint({0, 0, 0}), {1, 0, 0});
    const Matrix4 a = skewedPose(), b = Matrix4::rotationX(0.3f);
    const Vector3 p{0.2f, -1, 2};
    expectNear((a * b).transformPoint(p), b.transformPoint(a.transformPoint(p)), 1e-4f);
    // The axis rotations follow the row-vector convention.
    expectNear(Matrix4::rotationY(kPi / 2).transformVector({0, 0, 1}), {1, 0, 0});
    expectNear(Matrix4::rotationX(kPi / 2).transformVector({0, 1, 0}), {0, 0, 1});
    expectNear(Matrix4::rotationZ(kPi / 2).transformVector({1, 0, 0}), {0, 1, 0});
}

TEST(Matrix4Test, GeneralInverseUndoesTheMatrixAndTheRotationInverseTransposes) {
    const Matrix4 m = skewedPose();
    const Matrix4 prod = m * m.inverse();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(prod.m[i], i % 5 == 0 ? 1.0f : 0.0f, 1e-5f) << i;
    const Vector3 p{3, -1, 2};
    expectNear(m.inverse().transformPoint(m.transformPoint(p)), p, 1e-4f);

    Matrix4 singular = skewedPose();
    for (int j = 0; j < 4; ++j) singular.at(2, j) = 0.0f;
    EXPECT_EQ(singular.determinant(), 0.0f);
    const Matrix4 fallback = singular.inverse();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(fallback.m[i], i % 5 == 0 ? 1.0f : 0.0f);
    // The rotation inverse transposes the block and negates the position.
    Matrix4 pose = Matrix4::rotationX(0.4f) * Matrix4::rotationY(-1.1f) * Matrix4::rotationZ(2.0f);
    pose.setPosition(3, -4, 5);
    const Matrix4 inv = pose.inverseRotation();
    expectNear(inv.getPosition(), {-3, 4, -5});
    for (int i = 0; i < 4; ++i) EXPECT_EQ(inv.at(i, 3), 0.0f);

    Matrix4 worldToBody = inv;
    worldToBody.setPosition(0, 0, 0);
    expectIdentityBlock(worldToBody * pose);
    expectIdentityBlock(pose * worldToBody);
}

TEST(Matrix4Test, RotateAboutOwnAxisReplacesBlockWithAxisRotation) {
    const Vector3 axis = Vector3{1, 2, -2}.normalised();
    const float theta = 0.7f;
    for (int k = 0; k < 3; ++k) {
        Matrix4 m = skewedPose();
        m.at(k, 0) = axis.x;
        m.at(k, 1) = axis.y;
        m.at(k, 2) = axis.z;
        m.rotateAboutOwnAxis(k, theta);
        expectNear(m.getPosition(), skewedPose().getPosition());
        // Row vectors turn by -theta about the axis (the block read as a
        // column-vector matrix is the right-hand rotation by +theta).
        for (const Vector3& v : {Vector3{1, 0, 0}, Vector3{0.3f, -2, 1}, axis})
            expectNear(m.transformVector(v), rodrigues(v, axis, -theta));
        // Orthonormal: the old, skewed block is gone.
        expectIdentityBlock(m * m.inverseRotation());
    }
    Matrix4 untouched = skewedPose();
    untouched.rotateAboutOwnAxis(3, 1.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(untouched.m[i], skewedPose().m[i]);
}

TEST(Matrix4Test, EulerAnglesRoundTrip) {
    const Vector3 cases[] = {{0.3f, -0.5f, 1.2f}, {-2.5f, 1.0f, -0.1f}, {1.0f, 0.0f, 3.0f}, {0, 0, 0}};
    for (const Vector3& e : cases) {
        const Matrix4 m = Matrix4::rotationX(e.x) * Matrix4::rotationY(e.y) * Matrix4::rotationZ(e.z);
        expectNear(m.eulerAngles(), e, 1e-4f);
    }
    // Pitched up by exactly 90 degrees, roll and yaw are one freedom: z is
    // reported as 0 and x carries it.
    Matrix4 m = Matrix4::rotationX(0.6f) * Matrix4::rotationY(kPi / 2);
    m.at(0, 2) = -1.0f;  // exact lock, whatever sin(pi/2) rounds to
    const Vector3 e = m.eulerAngles();
    EXPECT_NEAR(e.y, kPi / 2, 1e-6f);
    EXPECT_EQ(e.z, 0.0f);
    EXPECT_NEAR(e.x, 0.6f, 1e-5f);
}

TEST(Matrix4Test, PlanarShadowLandsOnPlaneAlongLight) {
    const float plane[4] = {0.2f, 0.9f, 0.1f, -1.3f};
    const Vector3 light{0.4f, -1.0f, 0.3f};
    const Matrix4 s = Matrix4::planarShadow(plane[0], plane[1], plane[2], plane[3], light);
    for (const Vector3& p : {Vector3{1, 5, 2}, Vector3{-3, 2, 0.5f}, Vector3{0, 0, 0}}) {
        const float in[4] = {p.x, p.y, p.z, 1.0f};
        float out[4] = {0, 0, 0, 0};
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 4; ++i) out[j] += in[i] * s.at(i, j);
        const Vector3 q{out[0] / out[3], out[1] / out[3], out[2] / out[3]};
        EXPECT_NEAR(plane[0] * q.x + plane[1] * q.y + plane[2] * q.z + plane[3], 0.0f, 1e-5f);
        // Moved along the light only.
        const Vector3 moved = q - p;
        const Vector3 c = cross(moved, light);
        EXPECT_NEAR(c.length(), 0.0f, 1e-4f);
    }
}

