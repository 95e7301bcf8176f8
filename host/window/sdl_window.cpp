#include "host/window/sdl_window.h"

#include <cstdlib>

#include <GL/gl.h>

#include "graphics/gl/gl_device.h"

namespace {
bool set(const char* name) { return std::getenv(name) != nullptr && *std::getenv(name) != '\0'; }

int attribute(SDL_GLattr which)
{
    int value = 0;
    return SDL_GL_GetAttribute(which, &value) == 0 ? value : 0;
}

int depthBits(RDepthFormat format)
{
    switch (format) {
    case RDepthFormat::D32: return 32;
    case RDepthFormat::D24X8:
    case RDepthFormat::D24S8: return 24;
    default: return 16;
    }
}

std::string text(GLenum name)
{
    const GLubyte* s = glGetString(name);
    return s != nullptr ? reinterpret_cast<const char*>(s) : "?";
}
}  // namespace

bool displayAvailable() { return set("DISPLAY") || set("WAYLAND_DISPLAY"); }

SdlWindow::SdlWindow() = default;

SdlWindow::~SdlWindow()
{
    if (context_) {
        SDL_GL_MakeCurrent(window_, context_);  // the device's names are this context's
        device_.reset();
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    if (sdlStarted_) SDL_Quit();
}

bool SdlWindow::open(const std::string& title, int width, int height, std::string& error)
{
    // Ctrl-C stays the drive's own (it ends the run at a frame's end), not
    // a quit event of SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return error = std::string("SDL: ") + SDL_GetError(), false;
    sdlStarted_ = true;
    // OpenGL 2.1 with no profile: the compatibility profile, which keeps
    // the fixed-function pipeline the device draws with.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (!window_) return error = std::string("SDL cannot open a window: ") + SDL_GetError(), false;
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) return error = std::string("SDL cannot make an OpenGL context: ") + SDL_GetError(), false;
    if (SDL_GL_MakeCurrent(window_, context_) != 0)
        return error = std::string("SDL cannot make the OpenGL context current: ") + SDL_GetError(), false;
    vsync_ = SDL_GL_SetSwapInterval(1) == 0;
    return true;
}

bool SdlWindow::createInterface() { return context_ != nullptr; }

bool SdlWindow::readDisplayMode() { return window_ != nullptr; }

// OpenGL always transforms and lights vertices in its own pipeline.
bool SdlWindow::hardwareTnL() { return true; }

// The window's framebuffer came with the depth buffer the system gave it:
// a format fits when that buffer has at least its bits.
bool SdlWindow::depthFormatUsable(RDepthFormat format)
{
    const int stencil = format == RDepthFormat::D24S8 ? 8 : 0;
    return depthBits(format) <= attribute(SDL_GL_DEPTH_SIZE) && stencil <= attribute(SDL_GL_STENCIL_SIZE);
}

RDevice* SdlWindow::createDevice(void*, RDepthFormat, bool, int& width, int& height)
{
    SDL_GL_GetDrawableSize(window_, &width, &height);
    glViewport(0, 0, width, height);
    SDL_Window* window = window_;
    device_ = std::make_unique<GlDevice>(width, height, [window] { SDL_GL_SwapWindow(window); });
    return device_.get();
}

SDL_Point SdlWindow::size() const
{
    SDL_Point size{0, 0};
    if (window_) SDL_GL_GetDrawableSize(window_, &size.x, &size.y);
    return size;
}

SDL_Point SdlWindow::followSize()
{
    const SDL_Point now = size();
    if (device_ && (now.x != device_->width() || now.y != device_->height())) device_->resize(now.x, now.y);
    return now;
}

std::string SdlWindow::description() const
{
    if (!context_) return "no OpenGL context";
    const SDL_Point now = size();
    return "OpenGL " + text(GL_VERSION) + ", renderer " + text(GL_RENDERER) + ", a window of " +
           std::to_string(now.x) + " x " + std::to_string(now.y) + " pixels, " +
           (vsync_ ? "vsync" : "no vsync: at most 60 pictures/s");
}
