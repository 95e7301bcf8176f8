// RecordingDevice: an RDevice that draws nothing. It keeps buffers in memory
// as byte vectors and textures as RGBA texels, remembers every state, transform, material, light and
// bound texture, counts each kind of call and records each draw with the
// state it was made in, so tests and headless runs can look at what the
// engine asked for. It checks what a real device would reject (locks outside
// a buffer, double locks, draws that read outside the bound buffers).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/device.h"

class RecordingDevice final : public RDevice {
public:
    enum class Call {
        BeginScene,
        EndScene,
        Present,
        Clear,
        CreateVertexBuffer,
        CreateIndexBuffer,
        LockVertexBuffer,
        UnlockVertexBuffer,
        LockIndexBuffer,
        UnlockIndexBuffer,
        ReleaseVertexBuffer,
        ReleaseIndexBuffer,
        SetStreamSource,
        SetIndices,
        SetVertexFormat,
        DrawIndexedTriangles,
        DrawTriangles,
        SetTransform,
        GetTransform,
        SetViewport,
        SetMaterial,
        SetLight,
        EnableLight,
        SetRenderState,
        SetTextureStageState,
        SetSamplerState,
        SetTexture,
        CreateTextureFromFile,
        CreateTexture,
        FillTexture,
        GetLevelFormat,
        ReleaseTexture,
        MaxTextureSize,
        SaveState,
        RestoreState,
        Count
    };

    // One draw with its arguments and the state that was bound for it; a
    // draw without indices has no index buffer and reads primitiveCount · 3
    // vertices from startIndex on.
    struct Draw {
        int baseVertex;
        uint32_t minIndex;
        uint32_t vertexCount;
        uint32_t startIndex;
        uint32_t primitiveCount;
        RDeviceVertexBuffer* vertexBuffer;
        RDeviceIndexBuffer* indexBuffer;
        uint32_t stride;
        RVertexFormat format;
        RDeviceTexture* textures[2];
        Matrix4 world;
        uint32_t alphaTest, alphaBlend, cullMode;
        // Every index read lies in the index buffer, in [minIndex,
        // minIndex + vertexCount), and names a whole vertex of the stream.
        bool inBounds;
    };

    // A texture as the device holds it: level 0 only, 4 bytes per texel
    // (R, G, B, A), rows top-down; luminance textures repeat the grey in
    // R, G and B, formats without alpha have A = 255.
    struct Texture {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t levels = 0;
        RTextureFormat format = RTextureFormat::Unknown;
        std::vector<uint8_t> texels;
        std::string source;  // the file it came from, empty when created empty
        bool released = false;
    };

    struct Clear {
        uint32_t flags;
        uint32_t colour;
        float depth;
        uint32_t stencil;
    };

    RecordingDevice();
    ~RecordingDevice() override;

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
    RViewport getViewport() override { return viewport; }

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

    // --- what was asked for ---
    int calls(Call call) const { return callCounts[static_cast<int>(call)]; }
    int totalCalls() const;
    // Zeroes the counters and forgets the draws and clears; states stay.
    void resetCounts();

    uint32_t renderState(RRenderState state) const { return renderStates[static_cast<int>(state)]; }
    uint32_t stageState(int stage, RStageState state) const;
    uint32_t samplerState(int stage, RSamplerState state) const;
    // The stored transform, without counting a call.
    const Matrix4& transform(RTransform which) const { return transforms[static_cast<int>(which)]; }

    // Contents of a live buffer; null for an unknown or released handle.
    const std::vector<uint8_t>* contents(const RDeviceVertexBuffer* buffer) const;
    const std::vector<uint8_t>* contents(const RDeviceIndexBuffer* buffer) const;
    bool isLive(const void* buffer) const;
    int liveBufferCount() const;
    // A live texture; null for an unknown or released handle.
    const Texture* texture(const RDeviceTexture* handle) const;
    int liveTextureCount() const;

    // Failure injection: the next creations or every lock fail.
    bool failVertexBufferCreation = false;
    bool failIndexBufferCreation = false;
    bool failLocks = false;
    bool failTextureCreation = false;
    // What maxTextureSize answers; textures wider or taller are refused.
    uint32_t largestTexture = 4096;

    // Current state, readable directly.
    RDeviceVertexBuffer* streamSource = nullptr;
    uint32_t streamStride = 0;
    RDeviceIndexBuffer* boundIndices = nullptr;
    RVertexFormat vertexFormat = RVertexFormat::None;
    RDeviceTexture* textures[2] = {nullptr, nullptr};
    RMaterialBlock material{};
    RViewport viewport{0, 0, 0, 0, 0.0f, 1.0f};
    static constexpr int kLights = 8;
    RLightRecord lights[kLights];
    bool lightEnabled[kLights] = {};
    bool inScene = false;
    // Calls a real device refuses or that show a fault in the caller: a lock
    // that failed, a begin inside a scene, an unlock of an unlocked buffer,
    // an unknown or released handle, an out-of-range stage or light.
    int misuseCount = 0;

    std::vector<Draw> draws;
    std::vector<Clear> clears;

private:
    struct Buffer {
        std::vector<uint8_t> bytes;
        bool isIndex = false;
        bool locked = false;
        bool released = false;
    };

    // What saveState keeps.
    struct SavedState {
        uint32_t renderStates[static_cast<int>(RRenderState::Count)];
        uint32_t stageStates[2][static_cast<int>(RStageState::Count)];
        uint32_t samplerStates[2][static_cast<int>(RSamplerState::Count)];
        Matrix4 transforms[static_cast<int>(RTransform::Count)];
        RDeviceVertexBuffer* streamSource;
        uint32_t streamStride;
        RDeviceIndexBuffer* boundIndices;
        RVertexFormat vertexFormat;
        RDeviceTexture* textures[2];
        RViewport viewport;
    };

    // The states text saves and restores, copied field by field between the
    // device and its saved copy (both name them alike).
    template <class To, class From>
    static void copyStates(To& to, const From& from);

    Draw currentDraw(uint32_t primitiveCount) const;
    Buffer* find(const void* handle, bool isIndex) const;
    Buffer* create(uint32_t bytes, bool isIndex);
    void* lock(const void* handle, bool isIndex, uint32_t offset, uint32_t bytes);
    void unlock(const void* handle, bool isIndex);
    void release(const void* handle, bool isIndex);
    bool drawInBounds(int baseVertex, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                      uint32_t primitiveCount) const;
    void count(Call call) { ++callCounts[static_cast<int>(call)]; }
    Texture* findTexture(const RDeviceTexture* handle) const;
    RDeviceTexture* keepTexture(std::unique_ptr<Texture> texture);

    int callCounts[static_cast<int>(Call::Count)] = {};
    uint32_t renderStates[static_cast<int>(RRenderState::Count)] = {};
    uint32_t stageStates[2][static_cast<int>(RStageState::Count)] = {};
    uint32_t samplerStates[2][static_cast<int>(RSamplerState::Count)] = {};
    Matrix4 transforms[static_cast<int>(RTransform::Count)];
    SavedState saved{};
    // Released buffers stay (emptied) so that a stale handle is recognised
    // and no address is handed out twice.
    std::unordered_map<const void*, std::unique_ptr<Buffer>> buffers;
    // Released textures stay (emptied) for the same reason.
    std::unordered_map<const void*, std::unique_ptr<Texture>> textureStore;
};
