#define GL_GLEXT_PROTOTYPES 1
#include "graphics/gl/gl_device.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/image.h"

struct GlDevice::Buffer {
    GLuint name = 0;
    bool isIndex = false;
    bool locked = false;
    uint32_t lockOffset = 0;
    uint32_t lockBytes = 0;
    std::vector<uint8_t> shadow;  // what a lock hands out, uploaded at unlock
};

struct GlDevice::Texture {
    GLuint name = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels = 1;
    RTextureFormat format = RTextureFormat::Unknown;
};

namespace {

int idx(RRenderState s) { return static_cast<int>(s); }
int idx(RStageState s) { return static_cast<int>(s); }
int idx(RSamplerState s) { return static_cast<int>(s); }
int idx(RTransform t) { return static_cast<int>(t); }

void colour4(const RColour& c, GLfloat out[4]) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

void argb4(uint32_t argb, GLfloat out[4]) {
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
    out[3] = (argb >> 24) / 255.0f;
}

// Row-vector matrices are OpenGL's column-vector matrices transposed, which
// is exactly the difference between row-major and column-major storage.
void loadMatrix(const Matrix4& m) { glLoadMatrixf(m.m); }

// The engine's projections leave depth 0..1 after the divide; OpenGL wants
// -1..1 and maps it back with the depth range: z' = 2z - w.
Matrix4 depthToOpenGl(const Matrix4& projection) {
    Matrix4 remap;
    remap.at(2, 2) = 2.0f;
    remap.at(3, 2) = -1.0f;
    return Matrix4::multiply(projection, remap);
}

GLenum combineSource(uint32_t arg) {
    switch (static_cast<RTextureArg>(arg)) {
    case RTextureArg::Diffuse: return GL_PRIMARY_COLOR;
    case RTextureArg::Texture: return GL_TEXTURE;
    case RTextureArg::Factor: return GL_CONSTANT;
    default: return GL_PREVIOUS;
    }
}

// One half (colour or alpha) of a texture stage as a combiner. `operand` is
// GL_SRC_COLOR or GL_SRC_ALPHA.
void combine(GLenum modeName, GLenum sourceBase, GLenum operandBase, GLenum operand, uint32_t op, uint32_t arg1,
             uint32_t arg2) {
    GLenum mode = GL_REPLACE;
    GLenum sources[3] = {combineSource(arg1), combineSource(arg2), GL_CONSTANT};
    GLenum operands[3] = {operand, operand, GL_SRC_ALPHA};
    switch (static_cast<RTextureOp>(op)) {
    case RTextureOp::SelectArg2: sources[0] = sources[1]; break;
    case RTextureOp::Modulate: mode = GL_MODULATE; break;
    case RTextureOp::BlendFactorAlpha: mode = GL_INTERPOLATE; break;
    case RTextureOp::SelectArg1: break;
    default: sources[0] = GL_PREVIOUS; break;  // an alpha half left off passes on
    }
    glTexEnvi(GL_TEXTURE_ENV, modeName, static_cast<GLint>(mode));
    for (int i = 0; i < 3; ++i) {
        glTexEnvi(GL_TEXTURE_ENV, sourceBase + i, static_cast<GLint>(sources[i]));
        glTexEnvi(GL_TEXTURE_ENV, operandBase + i, static_cast<GLint>(operands[i]));
    }
}

GLint minFilter(uint32_t min, uint32_t mip) {
    const bool linear = static_cast<RTextureFilter>(min) == RTextureFilter::Linear;
    switch (static_cast<RTextureFilter>(mip)) {
    case RTextureFilter::Point: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case RTextureFilter::Linear: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: return linear ? GL_LINEAR : GL_NEAREST;
    }
}

struct TexelLayout {
    GLint internal;
    GLenum format;
    GLenum type;
};

TexelLayout layoutOf(RTextureFormat format) {
    switch (format) {
    case RTextureFormat::Rgb24: return {GL_RGB8, GL_RGBA, GL_UNSIGNED_BYTE};
    case RTextureFormat::Luminance8: return {GL_LUMINANCE8, GL_RGBA, GL_UNSIGNED_BYTE};
    case RTextureFormat::Argb4444: return {GL_RGBA4, GL_RGBA, GL_UNSIGNED_BYTE};
    default: return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
    }
}

// The bytes the format keeps of an R, G, B, A texel, so that what is drawn
// and what the format can hold agree.
void reduceToFormat(uint8_t* q, RTextureFormat format) {
    switch (format) {
    case RTextureFormat::Rgb24: q[3] = 255; break;
    case RTextureFormat::Luminance8:
        q[0] = q[1] = q[2] = static_cast<uint8_t>(std::lround(0.299 * q[0] + 0.587 * q[1] + 0.114 * q[2]));
        q[3] = 255;
        break;
    case RTextureFormat::Argb4444:
        for (int c = 0; c < 4; ++c) q[c] = static_cast<uint8_t>((q[c] >> 4) * 17);
        break;
    default: break;
    }
}

}  // namespace

