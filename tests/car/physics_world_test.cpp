#include "car/physics_world.h"

#include <gtest/gtest.h>

#include "car/contact.h"
#include "chassis/rigid_body.h"

namespace {

class PhysicsWorldTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dInitODE2(0);
        dAllocateODEDataForThread(dAllocateMaskAll);
    }
    static void TearDownTestSuite() { dCloseODE(); }
    void SetUp() override { physics.create(); }
    CPhysicsWorld physics;
};

// Wall (258000, 32200), other car (128000, 42200) and tyre (220000, 1500)
// contacts over the host's 3 ms step, and a default tyre over 10 ms.
TEST(ContactTest, SoftParametersFromSpringAndDamper) {
    EXPECT_EQ(CContact().contact.surface.mode, 5);
    const struct { float kp, kd, h; double erp, cfm; } cases[] = {
        {258000, 32200, 0.003f, 0.0234730, 3.03269e-5}, {128000, 42200, 0.003f, 0.00901747, 2.34830e-5},
        {220000, 1500, 0.003f, 0.305556, 4.62963e-4}, {180000, 1000, 0.01f, 0.642857, 3.57143e-4}};
    for (const auto& k : cases) {
        CContact soft;
        soft.setSoft(k.kp, k.kd, k.h);
        soft.setSoft(k.kp, k.kd, k.h);  // flags join the mode once
        EXPECT_EQ(soft.contact.surface.mode, 5 + 24);
        EXPECT_NEAR(soft.contact.surface.soft_erp, k.erp, k.erp * 1e-5) << k.kp;
        EXPECT_NEAR(soft.contact.surface.soft_cfm, k.cfm, k.cfm * 1e-5) << k.kp;
        EXPECT_EQ(soft.contact.surface.mu, 0.0);
    }
    CContact hard;  // neither spring nor damper: stays hard, no division by zero
    hard.setSoft(0, 0, 0.003f);
    EXPECT_EQ(hard.contact.surface.mode, 5);
}

// A 100 kg box on one soft contact with the static world settles where the
// contact's spring carries its weight, depth = m·g / kp; every step drops
// the step's contact joint.
TEST_F(PhysicsWorldTest, BoxSettlesOnASoftContact) {
    const float h = 0.003f, kp = 258000.0f, mass = 100.0f, half = 0.25f;
    CRigidBody box(&physics);
    box.setMassBox(mass, 0.5f, 2 * half, 0.5f);
    box.setPosition(0, half, 0);  // touching the ground y = 0
    float depth = 0.0f;
    for (int i = 0; i < 3000; ++i) {
        depth = half - box.getPosition().y;
        CContact c;
        c.setPosition({0, -depth, 0});
        c.setNormal({0, 1, 0});
        c.setDepth(depth);
        c.setSoft(kp, 32200.0f, h);
        physics.createContact(c, &box, nullptr);
        ASSERT_EQ(dBodyGetNumJoints(box.body), 1);
        physics.step(h);
    }
    EXPECT_EQ(dBodyGetNumJoints(box.body), 0);
    EXPECT_NEAR(depth, mass * 9.8f / kp, 0.01f * mass * 9.8f / kp);
    EXPECT_NEAR(box.getVelocity().y, 0.0f, 1e-5f);
}

struct Tracked : CWorldObject {
    Tracked(std::vector<int>& log, int id) : log(log), id(id) {}
    ~Tracked() override { log.push_back(id); }
    std::vector<int>& log;
    int id;
};

// Owned objects go first, in order; a world handle set from outside stays
// its owner's to destroy.
TEST(PhysicsWorldLifetime, DestroyDeletesOnlyWhatTheWorldOwns) {
    dInitODE2(0);
    std::vector<int> log;
    dWorldID outside = dWorldCreate();
    {
        CPhysicsWorld physics;
        physics.create();
        physics.addObject(new Tracked(log, 1));
        physics.addStaticObject(new Tracked(log, 3));
        physics.addObject(new Tracked(log, 2));
        CPhysicsWorld borrowed;
        borrowed.world = outside;
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
    dWorldDestroy(outside);  // a second destruction would fail here
    dCloseODE();
}

}  // namespace
