#include "chassis/rigid_body.h"

#include <gtest/gtest.h>

#include "car/physics_world.h"

namespace {

void expectVec(const Vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

class RigidBodyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dInitODE2(0); }
    static void TearDownTestSuite() { dCloseODE(); }
    void SetUp() override { physics.world = dWorldCreate(); }
    void TearDown() override { dWorldDestroy(physics.world); }

    CPhysicsWorld physics;
    CRigidBody body;
};

TEST_F(RigidBodyTest, PoseReachesTheFrameAndBoxMassIsExact) {
    // Attach keeps the frame's orientation: forward along world +X.
    body.setOrientation({1, 0, 0}, {0, 1, 0});
    body.attach(&physics);
    ASSERT_NE(body.body, nullptr);
    EXPECT_NEAR(dBodyGetRotation(body.body)[2], 1.0, 1e-6);  // ODE column 2 = forward
    expectVec(body.matrix.xAxis(), 0, 0, -1);

    body.setPosition(1, 2, 3);
    body.setRotation({0, 0, 1}, {0, 1, 0});
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(body.matrix.m[i], expected[i]) << i;

    // The vector form moves the body and the frame's position row only.
    body.setPosition(Vector3{4, 5, 6});
    expectVec(body.getPosition(), 4, 5, 6);
    expectVec(body.matrix.getPosition(), 4, 5, 6);

    // The box mass is exactly the mass asked for.
    for (float side : {0.05f, 0.371f, 13.0f}) {
        body.setMassBox(1263.7f, 1.2f, side, 3.4f);
        EXPECT_EQ(body.getMass(), 1263.7f);
    }
    body.setMassBox(1250.0f, 1.2f, 0.7f, 3.4f);
    EXPECT_NEAR(body.mass.I[0], 1250.0 / 12 * (0.49 + 11.56), 1e-2);
    EXPECT_NEAR(body.mass.I[10], 1250.0 / 12 * (1.44 + 0.49), 1e-2);
    body.setMassBox(20.0f, 0.0f, 0.3f, 0.3f);  // refused, mass kept
    EXPECT_EQ(body.getMass(), 1250.0f);
}

// The body at (10, 0, 0) faces world +X, so its side axis is world −Z.
TEST_F(RigidBodyTest, VelocitiesAndForcesOfATurnedBody) {
    body.attach(&physics);
    body.setPosition(10, 0, 0);
    body.setRotation({1, 0, 0}, {0, 1, 0});
    body.setLinearVelocity({1, 0, 0});
    body.setAngularVelocity({0, 2, 0});
    expectVec(body.getVelocity(), 1, 0, 0);
    // Local (0, 0, 1) lies 1 m along world +X: ω × r = (0, 0, −2).
    expectVec(body.getPointVelocity({0, 0, 1}), 1, 0, -2);

    using Add = void (CRigidBody::*)(float, float, float, float, float, float);
    struct Case { Add add; float p[3], f[3], force[3], torque[3]; } cases[] = {
        {&CRigidBody::addForceAtPos, {10, 1, 0}, {0, 0, 5}, {0, 0, 5}, {5, 0, 0}},
        {&CRigidBody::addForceAtLocalPos, {0, 1, 0}, {0, 0, 5}, {0, 0, 5}, {5, 0, 0}},
        {&CRigidBody::addLocalForceAtPos, {10, 1, 0}, {5, 0, 0}, {0, 0, -5}, {-5, 0, 0}},
        {&CRigidBody::addLocalForceAtLocalPos, {0, 0, 2}, {0, 3, 0}, {0, 3, 0}, {0, 0, 6}},
    };
    for (const Case& c : cases) {
        dBodySetForce(body.body, 0, 0, 0);
        dBodySetTorque(body.body, 0, 0, 0);
        (body.*c.add)(c.p[0], c.p[1], c.p[2], c.f[0], c.f[1], c.f[2]);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(dBodyGetForce(body.body)[i], c.force[i], 1e-5);
            EXPECT_NEAR(dBodyGetTorque(body.body)[i], c.torque[i], 1e-5);
        }
    }
}

}  // namespace
