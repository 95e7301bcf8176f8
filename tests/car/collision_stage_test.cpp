// The car's collision stage and bottoming on the test strip: how often the
// wall is tested, which side of it the car keeps, which other cars are
// collided with, and what a chassis touching the ground does.

#include <gtest/gtest.h>

#include "chassis/suspension.h"
#include "support/car_on_strip.h"

namespace {

// The strip's ground, with a wall of the test's choosing.
class WallTrack : public ITrack {
public:
    void unusedSlot0() override {}
    const TrackSurface* queryGround(const Vector3& p, Vector3& hit, Vector3& normal, const TrackSurface* previous,
                                    const SurfaceInfo** info, GroundQueryCache* cache, int flags) override
    {
        return strip->queryGround(p, hit, normal, previous, info, cache, flags);
    }
    const WallRecord* queryWall(ICar*) override {
        ++queries;
        return &wall;
    }
    float trackValue() override { return strip->trackValue(); }
    void unusedSlot4() override {}
    bool isFinishLine(const TrackSurface* s) override { return strip->isFinishLine(s); }
    bool isIntermediateLine(const TrackSurface* s) override { return strip->isIntermediateLine(s); }

    ITrack* strip = nullptr;
    WallRecord wall{1, 0, 0, 1e6f};
    int queries = 0;
};

class CollisionStage : public CarOnStripFixture {
protected:
    void SetUp() override {
        CarOnStripFixture::SetUp();
        walls.strip = &track;
        car->track = &walls;
        drive(0.5f);  // settled, with real contact points
        p = car->getPosition();
    }
    // Collision stages until the wall is next tested; returns how many.
    int untilWallTest() {
        const int before = walls.queries;
        int n = 0;
        while (walls.queries == before && n < 20) car->collide(), ++n;
        return n;
    }
    int joints() const { return dBodyGetNumJoints(car->body); }

    WallTrack walls;
    Vector3 p;
};

TEST_F(CollisionStage, WallIsTestedEveryTenthStepAndEveryStepWhileTouched) {
    untilWallTest();
    walls.wall = {1, 0, 0, -(p.x - 7)};  // x = p.x - 7, the car on its positive side
    const int before = joints();
    EXPECT_EQ(untilWallTest(), 10);
    EXPECT_EQ(untilWallTest(), 10);
    EXPECT_EQ(joints(), before);
    dVector4 plane;
    dGeomPlaneGetParams(car->wallPlane, plane);
    EXPECT_NEAR(plane[0], 1, 1e-6);
    EXPECT_NEAR(plane[3], p.x - 7, 1e-4);  // as given: the car stays on the free side
    walls.wall = {1, 0, 0, -(p.x + 0.5f)};  // x = p.x + 0.5 cuts through the car's side
    EXPECT_EQ(untilWallTest(), 10);
    dGeomPlaneGetParams(car->wallPlane, plane);
    EXPECT_NEAR(plane[0], -1, 1e-6);  // turned round, so that the car is on its free side
    EXPECT_NEAR(plane[3], -(p.x + 0.5f), 1e-4);
    EXPECT_EQ(joints(), before + 1);
    EXPECT_EQ(untilWallTest(), 1);
    EXPECT_EQ(joints(), before + 2);
    walls.wall = {1, 0, 0, -(p.x - 7)};
    EXPECT_EQ(untilWallTest(), 1);
    EXPECT_EQ(untilWallTest(), 10);
}

// With the two boxes made 7 m cubes, another car d metres off overlaps this
// one by 7 - d: collided below 6 m apart, and only while less than 2 m deep.
TEST_F(CollisionStage, OtherCarsWithinSixMetresAndLessThanTwoDeep) {
    dGeomBoxSetLengths(car->carBox, 7, 7, 7);
    dGeomBoxSetLengths(car->otherCarBox, 7, 7, 7);
    TestHostCar other(1, p, {0, 0, 1});
    other.excludedA = false;
    host.carList.push_back(&other);
    const struct { float offset; bool excludedA, excludedB, contact; } cases[] = {
        {5.99f, false, false, true}, {6.01f, false, false, false}, {5.1f, false, false, true},
        {4.9f, false, false, false}, {5.5f, true, false, false},   {5.5f, false, true, false},
    };
    for (const auto& c : cases) {
        other.pose.setPosition(p + Vector3{c.offset, 0, 0});
        other.excludedA = c.excludedA, other.excludedB = c.excludedB;
        const int before = joints();
        testing::internal::CaptureStdout();
        car->collide();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(joints(), before + (c.contact ? 1 : 0)) << c.offset << " " << c.excludedA << c.excludedB;
    }
    host.carList.clear();
}

// A contact risen above the body origin (the limit 0 in body axes) is the
// chassis on the ground: the wheel loses its contact and the body is dragged
// by 0.75 times the wheel's load against the hub's ground-plane velocity.
TEST_F(CollisionStage, BottomingClearsTheWheelAndDragsTheBody) {
    for (int wheel : {0, 2}) {
        SCOPED_TRACE(wheel);
        CSuspension* unit = car->suspension[wheel];
        unit->contactPoint = p + car->matrix.yAxis() * 0.05f;
        unit->setLinearVelocity({3, 1, 4});  // along the ground: 5 m/s at (0.6, 0, 0.8)
        car->wheels[wheel].load = 4000;
        car->wheels[wheel].inContact = true;
        dBodySetForce(car->body, 0, 0, 0);
        testing::internal::CaptureStdout();
        car->checkBottoming(kDt);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), wheel < 2 ? "GROUND FRONT\n" : "GROUND REAR\n");
        EXPECT_FALSE(car->wheels[wheel].inContact);
        EXPECT_NEAR(car->clearance[wheel], -0.05f, 1e-4f);
        const dReal* f = dBodyGetForce(car->body);
        EXPECT_NEAR(f[0], -1800, 1e-2);
        EXPECT_NEAR(f[1], 0, 1e-2);
        EXPECT_NEAR(f[2], -2400, 1e-2);
        unit->contactPoint = p - car->matrix.yAxis() * 0.3f;
    }
}

}  // namespace
