#pragma once
// An engine drawing through the OpenGL device into a small off-screen
// picture, and what tests read back from it. Tests skip when this machine
// cannot make an OpenGL context.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/gl/gl_device.h"
#include "graphics/gl/headless_gl.h"
#include "graphics/engine.h"

struct GlRig {
    HeadlessGl gl;  // outlives the engine: meshes release into its device
    std::unique_ptr<REngine> engine;
    bool ok = false;

    GlRig(int width, int height) : gl(width, height) {
        testing::internal::CaptureStdout();
        engine = std::make_unique<REngine>();
        engine->deviceFactory = &gl;
        ok = engine->init(nullptr, nullptr);
        testing::internal::GetCapturedStdout();
    }
    ~GlRig() {
        testing::internal::CaptureStdout();
        engine.reset();
        testing::internal::GetCapturedStdout();
    }
    RDevice& device() { return *engine->device; }
    std::vector<uint8_t> pixels() { return gl.readPixels(); }
};

#define SKIP_WITHOUT_GL(rig) \
    if (!(rig).ok) GTEST_SKIP() << "no OpenGL context here: " << (rig).gl.error()

struct Rgb { int r, g, b; };

inline Rgb pixelAt(const std::vector<uint8_t>& rgb, int width, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
}
