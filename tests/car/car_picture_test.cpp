// The car's shadow through the off-screen OpenGL device: it darkens the
// ground under the car. Where the car and its cockpit are drawn is checked
// through the recording device (solvi_drawing_test) and the skin's colour in
// `vqsim inspect --png` (model_picture_test).

#include "chassis/suspension.h"
#include "graphics/gl/headless_gl.h"
#include "graphics/camera.h"
#include "graphics/light.h"
#include "graphics/material.h"
#include "graphics/mesh_builder.h"
#include "graphics/scene_frame.h"
#include "support/car_on_strip.h"

namespace {

constexpr int kW = 320, kH = 240;

class CarPicture : public CarOnStripFixture {
protected:
    void SetUp() override {
        CarOnStripFixture::SetUp();
        engine.deviceFactory = &gl;
        if (!engine.init(nullptr, nullptr)) GTEST_SKIP() << "no OpenGL context: " << gl.error();
        rebuildCarOnDevice();
        for (int i = 0; i < 100; ++i) step();
    }
    void TearDown() override {
        CarOnStripFixture::TearDown();
        engine.setDevice(nullptr);
    }
    HeadlessGl gl{kW, kH};
};

TEST_F(CarPicture, TheShadowDarkensTheGroundUnderTheCar) {
    // A plain grey ground where the car stands; the car itself out of the
    // way, so the ground under it can be seen from straight above, in the
    // middle of the picture.
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
    RCamera* camera = engine.createCamera();
    camera->farPlane = 1500.0f;
    camera->aspect = static_cast<float>(kW) / kH;
    camera->position = car->matrix.transformPoint({0, 12.0f, -0.5f});
    camera->lookAt(Vector3{c.x, h, c.z});
    RLight* light = engine.createLight();
    auto brightnessUnderCar = [&](bool shadow) {
        car->shadowFrame->visible = shadow;
        engine.beginFrame();
        engine.setViewport(0, 0, kW, kH);
        engine.device->clear(kClearTarget | kClearDepth, 0xFF0000FF, 1.0f, 0);
        engine.resetTransforms();
        camera->apply();
        engine.setLighting(true);
        engine.setAmbient(0.4f, 0.4f, 0.4f);
        light->apply();
        ground->render(true, -1.0f, 0.0f);
        car->draw(0);
        engine.endFrame();
        const std::vector<uint8_t> rgb = gl.readPixels();
        const uint8_t* p = &rgb[3 * (kH / 2 * kW + kW / 2)];
        return p[0] + p[1] + p[2];
    };
    const int lit = brightnessUnderCar(false);
    const int shaded = brightnessUnderCar(true);
    EXPECT_GT(lit, 150);
    EXPECT_LT(shaded, lit * 0.8f);
}

}  // namespace
