// The car's drawing through a recording device: what ends up drawn where,
// and the state the car leaves behind, not the exact call sequence.

#include <cmath>

#include "graphics/camera.h"
#include "graphics/geometry.h"
#include "graphics/recording_device.h"
#include "graphics/scene_frame.h"
#include "support/car_on_strip.h"

namespace {

bool sameMatrix(const Matrix4& a, const Matrix4& b, float tolerance = 1e-4f) {
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a.m[i] - b.m[i]) > tolerance) return false;
    return true;
}

class SolviDrawing : public CarOnStripFixture {
protected:
    void SetUp() override {
        CarOnStripFixture::SetUp();
        // A car built on a device, seen from 8 m behind.
        engine.setDevice(&device);
        rebuildCarOnDevice();
        for (int i = 0; i < 50; ++i) step();
        camera = engine.createCamera();
        camera->farPlane = 1500.0f;
        lookFrom(car->getPosition() - car->matrix.zAxis() * 8.0f + Vector3{0, 2, 0});
    }
    void TearDown() override {
        CarOnStripFixture::TearDown();
        engine.setDevice(nullptr);
    }
    void lookFrom(const Vector3& at) {
        camera->position = at;
        camera->lookAt(car->getPosition());
        camera->apply();
    }
    // Draws under a base transform and returns what was drawn.
    std::vector<RecordingDevice::Draw> drawCar(uint8_t interior) {
        device.resetCounts();
        engine.matrixStack.load(base);
        car->draw(interior);
        return device.draws;
    }
    size_t trianglesOf(CSceneFrame* root) {
        size_t n = 0;
        for (RGeometry* g : root->geometries) n += g->cornerCount / 3;
        for (CSceneFrame* child : root->children) n += trianglesOf(child);
        return n;
    }
    static size_t triangles(const std::vector<RecordingDevice::Draw>& draws) {
        size_t n = 0;
        for (const auto& d : draws) n += d.primitiveCount;
        return n;
    }

    RecordingDevice device;
    RCamera* camera = nullptr;
    Matrix4 base = Matrix4::rotationY(0.3f);
};

TEST_F(SolviDrawing, TheCarDrawsItselfInItsPoseAndLeavesTheMatrixStackAsItFoundIt) {
    base.setPosition(1, 2, 3);
    const int depth = engine.matrixStack.depth();
    const auto draws = drawCar(0);
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(engine.matrixStack.depth(), depth);
    EXPECT_TRUE(sameMatrix(engine.matrixStack.top(), base));
    EXPECT_TRUE(sameMatrix(device.transform(RTransform::World), base));
    for (const auto& d : draws) EXPECT_TRUE(d.inBounds);

    // The shadow comes first, blended, under the car's origin.
    EXPECT_EQ(draws.front().alphaBlend, 1u);
    const Vector3 shadowAt = draws.front().world.getPosition();
    const Vector3 carAt = Matrix4::multiply(car->matrix, base).getPosition();
    EXPECT_NEAR(shadowAt.x, carAt.x, 1e-3f);
    EXPECT_NEAR(shadowAt.z, carAt.z, 1e-3f);
    EXPECT_LT(shadowAt.y, carAt.y - 0.2f);
    // The body is drawn in the car's pose on top of the base transform.
    const Matrix4 bodyWorld = Matrix4::multiply(car->matrix, base);
    size_t bodyTriangles = 0;
    for (const auto& d : draws)
        if (sameMatrix(d.world, bodyWorld, 1e-3f)) bodyTriangles += d.primitiveCount;
    EXPECT_EQ(bodyTriangles, trianglesOf(car->bodyModel));
    // Body, four wheels (tyre and rim) and the shadow's two triangles: all of
    // the model, none of the cockpit.
    size_t wheelTriangles = 0;
    for (CSceneFrame* wheel : car->wheelFrames) wheelTriangles += trianglesOf(wheel);
    EXPECT_EQ(triangles(draws), trianglesOf(car->bodyModel) + wheelTriangles + 2);
}

TEST_F(SolviDrawing, TyreAndRimTurnWithTheWheelsSpin) {
    auto tyreWorld = [&](int wheel) {
        const auto draws = drawCar(0);
        // The tyre mesh is the first mesh drawn after the wheel frame moved
        // to its pose; find it by its vertex range.
        const RGeometry* tyre = car->wheelSpin[wheel]->geometries.front();
        for (const auto& d : draws)
            if (d.vertexBuffer == tyre->vertexBuffer && d.startIndex == static_cast<uint32_t>(tyre->startIndex))
                return d.world;
        ADD_FAILURE() << "the tyre was not drawn";
        return Matrix4();
    };
    car->wheels[2].rotationAngle = 0;
    const Matrix4 still = tyreWorld(2);
    car->wheels[2].rotationAngle = 0.5f;
    const Matrix4 turned = tyreWorld(2);
    // Turned by 0.5 rad about the wheel's axle (its x axis), which stays.
    EXPECT_TRUE(sameMatrix(Matrix4::multiply(Matrix4::rotationX(0.5f), still), turned, 1e-3f));
    EXPECT_FALSE(sameMatrix(still, turned, 1e-2f));
}

TEST_F(SolviDrawing, OutOfSightNothingIsDrawnAndTheCockpitViewDrawsOnlyTheCockpit) {
    // Camera 30 m ahead, looking further ahead: the car is behind it.
    camera->position = car->getPosition() + car->matrix.zAxis() * 30.0f;
    camera->lookAt(car->getPosition() + car->matrix.zAxis() * 60.0f);
    camera->apply();
    EXPECT_TRUE(drawCar(0).empty());

    const auto cockpit = drawCar(1);
    EXPECT_EQ(triangles(cockpit), trianglesOf(car->cockpitModel));
    EXPECT_TRUE(sameMatrix(engine.matrixStack.top(), base));
}

}  // namespace
