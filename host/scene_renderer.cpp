#include "host/scene_renderer.h"

#include "car/icar.h"
#include "graphics/engine.h"
#include "graphics/light.h"
#include "graphics/scene_frame.h"
#include "host/track_mesh.h"

namespace {
constexpr uint32_t kSkyColour = 0xFF8CB4DC;  // a clear afternoon
}

SceneRenderer::SceneRenderer(REngine& engine, const Track& track, const SimHost& host, int width, int height,
                             CameraView view)
    : engine_(engine),
      trackFrame_(buildTrackMesh(engine, track)),
      light_(engine.createLight()),
      cameras_(engine, track, static_cast<float>(width) / static_cast<float>(height)),
      view_(view),
      width_(width),
      height_(height)
{
    engine.width = width;
    engine.height = height;
    hud_ = std::make_unique<Hud>(engine, host, height);
}

void SceneRenderer::resize(int width, int height)
{
    width_ = engine_.width = width;
    height_ = engine_.height = height;
    cameras_.setAspect(static_cast<float>(width) / static_cast<float>(height));
}

void SceneRenderer::draw(ICar& car, const std::vector<std::string>& overlay)
{
    engine_.beginFrame();
    engine_.setViewport(0, 0, width_, height_);
    if (engine_.device) engine_.device->clear(kClearTarget | kClearDepth, kSkyColour, 1.0f, 0);
    engine_.resetTransforms();
    cameras_.place(car, view_);
    engine_.setZEnable(true);
    engine_.setLighting(true);
    engine_.setAmbient(0.45f, 0.45f, 0.45f);
    light_->apply();
    trackFrame_->render(true, -1.0f, 0.0f);
    car.draw(view_ == CameraView::Cockpit ? 1 : 0);
    if (suspension_) {
        // The arms sit inside the wheel arches: drawn through the body, or
        // the view would show nothing of them.
        engine_.setZEnable(false);
        car.drawSuspension();
        engine_.setZEnable(true);
    }
    if (brakeGlow_) car.drawExtra(1.0f);
    hud_->draw(car, overlay);
    engine_.endFrame();
}
