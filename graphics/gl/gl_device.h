// GlDevice: RDevice on OpenGL 2.1 compatibility, fixed function. It keeps
// the device's states as asked for and hands them to OpenGL just before a
// draw, converting the engine's conventions once, here: row-vector matrices
// load as they are (OpenGL's column-major order is their transpose), the
// projection's depth 0..1 is remapped to OpenGL's -1..1, viewports count
// rows from the top, the culled winding is the one seen on screen, a
// travelling light becomes a position at infinity, and the two texture
// stages become texture combiners. Needs a current OpenGL context for its
// whole life; it draws into whatever framebuffer is bound.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/device.h"

class GlDevice final : public RDevice {
public:
    // width × height: the back buffer, for full-surface clears, the first
    // viewport and readPixels. `present` runs at present() (a window's
    // buffer swap; nothing off screen).
    GlDevice(int width, int height, std::function<void()> present = {});
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // The finished picture of the bound framebuffer: width × height × 3
    // bytes, R, G, B, rows from the top.
    std::vector<uint8_t> readPixels();
    int width() const { return width_; }
    int height() const { return height_; }
    // The back buffer has a new size (a window was resized).
    void resize(int width, int height) {
        width_ = width;
        height_ = height;
    }

    void beginScene() override;
    void endScene() override;
    void present() override;
    void clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) override;

    RDeviceVertexBuffer* createVertexBuffer(uint32_t bytes) override;
    RDeviceIndexBuffer* createIndexBuffer(uint32_t bytes) override;
    void* lockVertexBuffer(RDeviceVertexBuffer* buffer, uint32_t offset, uint32_t bytes) override;
    void unlockVertexBuffer(RDeviceVertexBuffer* buffer) override;
    void* lockIndexBuffer(RDeviceIndexBuffer* buffer, uint32_t offset, uint32_t bytes) override;
    void unlockIndexBuffer(RDeviceIndexBuffer* buffer) override;
    void releaseVertexBuffer(RDeviceVertexBuffer* buffer) override;
    void releaseIndexBuffer(RDeviceIndexBuffer* buffer) override;

    void setStreamSource(RDeviceVertexBuffer* buffer, uint32_t stride) override;
    void setIndices(RDeviceIndexBuffer* buffer) override;
    void setVertexFormat(RVertexFormat format) override;
    void drawIndexedTriangles(int baseVertex, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                              uint32_t primitiveCount) override;
    void drawTriangles(uint32_t startVertex, uint32_t primitiveCount) override;

    void setTransform(RTransform which, const Matrix4& matrix) override;
    Matrix4 getTransform(RTransform which) override;
    void setViewport(const RViewport& viewport) override;
    RViewport getViewport() override { return state_.viewport; }

    void setMaterial(const RMaterialBlock& material) override;
    void setLight(int index, const RLightRecord& light) override;
    void enableLight(int index, bool on) override;

    void setRenderState(RRenderState state, uint32_t value) override;
    void setTextureStageState(int stage, RStageState state, uint32_t value) override;
    void setSamplerState(int stage, RSamplerState state, uint32_t value) override;

    void setTexture(int stage, RDeviceTexture* texture) override;
    RDeviceTexture* createTextureFromFile(const std::string& path, uint32_t levels, RTextureFormat format,
                                          uint32_t colourKey) override;
    RDeviceTexture* createTexture(uint32_t width, uint32_t height, uint32_t levels, RTextureFormat format) override;
    bool fillTexture(RDeviceTexture* texture, const RTexelFunction& texel) override;
    RTextureFormat levelFormat(RDeviceTexture* texture, uint32_t level) override;
    void releaseTexture(RDeviceTexture* texture) override;
    uint32_t maxTextureSize() override;

    void saveState() override;
    void restoreState() override;

private:
    struct Buffer;
    struct Texture;
    static constexpr int kStages = 2;
    static constexpr int kLights = 8;

    // Everything a draw depends on, as the caller set it.
    struct State {
        uint32_t render[static_cast<int>(RRenderState::Count)] = {};
        uint32_t stage[kStages][static_cast<int>(RStageState::Count)] = {};
        uint32_t sampler[kStages][static_cast<int>(RSamplerState::Count)] = {};
        Texture* textures[kStages] = {nullptr, nullptr};
        Buffer* stream = nullptr;
        uint32_t stride = 0;
        Buffer* indices = nullptr;
        RVertexFormat format = RVertexFormat::None;
        Matrix4 transforms[static_cast<int>(RTransform::Count)];
        RViewport viewport{0, 0, 0, 0, 0.0f, 1.0f};
        RMaterialBlock material{};
        RLightRecord lights[kLights];
        bool lightOn[kLights] = {};
    };

    Buffer* createBuffer(uint32_t bytes, bool isIndex);
    void* lock(Buffer* buffer, uint32_t offset, uint32_t bytes);
    void unlock(Buffer* buffer);
    void release(Buffer* buffer);
    Texture* newTexture(uint32_t width, uint32_t height, uint32_t levels, RTextureFormat format);
    void upload(Texture& texture, const std::vector<uint8_t>& rgba);
    // Hands the whole state to OpenGL before a draw; screen-space draws get
    // a pixel projection and no lighting.
    bool prepareDraw(bool screenSpace);
    void applyTransforms(bool screenSpace);
    void applyLighting(bool screenSpace);
    void applyRenderStates();
    void applyStage(int stage, bool enabled);
    void applyVertexArrays(uintptr_t firstByte);

    int width_;
    int height_;
    std::function<void()> present_;
    State state_;
    State saved_;
    std::unordered_map<const void*, std::unique_ptr<Buffer>> buffers_;
    std::unordered_map<const void*, std::unique_ptr<Texture>> textures_;
    unsigned whiteTexture_ = 0;  // what a stage with no texture reads
    uint32_t maxTextureSize_ = 0;
};
