// Pictures of the car through the off-screen OpenGL device, checked against
// geometry worked out here from the model and the camera, not against stored
// images: the silhouette covers the projected model, the skin's red
// dominates the car, a change of rpm moves the rev needle's pixels and no
// others, and the shadow darkens the ground under the car.

#include <algorithm>
#include <cmath>

#include "chassis/suspension.h"
#include "graphics/gl/headless_gl.h"
#include "graphics/camera.h"
#include "graphics/geometry.h"
#include "graphics/light.h"
#include "graphics/material.h"
#include "graphics/mesh_builder.h"
#include "graphics/scene_frame.h"
#include "support/car_on_strip.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr uint32_t kBackground = 0xFF0000FF;  // pure blue: in neither the car nor the ground

struct Box {
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    void add(float x, float y)
    {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
};

class CarPicture : public CarOnStripFixture {
protected:
    void SetUp() override
    {
        CarOnStripFixture::SetUp();
        engine.deviceFactory = &gl;
        if (!engine.init(nullptr, nullptr)) GTEST_SKIP() << "no OpenGL context: " << gl.error();
        rebuildCarOnDevice();
        for (int i = 0; i < 100; ++i) step();
        camera = engine.createCamera();
        camera->farPlane = 1500.0f;
        camera->nearPlane = 0.05f;
        camera->aspect = static_cast<float>(kW) / kH;
        light = engine.createLight();
    }
    void TearDown() override
    {
        CarOnStripFixture::TearDown();
        engine.setDevice(nullptr);
    }
    // The camera at a point of the car's frame, looking at another.
    void view(const Vector3& fromLocal, const Vector3& atLocal)
    {
        camera->position = car->matrix.transformPoint(fromLocal);
        camera->lookAt(car->matrix.transformPoint(atLocal));
    }
    std::vector<uint8_t> picture(uint8_t interior, CSceneFrame* ground = nullptr)
    {
        engine.beginFrame();
        engine.setViewport(0, 0, kW, kH);
        engine.device->clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
        engine.resetTransforms();
        camera->apply();
        engine.setLighting(true);
        engine.setAmbient(0.4f, 0.4f, 0.4f);
        light->apply();
        if (ground) ground->render(true, -1.0f, 0.0f);
        car->draw(interior);
        engine.endFrame();
        return gl.readPixels();
    }
    // Where a world point lands in the picture, pixels from the top left.
    void project(const Vector3& p, float& x, float& y)
    {
        const Matrix4 vp = Matrix4::multiply(engine.device->getTransform(RTransform::View),
                                             engine.device->getTransform(RTransform::Projection));
        float c[4];
        for (int k = 0; k < 4; ++k) c[k] = p.x * vp.at(0, k) + p.y * vp.at(1, k) + p.z * vp.at(2, k) + vp.at(3, k);
        x = (c[0] / c[3] + 1) * 0.5f * kW;
        y = (1 - c[1] / c[3]) * 0.5f * kH;
    }
    // The projected corners of every mesh under a frame, as it stands now.
    void addProjected(CSceneFrame* frame, Box& box)
    {
        const Matrix4 world = frame->getWorldMatrix();
        for (RGeometry* g : frame->geometries)
            for (const Vector3& p : g->positions) {
                float x, y;
                project(world.transformPoint(p), x, y);
                box.add(x, y);
            }
        for (CSceneFrame* child : frame->children) addProjected(child, box);
    }
    static bool isBackground(const uint8_t* p) { return p[0] < 8 && p[1] < 8 && p[2] > 247; }
    static bool isRed(const uint8_t* p) { return p[0] > 90 && p[0] > 1.6f * p[1] && p[0] > 1.6f * p[2]; }

    HeadlessGl gl{kW, kH};
    RCamera* camera = nullptr;
    RLight* light = nullptr;
};

TEST_F(CarPicture, SilhouetteCoversTheProjectedModelAndTheSkinDominates)
{
    car->shadowFrame->visible = false;
    view({3.5f, 2.0f, -6.0f}, {0, 0.3f, 0});
    const std::vector<uint8_t> rgb = picture(0);
    Box drawn, model;
    int carPixels = 0, red = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = &rgb[3 * (y * kW + x)];
            if (isBackground(p)) continue;
            drawn.add(x, y), drawn.add(x + 1.0f, y + 1.0f);
            ++carPixels;
            red += isRed(p);
        }
    addProjected(car->bodyModel, model);
    for (CSuspension* unit : car->suspension) addProjected(unit, model);
    EXPECT_NEAR(drawn.x0, model.x0, 3.0f);
    EXPECT_NEAR(drawn.x1, model.x1, 3.0f);
    EXPECT_NEAR(drawn.y0, model.y0, 3.0f);
    EXPECT_NEAR(drawn.y1, model.y1, 3.0f);
    EXPECT_GT(red, carPixels / 2) << red << " red of " << carPixels;
}

TEST_F(CarPicture, OnlyTheRevNeedleMovesWithTheRpm)
{
    DriverEye eye{};
    car->getDriverEye(eye);
    camera->position = eye.position;
    camera->direction = eye.forward;
    camera->up = eye.up;
    camera->tracking = false;
    auto atRpm = [&](int rpm) {
        car->carEngine.rpm = rpm;
        car->updateInstruments(0);
        return picture(1);
    };
    const std::vector<uint8_t> low = atRpm(1000);
    Box needle;
    addProjected(car->rpmNeedle, needle);
    const std::vector<uint8_t> high = atRpm(6000);
    addProjected(car->rpmNeedle, needle);
    int changed = 0, outside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const size_t i = 3 * (y * kW + x);
            if (std::equal(&low[i], &low[i] + 3, &high[i])) continue;
            ++changed;
            outside += x < needle.x0 - 2 || x > needle.x1 + 2 || y < needle.y0 - 2 || y > needle.y1 + 2;
        }
    EXPECT_GT(changed, 10);
    EXPECT_EQ(outside, 0);
}

TEST_F(CarPicture, TheShadowDarkensTheGroundUnderTheCar)
{
    // A plain grey ground where the car stands; the car itself out of the
    // way, so the ground under it can be seen from above.
    CSceneFrame* ground = engine.createFrame();
    RMaterial* grey = engine.createMaterial();
    grey->setDiffuse(0.6f, 0.6f, 0.6f);
    grey->setTwoSided(true);
    const Vector3 c = car->getPosition();
    const float h = car->suspension[0]->groundHeight;
    RMeshBuilder(&engine, ground, grey)
        .quad({c.x - 20, h, c.z - 20}, {c.x + 20, h, c.z - 20}, {c.x + 20, h, c.z + 20}, {c.x - 20, h, c.z + 20},
              {0, 1, 0});
    ground->buildBuffers();
    car->bodyModel->visible = false;
    for (CSuspension* unit : car->suspension) unit->visible = false;
    view({0, 12.0f, -0.5f}, {0, 0, 0});
    float x, y;
    auto brightnessUnderCar = [&](bool shadow) {
        car->shadowFrame->visible = shadow;
        const std::vector<uint8_t> rgb = picture(0, ground);
        project(Vector3{c.x, h, c.z}, x, y);
        const uint8_t* p = &rgb[3 * (static_cast<int>(y) * kW + static_cast<int>(x))];
        return p[0] + p[1] + p[2];
    };
    const int lit = brightnessUnderCar(false);
    const int shaded = brightnessUnderCar(true);
    EXPECT_GT(lit, 150);
    EXPECT_LT(shaded, lit * 0.8f);
}

}  // namespace
