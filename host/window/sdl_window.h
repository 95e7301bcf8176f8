#pragma once
// The drive's window: an SDL2 window with an OpenGL 2.1 compatibility
// context, and the device factory that gives the engine the same OpenGL
// device as a headless drive, drawing into the window's own framebuffer and
// presenting each picture with a buffer swap. The window can be resized;
// the device follows. Vsync is asked for; where the display refuses it
// (Xvfb), the caller paces the pictures itself.

#include <memory>
#include <string>

#include <SDL2/SDL.h>

#include "graphics/device_factory.h"

class GlDevice;

// Whether a window system is there to open a window on (DISPLAY or
// WAYLAND_DISPLAY is set). SDL would otherwise pick a driver of its own
// that shows nothing to anyone, so ask this before initialising it.
bool displayAvailable();

class SdlWindow final : public RDeviceFactory {
public:
    SdlWindow();
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Initialises SDL's video, opens the window and makes its context
    // current; false with the reason.
    bool open(const std::string& title, int width, int height, std::string& error);

    // RDeviceFactory
    bool createInterface() override;
    bool readDisplayMode() override;
    bool hardwareTnL() override;
    bool depthFormatUsable(RDepthFormat format) override;
    RDevice* createDevice(void* window, RDepthFormat depth, bool hardwareVertexProcessing, int& width,
                          int& height) override;

    // The framebuffer's size in pixels.
    SDL_Point size() const;
    // The same, after a resize: the device is told.
    SDL_Point followSize();
    bool vsync() const { return vsync_; }
    SDL_Window* window() const { return window_; }
    Uint32 id() const { return window_ ? SDL_GetWindowID(window_) : 0; }
    // "OpenGL 4.5 ..., renderer llvmpipe ..., 1280 x 720 pixels, vsync".
    std::string description() const;

private:
    bool sdlStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool vsync_ = false;
    std::unique_ptr<GlDevice> device_;
};
