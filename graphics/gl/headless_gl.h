// HeadlessGl: drawing without a display. An OpenGL context from EGL on
// Mesa's surfaceless platform renders into a framebuffer object of a fixed
// size; the engine makes its device through this factory (REngine::init)
// and the host reads each finished picture back with readPixels. When no
// context can be made the factory says why (error()) and the engine runs
// without a device, drawing nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device_factory.h"

class GlDevice;

class HeadlessGl final : public RDeviceFactory {
public:
    HeadlessGl(int width = 1280, int height = 720);
    ~HeadlessGl() override;
    HeadlessGl(const HeadlessGl&) = delete;
    HeadlessGl& operator=(const HeadlessGl&) = delete;

    bool createInterface() override;
    bool readDisplayMode() override;
    bool hardwareTnL() override;
    bool depthFormatUsable(RDepthFormat format) override;
    RDevice* createDevice(void* window, RDepthFormat depth, bool hardwareVertexProcessing, int& width,
                          int& height) override;

    // Makes this factory's context the current one again (another context
    // made since in this thread took its place); false without a context.
    bool makeCurrent();
    // The device made by createDevice; null before, or when it failed.
    GlDevice* device() const { return device_.get(); }
    // The finished picture: width × height × 3 bytes, R, G, B, rows from
    // the top; empty without a device.
    std::vector<uint8_t> readPixels();
    int width() const { return width_; }
    int height() const { return height_; }
    // One line on where pictures are made ("OpenGL 4.5 ... on EGL
    // (surfaceless), renderer llvmpipe ..."), once a context exists.
    std::string description() const;
    // Why the context or the device could not be made.
    const std::string& error() const { return error_; }

private:
    struct Egl;
    bool makeFramebuffer(unsigned depthFormat, bool stencil);

    int width_;
    int height_;
    std::unique_ptr<Egl> egl_;
    unsigned framebuffer_ = 0;
    unsigned colourBuffer_ = 0;
    unsigned depthBuffer_ = 0;
    std::unique_ptr<GlDevice> device_;
    std::string error_;
};