GlDevice::GlDevice(int width, int height, std::function<void()> present)
    : width_(width), height_(height), present_(std::move(present)) {
    // The usual fixed-pipeline start, as the recording device has it.
    State& s = state_;
    s.render[idx(RRenderState::ZEnable)] = 1;
    s.render[idx(RRenderState::CullMode)] = deviceValue(RCull::CounterClockwise);
    s.render[idx(RRenderState::Lighting)] = 1;
    s.render[idx(RRenderState::AlphaFunc)] = deviceValue(RCompare::Always);
    s.render[idx(RRenderState::TextureFactor)] = 0xFFFFFFFFu;
    for (int stage = 0; stage < kStages; ++stage) {
        uint32_t* t = s.stage[stage];
        t[idx(RStageState::ColourOp)] = deviceValue(stage == 0 ? RTextureOp::Modulate : RTextureOp::Disable);
        t[idx(RStageState::ColourArg1)] = deviceValue(RTextureArg::Texture);
        t[idx(RStageState::ColourArg2)] = deviceValue(RTextureArg::Current);
        t[idx(RStageState::AlphaOp)] = deviceValue(stage == 0 ? RTextureOp::SelectArg1 : RTextureOp::Disable);
        t[idx(RStageState::AlphaArg1)] = deviceValue(RTextureArg::Texture);
        t[idx(RStageState::AlphaArg2)] = deviceValue(RTextureArg::Current);
        t[idx(RStageState::TexCoordIndex)] = static_cast<uint32_t>(stage);
        s.sampler[stage][idx(RSamplerState::MinFilter)] = deviceValue(RTextureFilter::Point);
        s.sampler[stage][idx(RSamplerState::MagFilter)] = deviceValue(RTextureFilter::Point);
    }
    s.viewport = RViewport{0, 0, width, height, 0.0f, 1.0f};
    saved_ = state_;

    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    maxTextureSize_ = static_cast<uint32_t>(std::max(largest, 0));

    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    const uint8_t white[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    // Fixed for the device's life: the specular term is added after
    // texturing, highlights are seen from the eye (the engine's view space
    // is left-handed, so OpenGL's viewer on +z would be behind the eye),
    // normals are renormalised after scaled model matrices, depth compares
    // less-or-equal, blending is source over.
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glEnable(GL_NORMALIZE);
    glDepthFunc(GL_LEQUAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glFrontFace(GL_CCW);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
}

GlDevice::~GlDevice() {
    for (auto& [handle, buffer] : buffers_) glDeleteBuffers(1, &buffer->name);
    for (auto& [handle, texture] : textures_) glDeleteTextures(1, &texture->name);
    glDeleteTextures(1, &whiteTexture_);
}

std::vector<uint8_t> GlDevice::readPixels() {
    std::vector<uint8_t> rows(static_cast<size_t>(width_) * height_ * 3);
    std::vector<uint8_t> bottomUp(rows.size());
    glFinish();
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t rowBytes = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::memcpy(rows.data() + y * rowBytes, bottomUp.data() + (height_ - 1 - y) * rowBytes, rowBytes);
    return rows;
}

void GlDevice::beginScene() {}

void GlDevice::endScene() { glFlush(); }

void GlDevice::present() {
    if (present_) present_();
}

void GlDevice::clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) {
    // Like the device it stands in for, a clear touches the viewport only.
    const RViewport& v = state_.viewport;
    glEnable(GL_SCISSOR_TEST);
    glScissor(v.x, height_ - v.y - v.height, v.width, v.height);
    GLbitfield mask = 0;
    if (flags & kClearTarget) {
        GLfloat c[4];
        argb4(colour, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & kClearDepth) {
        glClearDepth(depth);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & kClearStencil) {
        glClearStencil(static_cast<GLint>(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
}

// --- buffers ---

GlDevice::Buffer* GlDevice::createBuffer(uint32_t bytes, bool isIndex) {
    if (bytes == 0) return nullptr;
    auto buffer = std::make_unique<Buffer>();
    buffer->isIndex = isIndex;
    buffer->shadow.assign(bytes, 0);
    while (glGetError() != GL_NO_ERROR) {
        // Only this buffer's own errors count below.
    }
    glGenBuffers(1, &buffer->name);
    const GLenum target = isIndex ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
    glBindBuffer(target, buffer->name);
    glBufferData(target, bytes, buffer->shadow.data(), GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &buffer->name);
        return nullptr;
    }
    Buffer* raw = buffer.get();
    buffers_.emplace(raw, std::move(buffer));
    return raw;
}

RDeviceVertexBuffer* GlDevice::createVertexBuffer(uint32_t bytes) {
    return reinterpret_cast<RDeviceVertexBuffer*>(createBuffer(bytes, false));
}

RDeviceIndexBuffer* GlDevice::createIndexBuffer(uint32_t bytes) {
    return reinterpret_cast<RDeviceIndexBuffer*>(createBuffer(bytes, true));
}

void* GlDevice::lock(Buffer* buffer, uint32_t offset, uint32_t bytes) {
    if (buffer == nullptr || !buffers_.count(buffer) || buffer->locked) return nullptr;
    if (static_cast<uint64_t>(offset) + bytes > buffer->shadow.size()) return nullptr;
    buffer->locked = true;
    buffer->lockOffset = offset;
    buffer->lockBytes = bytes;
    return buffer->shadow.data() + offset;
}

void GlDevice::unlock(Buffer* buffer) {
    if (buffer == nullptr || !buffers_.count(buffer) || !buffer->locked) return;
    buffer->locked = false;
    const GLenum target = buffer->isIndex ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
    glBindBuffer(target, buffer->name);
    glBufferSubData(target, buffer->lockOffset, buffer->lockBytes, buffer->shadow.data() + buffer->lockOffset);
    glBindBuffer(target, 0);
}

void GlDevice::release(Buffer* buffer) {
    auto it = buffers_.find(buffer);
    if (it == buffers_.end()) return;
    glDeleteBuffers(1, &buffer->name);
    if (state_.stream == buffer) state_.stream = nullptr;
    if (state_.indices == buffer) state_.indices = nullptr;
    if (saved_.stream == buffer) saved_.stream = nullptr;
    if (saved_.indices == buffer) saved_.indices = nullptr;
    buffers_.erase(it);
}

void* GlDevice::lockVertexBuffer(RDeviceVertexBuffer* b, uint32_t offset, uint32_t bytes) {
    Buffer* buffer = reinterpret_cast<Buffer*>(b);
    return buffers_.count(buffer) && !buffer->isIndex ? lock(buffer, offset, bytes) : nullptr;
}

void GlDevice::unlockVertexBuffer(RDeviceVertexBuffer* b) { unlock(reinterpret_cast<Buffer*>(b)); }

void* GlDevice::lockIndexBuffer(RDeviceIndexBuffer* b, uint32_t offset, uint32_t bytes) {
    Buffer* buffer = reinterpret_cast<Buffer*>(b);
    return buffers_.count(buffer) && buffer->isIndex ? lock(buffer, offset, bytes) : nullptr;
}

void GlDevice::unlockIndexBuffer(RDeviceIndexBuffer* b) { unlock(reinterpret_cast<Buffer*>(b)); }

void GlDevice::releaseVertexBuffer(RDeviceVertexBuffer* b) { release(reinterpret_cast<Buffer*>(b)); }

void GlDevice::releaseIndexBuffer(RDeviceIndexBuffer* b) { release(reinterpret_cast<Buffer*>(b)); }

// --- drawing ---

void GlDevice::setStreamSource(RDeviceVertexBuffer* b, uint32_t stride) {
    Buffer* buffer = reinterpret_cast<Buffer*>(b);
    state_.stream = buffers_.count(buffer) && !buffer->isIndex ? buffer : nullptr;
    state_.stride = stride;
}

void GlDevice::setIndices(RDeviceIndexBuffer* b) {
    Buffer* buffer = reinterpret_cast<Buffer*>(b);
    state_.indices = buffers_.count(buffer) && buffer->isIndex ? buffer : nullptr;
}

void GlDevice::setVertexFormat(RVertexFormat format) { state_.format = format; }

void GlDevice::drawIndexedTriangles(int baseVertex, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                                    uint32_t primitiveCount) {
    if (state_.indices == nullptr || primitiveCount == 0) return;
    if (static_cast<uint64_t>(startIndex + primitiveCount * 3) * 2 > state_.indices->shadow.size()) return;
    if (state_.format == RVertexFormat::Screen || !prepareDraw(false)) return;
    applyVertexArrays(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state_.indices->name);
    const GLuint last = minIndex + std::max(vertexCount, 1u) - 1;
    glDrawRangeElementsBaseVertex(GL_TRIANGLES, minIndex, last, static_cast<GLsizei>(primitiveCount * 3),
                                  GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(uintptr_t{startIndex} * 2),
                                  baseVertex);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GlDevice::drawTriangles(uint32_t startVertex, uint32_t primitiveCount) {
    if (primitiveCount == 0) return;
    const bool screen = state_.format == RVertexFormat::Screen;
    if (!prepareDraw(screen)) return;
    if (static_cast<uint64_t>(startVertex + primitiveCount * 3) * state_.stride > state_.stream->shadow.size())
        return;
    applyVertexArrays(0);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(startVertex), static_cast<GLsizei>(primitiveCount * 3));
}

bool GlDevice::prepareDraw(bool screenSpace) {
    if (state_.stream == nullptr || state_.stride == 0 || state_.format == RVertexFormat::None) return false;
    const RViewport& v = state_.viewport;
    glViewport(v.x, height_ - v.y - v.height, v.width, v.height);
    glDepthRange(v.minZ, v.maxZ);
    applyTransforms(screenSpace);
    applyLighting(screenSpace);
    applyRenderStates();
    // A stage is on while its colour operation is; a stage that is off
    // switches every later one off too.
    bool enabled = true;
    for (int stage = 0; stage < kStages; ++stage) {
        enabled = enabled && state_.stage[stage][idx(RStageState::ColourOp)] != deviceValue(RTextureOp::Disable);
        applyStage(stage, enabled);
    }
    return true;
}

void GlDevice::applyTransforms(bool screenSpace) {
    glMatrixMode(GL_PROJECTION);
    if (screenSpace) {
        // Viewport pixels, y down, depth 0..1, onto OpenGL's cube.
        const RViewport& v = state_.viewport;
        Matrix4 pixels;
        pixels.at(0, 0) = 2.0f / static_cast<float>(std::max(v.width, 1));
        pixels.at(1, 1) = -2.0f / static_cast<float>(std::max(v.height, 1));
        pixels.at(2, 2) = 2.0f;
        pixels.at(3, 0) = -1.0f;
        pixels.at(3, 1) = 1.0f;
        pixels.at(3, 2) = -1.0f;
        loadMatrix(pixels);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        return;
    }
    loadMatrix(depthToOpenGl(state_.transforms[idx(RTransform::Projection)]));
    glMatrixMode(GL_MODELVIEW);
    // Lights live in world space: they are given with the view alone loaded.
    loadMatrix(state_.transforms[idx(RTransform::View)]);
    for (int i = 0; i < kLights; ++i) {
        if (!state_.lightOn[i]) continue;
        const RLightRecord& l = state_.lights[i];
        GLfloat position[4];
        if (l.type == RLightType::Directional) {
            // OpenGL's directional light is a position at infinity, the way
            // back towards the light.
            const Vector3 d = l.direction.normalised();
            position[0] = -d.x;
            position[1] = -d.y;
            position[2] = -d.z;
            position[3] = 0.0f;
        } else {
            position[0] = l.position.x;
            position[1] = l.position.y;
            position[2] = l.position.z;
            position[3] = 1.0f;
        }
        glLightfv(GL_LIGHT0 + i, GL_POSITION, position);
    }
    glMultMatrixf(state_.transforms[idx(RTransform::World)].m);
}

void GlDevice::applyLighting(bool screenSpace) {
    const bool lit = !screenSpace && state_.render[idx(RRenderState::Lighting)] != 0;
    if (!lit) {
        glDisable(GL_LIGHTING);
        // Unlit vertices without colours of their own are white.
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        return;
    }
    glEnable(GL_LIGHTING);
    GLfloat c[4];
    argb4(state_.render[idx(RRenderState::Ambient)], c);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, c);
    const RMaterialBlock& m = state_.material;
    colour4(m.diffuse, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
    colour4(m.ambient, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
    const bool specular = state_.render[idx(RRenderState::SpecularEnable)] != 0;
    colour4(specular ? m.specular : RColour{0.0f, 0.0f, 0.0f, 1.0f}, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, c);
    colour4(m.emissive, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, c);
    // OpenGL takes exponents up to 128 only.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.power, 0.0f, 128.0f));
    for (int i = 0; i < kLights; ++i) {
        const GLenum light = GL_LIGHT0 + i;
        if (!state_.lightOn[i]) {
            glDisable(light);
            continue;
        }
        glEnable(light);
        const RLightRecord& l = state_.lights[i];
        colour4(l.diffuse, c);
        glLightfv(light, GL_DIFFUSE, c);
        colour4(l.specular, c);
        glLightfv(light, GL_SPECULAR, c);
        colour4(l.ambient, c);
        glLightfv(light, GL_AMBIENT, c);
        const bool directional = l.type == RLightType::Directional;
        glLightf(light, GL_CONSTANT_ATTENUATION, directional ? 1.0f : std::max(l.attenuation0, 0.0f));
        glLightf(light, GL_LINEAR_ATTENUATION, directional ? 0.0f : l.attenuation1);
        glLightf(light, GL_QUADRATIC_ATTENUATION, directional ? 0.0f : l.attenuation2);
    }
}

void GlDevice::applyRenderStates() {
    const uint32_t* r = state_.render;
    if (r[idx(RRenderState::ZEnable)]) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    // The engine names windings in its left-handed screen frame (x right,
    // y down), where the turn OpenGL's y-up window calls counter-clockwise
    // counts as clockwise. With OpenGL's front faces counter-clockwise,
    // "cull clockwise" therefore culls OpenGL's front faces: what the
    // engine's loaders leave facing away from the viewer.
    switch (static_cast<RCull>(r[idx(RRenderState::CullMode)])) {
    case RCull::Clockwise:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    case RCull::CounterClockwise:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    default: glDisable(GL_CULL_FACE); break;
    }
    if (r[idx(RRenderState::AlphaTestEnable)]) {
        glEnable(GL_ALPHA_TEST);
        const uint32_t func = std::min(r[idx(RRenderState::AlphaFunc)], deviceValue(RCompare::Always));
        glAlphaFunc(GL_NEVER + func, static_cast<GLfloat>(r[idx(RRenderState::AlphaRef)] & 0xFF) / 255.0f);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
    if (r[idx(RRenderState::AlphaBlendEnable)])
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

void GlDevice::applyStage(int stage, bool enabled) {
    glActiveTexture(GL_TEXTURE0 + stage);
    glClientActiveTexture(GL_TEXTURE0 + stage);
    if (!enabled) {
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_GEN_R);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    const Texture* texture = state_.textures[stage];
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : whiteTexture_);
    if (texture != nullptr) {
        const uint32_t* p = state_.sampler[stage];
        auto wrap = [](uint32_t a) {
            return static_cast<RTextureAddress>(a) == RTextureAddress::Clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
        };
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(p[idx(RSamplerState::AddressU)]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(p[idx(RSamplerState::AddressV)]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        minFilter(p[idx(RSamplerState::MinFilter)], p[idx(RSamplerState::MipFilter)]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        static_cast<RTextureFilter>(p[idx(RSamplerState::MagFilter)]) == RTextureFilter::Linear
                            ? GL_LINEAR
                            : GL_NEAREST);
    }

    const uint32_t* t = state_.stage[stage];
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    GLfloat factor[4];
    argb4(state_.render[idx(RRenderState::TextureFactor)], factor);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
    combine(GL_COMBINE_RGB, GL_SRC0_RGB, GL_OPERAND0_RGB, GL_SRC_COLOR, t[idx(RStageState::ColourOp)],
            t[idx(RStageState::ColourArg1)], t[idx(RStageState::ColourArg2)]);
    combine(GL_COMBINE_ALPHA, GL_SRC0_ALPHA, GL_OPERAND0_ALPHA, GL_SRC_ALPHA, t[idx(RStageState::AlphaOp)],
            t[idx(RStageState::AlphaArg1)], t[idx(RStageState::AlphaArg2)]);

    // Coordinates: a stored set, or the reflection of the eye ray in view
    // space (which the engine's left-handed view space and OpenGL compute
    // alike: r = u - 2n(n·u)).
    const uint32_t coordinates = t[idx(RStageState::TexCoordIndex)];
    const bool reflect = (coordinates & kTexCoordCameraReflection) != 0;
    for (GLenum coord : {GL_S, GL_T, GL_R}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    for (GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) {
        if (reflect)
            glEnable(gen);
        else
            glDisable(gen);
    }
    glMatrixMode(GL_TEXTURE);
    const auto flags = static_cast<RTextureTransformFlags>(t[idx(RStageState::TextureTransformFlags)]);
    const Matrix4& m = state_.transforms[idx(stage == 0 ? RTransform::Texture0 : RTransform::Texture1)];
    if (flags == RTextureTransformFlags::Disable) {
        glLoadIdentity();
    } else if (flags == RTextureTransformFlags::Count2 && !reflect) {
        // Two stored coordinates come in as (u, v, 1): the translation sits
        // in the third row, where OpenGL's (s, t, 0, 1) needs it in the last.
        Matrix4 moved = m;
        for (int c = 0; c < 4; ++c) {
            moved.at(3, c) = m.at(2, c);
            moved.at(2, c) = 0.0f;
        }
        loadMatrix(moved);
    } else {
        loadMatrix(m);
    }
    glMatrixMode(GL_MODELVIEW);
}

void GlDevice::applyVertexArrays(uintptr_t firstByte) {
    glBindBuffer(GL_ARRAY_BUFFER, state_.stream->name);
    const GLsizei stride = static_cast<GLsizei>(state_.stride);
    auto at = [firstByte](uintptr_t offset) { return reinterpret_cast<const void*>(firstByte + offset); };
    const bool screen = state_.format == RVertexFormat::Screen;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, at(0));
    if (screen) {
        glDisableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        // 0xAARRGGBB in memory is B, G, R, A.
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, at(16));
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, at(12));
    }
    for (int stage = 0; stage < kStages; ++stage) {
        glClientActiveTexture(GL_TEXTURE0 + stage);
        const uint32_t set = state_.stage[stage][idx(RStageState::TexCoordIndex)] & 0xFFFFu;
        uintptr_t offset = screen ? 20 : 24;
        if (set == 1 && state_.format == RVertexFormat::TwoUv) offset = 32;
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, at(offset));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// --- transforms, lights, states ---

void GlDevice::setTransform(RTransform which, const Matrix4& matrix) {
    if (which < RTransform::Count) state_.transforms[idx(which)] = matrix;
}

Matrix4 GlDevice::getTransform(RTransform which) {
    return which < RTransform::Count ? state_.transforms[idx(which)] : Matrix4();
}

void GlDevice::setViewport(const RViewport& viewport) { state_.viewport = viewport; }

void GlDevice::setMaterial(const RMaterialBlock& material) { state_.material = material; }

void GlDevice::setLight(int index, const RLightRecord& light) {
    if (index >= 0 && index < kLights) state_.lights[index] = light;
}

void GlDevice::enableLight(int index, bool on) {
    if (index >= 0 && index < kLights) state_.lightOn[index] = on;
}

void GlDevice::setRenderState(RRenderState state, uint32_t value) {
    if (state < RRenderState::Count) state_.render[idx(state)] = value;
}

void GlDevice::setTextureStageState(int stage, RStageState state, uint32_t value) {
    if (stage >= 0 && stage < kStages && state < RStageState::Count) state_.stage[stage][idx(state)] = value;
}

void GlDevice::setSamplerState(int stage, RSamplerState state, uint32_t value) {
    if (stage >= 0 && stage < kStages && state < RSamplerState::Count) state_.sampler[stage][idx(state)] = value;
}

// --- textures ---

void GlDevice::setTexture(int stage, RDeviceTexture* handle) {
    if (stage < 0 || stage >= kStages) return;
    Texture* texture = reinterpret_cast<Texture*>(handle);
    state_.textures[stage] = textures_.count(texture) ? texture : nullptr;
}

GlDevice::Texture* GlDevice::newTexture(uint32_t width, uint32_t height, uint32_t levels, RTextureFormat format) {
    if (width == 0 || height == 0 || levels == 0 || format == RTextureFormat::Unknown) return nullptr;
    if (width > maxTextureSize_ || height > maxTextureSize_) return nullptr;
    auto texture = std::make_unique<Texture>();
    texture->width = width;
    texture->height = height;
    texture->format = format;
    // The chain never goes past 1 × 1.
    uint32_t full = 1;
    for (uint32_t side = std::max(width, height); side > 1; side /= 2) ++full;
    texture->levels = std::min(levels, full);
    glGenTextures(1, &texture->name);
    Texture* raw = texture.get();
    textures_.emplace(raw, std::move(texture));
    return raw;
}

void GlDevice::upload(Texture& texture, const std::vector<uint8_t>& rgba) {
    const TexelLayout layout = layoutOf(texture.format);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glTexImage2D(GL_TEXTURE_2D, 0, layout.internal, static_cast<GLsizei>(texture.width),
                 static_cast<GLsizei>(texture.height), 0, layout.format, layout.type, rgba.data());
    // Sampling reads no level the texture was not made with: a mip filter
    // on a one-level texture then reads level 0, where OpenGL would
    // otherwise call the texture incomplete and draw it black.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture.levels - 1));
    if (texture.levels > 1) glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

RDeviceTexture* GlDevice::createTextureFromFile(const std::string& path, uint32_t levels, RTextureFormat format,
                                                uint32_t colourKey) {
    if (levels == 0 || format == RTextureFormat::Unknown) return nullptr;
    RImage image;
    image.quiet = true;
    image.colourKey = false;  // the key here is the device's own: transparent black
    if (!image.loadFile(path)) return nullptr;
    Texture* texture = newTexture(static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), levels,
                                  format);
    if (texture == nullptr) return nullptr;
    std::vector<uint8_t> rgba(static_cast<size_t>(image.width) * image.height * 4);
    const int bpp = image.bytesPerPixel;
    for (int y = 0; y < image.height; ++y) {
        // The image is bottom-up; texture row 0 is its top (v = 0).
        const uint8_t* row = image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * image.width * bpp;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = row + x * bpp;
            uint8_t* q = rgba.data() + (static_cast<size_t>(y) * image.width + x) * 4;
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = bpp == 4 ? p[3] : 255;
            const uint32_t argb = (uint32_t{q[3]} << 24) | (uint32_t{q[0]} << 16) | (uint32_t{q[1]} << 8) | q[2];
            if (colourKey != 0 && argb == colourKey) q[0] = q[1] = q[2] = q[3] = 0;
            reduceToFormat(q, format);
        }
    }
    upload(*texture, rgba);
    return reinterpret_cast<RDeviceTexture*>(texture);
}

RDeviceTexture* GlDevice::createTexture(uint32_t width, uint32_t height, uint32_t levels, RTextureFormat format) {
    if (static_cast<int64_t>(width) * height > RImage::kMaxPixels) return nullptr;
    Texture* texture = newTexture(width, height, levels, format);
    if (texture == nullptr) return nullptr;
    upload(*texture, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0));
    return reinterpret_cast<RDeviceTexture*>(texture);
}

bool GlDevice::fillTexture(RDeviceTexture* handle, const RTexelFunction& texel) {
    Texture* texture = reinterpret_cast<Texture*>(handle);
    if (!textures_.count(texture) || !texel) return false;
    std::vector<uint8_t> rgba(static_cast<size_t>(texture->width) * texture->height * 4);
    auto byte = [](float c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f)); };
    for (uint32_t y = 0; y < texture->height; ++y) {
        for (uint32_t x = 0; x < texture->width; ++x) {
            const RColour c = texel((x + 0.5f) / static_cast<float>(texture->width),
                                    (y + 0.5f) / static_cast<float>(texture->height));
            uint8_t* q = rgba.data() + (static_cast<size_t>(y) * texture->width + x) * 4;
            // A luminance texture filled from a grey takes the red channel.
            const bool grey = texture->format == RTextureFormat::Luminance8;
            q[0] = byte(c.r);
            q[1] = byte(grey ? c.r : c.g);
            q[2] = byte(grey ? c.r : c.b);
            q[3] = byte(c.a);
            reduceToFormat(q, texture->format);
        }
    }
    upload(*texture, rgba);
    return true;
}

RTextureFormat GlDevice::levelFormat(RDeviceTexture* handle, uint32_t level) {
    const Texture* texture = reinterpret_cast<Texture*>(handle);
    if (!textures_.count(texture) || level >= texture->levels) return RTextureFormat::Unknown;
    return texture->format;
}

void GlDevice::releaseTexture(RDeviceTexture* handle) {
    Texture* texture = reinterpret_cast<Texture*>(handle);
    auto it = textures_.find(texture);
    if (it == textures_.end()) return;
    glDeleteTextures(1, &texture->name);
    for (State* s : {&state_, &saved_})
        for (Texture*& bound : s->textures)
            if (bound == texture) bound = nullptr;
    textures_.erase(it);
}

uint32_t GlDevice::maxTextureSize() { return maxTextureSize_; }

void GlDevice::saveState() { saved_ = state_; }

void GlDevice::restoreState() { state_ = saved_; }
