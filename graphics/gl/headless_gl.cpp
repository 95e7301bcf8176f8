#define GL_GLEXT_PROTOTYPES 1
#include "graphics/gl/headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include "graphics/gl/gl_device.h"

struct HeadlessGl::Egl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

namespace {

struct DepthLayout {
    GLenum internal;
    GLint depthBits;
    GLint stencilBits;
};

DepthLayout depthLayout(RDepthFormat format) {
    switch (format) {
    case RDepthFormat::D32: return {GL_DEPTH_COMPONENT32, 32, 0};
    case RDepthFormat::D24X8: return {GL_DEPTH_COMPONENT24, 24, 0};
    case RDepthFormat::D24S8: return {GL_DEPTH24_STENCIL8, 24, 8};
    default: return {GL_DEPTH_COMPONENT16, 16, 0};
    }
}

std::string text(GLenum name) {
    const GLubyte* s = glGetString(name);
    return s != nullptr ? reinterpret_cast<const char*>(s) : "?";
}

}  // namespace

HeadlessGl::HeadlessGl(int width, int height) : width_(width), height_(height), egl_(std::make_unique<Egl>()) {}

HeadlessGl::~HeadlessGl() {
    if (egl_->context == EGL_NO_CONTEXT) return;
    makeCurrent();  // the names below are this context's
    device_.reset();
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colourBuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(egl_->display, egl_->context);
    // The display stays initialised: EGL shares it process-wide, and other
    // contexts of this process may still use it.
}

bool HeadlessGl::createInterface() {
    if (width_ <= 0 || height_ <= 0) {
        error_ = "a picture of " + std::to_string(width_) + " x " + std::to_string(height_) + " pixels";
        return false;
    }
    egl_->display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (egl_->display == EGL_NO_DISPLAY) {
        error_ = "EGL has no surfaceless platform (Mesa's libegl-mesa0 is needed)";
        return false;
    }
    if (!eglInitialize(egl_->display, nullptr, nullptr)) {
        error_ = "EGL could not be initialised on the surfaceless platform";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error_ = "EGL offers no desktop OpenGL";
        return false;
    }
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(egl_->display, configAttributes, &config, 1, &configs) || configs == 0) config = nullptr;
    // No profile asked for: the compatibility profile, which keeps the fixed
    // function pipeline.
    egl_->context = eglCreateContext(egl_->display, config, EGL_NO_CONTEXT, nullptr);
    if (egl_->context == EGL_NO_CONTEXT) {
        error_ = "EGL could not create an OpenGL context";
        return false;
    }
    if (!eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_->context)) {
        eglDestroyContext(egl_->display, egl_->context);
        egl_->context = EGL_NO_CONTEXT;
        error_ = "EGL could not make its OpenGL context current without a surface";
        return false;
    }
    return true;
}

bool HeadlessGl::makeCurrent() {
    if (egl_->context == EGL_NO_CONTEXT) return false;
    if (eglGetCurrentContext() == egl_->context) return true;
    return eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl_->context) == EGL_TRUE;
}

bool HeadlessGl::readDisplayMode() {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (largest < width_ || largest < height_) {
        error_ = "OpenGL cannot render " + std::to_string(width_) + " x " + std::to_string(height_) + " pixels";
        return false;
    }
    return true;
}

// OpenGL always transforms and lights vertices in its own pipeline.
bool HeadlessGl::hardwareTnL() { return true; }

bool HeadlessGl::makeFramebuffer(unsigned depthFormat, bool stencil) {
    if (framebuffer_ == 0) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colourBuffer_);
        glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
    }
    if (depthBuffer_ != 0) glDeleteRenderbuffers(1, &depthBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, width_, height_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil ? depthBuffer_ : 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    while (glGetError() != GL_NO_ERROR) {
    }
    return complete;
}

bool HeadlessGl::depthFormatUsable(RDepthFormat format) {
    // A format counts only when the buffer OpenGL really made has exactly
    // its depth and stencil bits, so the line the engine prints names the
    // depth buffer that is drawn with.
    const DepthLayout layout = depthLayout(format);
    if (!makeFramebuffer(layout.internal, layout.stencilBits > 0)) return false;
    GLint depthBits = 0, stencilBits = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depthBits);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_STENCIL_SIZE, &stencilBits);
    return depthBits == layout.depthBits && stencilBits == layout.stencilBits;
}

RDevice* HeadlessGl::createDevice(void*, RDepthFormat depth, bool, int& width, int& height) {
    const DepthLayout layout = depthLayout(depth);
    if (!makeFramebuffer(layout.internal, layout.stencilBits > 0)) {
        error_ = "OpenGL could not make a framebuffer with that depth buffer";
        return nullptr;
    }
    glViewport(0, 0, width_, height_);
    device_ = std::make_unique<GlDevice>(width_, height_);
    width = width_;
    height = height_;
    return device_.get();
}

std::vector<uint8_t> HeadlessGl::readPixels() {
    if (!device_ || !makeCurrent()) return {};
    return device_->readPixels();
}

std::string HeadlessGl::description() const {
    if (egl_->context == EGL_NO_CONTEXT) return "no OpenGL context";
    return "OpenGL " + text(GL_VERSION) + " on EGL (surfaceless), renderer " + text(GL_RENDERER) + ", " +
           std::to_string(width_) + " x " + std::to_string(height_) + " pixels";
}
