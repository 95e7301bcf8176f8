#include "graphics/recording_device.h"

#include <cstring>

namespace {

bool validStage(int stage) { return stage == 0 || stage == 1; }

}  // namespace

RecordingDevice::RecordingDevice() {
    // The usual fixed-pipeline start: depth test and lighting on,
    // counter-clockwise culling, everything passes the alpha test, stage 0
    // modulates texture and the current colour, stage 1 is off.
    renderStates[static_cast<int>(RRenderState::ZEnable)] = 1;
    renderStates[static_cast<int>(RRenderState::CullMode)] = deviceValue(RCull::CounterClockwise);
    renderStates[static_cast<int>(RRenderState::Lighting)] = 1;
    renderStates[static_cast<int>(RRenderState::AlphaFunc)] = deviceValue(RCompare::Always);
    renderStates[static_cast<int>(RRenderState::TextureFactor)] = 0xFFFFFFFFu;
    for (int stage = 0; stage < 2; ++stage) {
        uint32_t* s = stageStates[stage];
        s[static_cast<int>(RStageState::ColourOp)] = deviceValue(stage == 0 ? RTextureOp::Modulate : RTextureOp::Disable);
        s[static_cast<int>(RStageState::ColourArg1)] = deviceValue(RTextureArg::Texture);
        s[static_cast<int>(RStageState::ColourArg2)] = deviceValue(RTextureArg::Current);
        s[static_cast<int>(RStageState::AlphaOp)] = deviceValue(stage == 0 ? RTextureOp::SelectArg1 : RTextureOp::Disable);
        s[static_cast<int>(RStageState::AlphaArg1)] = deviceValue(RTextureArg::Texture);
        s[static_cast<int>(RStageState::AlphaArg2)] = deviceValue(RTextureArg::Current);
        s[static_cast<int>(RStageState::TexCoordIndex)] = static_cast<uint32_t>(stage);
        uint32_t* p = samplerStates[stage];
        p[static_cast<int>(RSamplerState::MinFilter)] = deviceValue(RTextureFilter::Point);
        p[static_cast<int>(RSamplerState::MagFilter)] = deviceValue(RTextureFilter::Point);
    }
}

RecordingDevice::~RecordingDevice() = default;

void RecordingDevice::beginScene() {
    count(Call::BeginScene);
    if (inScene) ++misuseCount;
    inScene = true;
}

void RecordingDevice::endScene() {
    count(Call::EndScene);
    if (!inScene) ++misuseCount;
    inScene = false;
}

void RecordingDevice::present() { count(Call::Present); }

void RecordingDevice::clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) {
    count(Call::Clear);
    clears.push_back(Clear{flags, colour, depth, stencil});
}

RecordingDevice::Buffer* RecordingDevice::find(const void* handle, bool isIndex) const {
    auto it = buffers.find(handle);
    if (it == buffers.end() || it->second->released || it->second->isIndex != isIndex) return nullptr;
    return it->second.get();
}

RecordingDevice::Buffer* RecordingDevice::create(uint32_t bytes, bool isIndex) {
    if (bytes == 0) return nullptr;
    auto buffer = std::make_unique<Buffer>();
    buffer->bytes.assign(bytes, 0);
    buffer->isIndex = isIndex;
    Buffer* raw = buffer.get();
    buffers.emplace(raw, std::move(buffer));
    return raw;
}

RDeviceVertexBuffer* RecordingDevice::createVertexBuffer(uint32_t bytes) {
    count(Call::CreateVertexBuffer);
    if (failVertexBufferCreation) return nullptr;
    return reinterpret_cast<RDeviceVertexBuffer*>(create(bytes, false));
}

RDeviceIndexBuffer* RecordingDevice::createIndexBuffer(uint32_t bytes) {
    count(Call::CreateIndexBuffer);
    if (failIndexBufferCreation) return nullptr;
    return reinterpret_cast<RDeviceIndexBuffer*>(create(bytes, true));
}

void* RecordingDevice::lock(const void* handle, bool isIndex, uint32_t offset, uint32_t bytes) {
    Buffer* buffer = find(handle, isIndex);
    const bool fits = buffer != nullptr && static_cast<uint64_t>(offset) + bytes <= buffer->bytes.size();
    if (failLocks || !fits || buffer->locked) {
        ++misuseCount;
        return nullptr;
    }
    buffer->locked = true;
    return buffer->bytes.data() + offset;
}

void RecordingDevice::unlock(const void* handle, bool isIndex) {
    Buffer* buffer = find(handle, isIndex);
    if (buffer == nullptr || !buffer->locked) {
        ++misuseCount;
        return;
    }
    buffer->locked = false;
}

void RecordingDevice::release(const void* handle, bool isIndex) {
    Buffer* buffer = find(handle, isIndex);
    if (buffer == nullptr) {
        ++misuseCount;
        return;
    }
    buffer->released = true;
    buffer->locked = false;
    std::vector<uint8_t>().swap(buffer->bytes);
    if (streamSource == handle) streamSource = nullptr;
    if (boundIndices == handle) boundIndices = nullptr;
}

void* RecordingDevice::lockVertexBuffer(RDeviceVertexBuffer* buffer, uint32_t offset, uint32_t bytes) {
    count(Call::LockVertexBuffer);
    return lock(buffer, false, offset, bytes);
}

void RecordingDevice::unlockVertexBuffer(RDeviceVertexBuffer* buffer) {
    count(Call::UnlockVertexBuffer);
    unlock(buffer, false);
}

void* RecordingDevice::lockIndexBuffer(RDeviceIndexBuffer* buffer, uint32_t offset, uint32_t bytes) {
    count(Call::LockIndexBuffer);
    return lock(buffer, true, offset, bytes);
}

void RecordingDevice::unlockIndexBuffer(RDeviceIndexBuffer* buffer) {
    count(Call::UnlockIndexBuffer);
    unlock(buffer, true);
}

void RecordingDevice::releaseVertexBuffer(RDeviceVertexBuffer* buffer) {
    count(Call::ReleaseVertexBuffer);
    release(buffer, false);
}

void RecordingDevice::releaseIndexBuffer(RDeviceIndexBuffer* buffer) {
    count(Call::ReleaseIndexBuffer);
    release(buffer, true);
}

void RecordingDevice::setStreamSource(RDeviceVertexBuffer* buffer, uint32_t stride) {
    count(Call::SetStreamSource);
    streamSource = buffer;
    streamStride = stride;
}

void RecordingDevice::setIndices(RDeviceIndexBuffer* buffer) {
    count(Call::SetIndices);
    boundIndices = buffer;
}

void RecordingDevice::setVertexFormat(RVertexFormat format) {
    count(Call::SetVertexFormat);
    vertexFormat = format;
}

bool RecordingDevice::drawInBounds(int baseVertex, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                                   uint32_t primitiveCount) const {
    const Buffer* vb = find(streamSource, false);
    const Buffer* ib = find(boundIndices, true);
    if (vb == nullptr || ib == nullptr || streamStride == 0 || baseVertex < 0) return false;
    const uint64_t indexEnd = (static_cast<uint64_t>(startIndex) + 3ull * primitiveCount) * 2ull;
    if (indexEnd > ib->bytes.size()) return false;
    const uint64_t vertexSlots = vb->bytes.size() / streamStride;
    for (uint64_t i = startIndex; i < indexEnd / 2; ++i) {
        uint16_t index;
        std::memcpy(&index, ib->bytes.data() + 2 * i, sizeof index);
        if (index < minIndex || index >= static_cast<uint64_t>(minIndex) + vertexCount) return false;
        if (static_cast<uint64_t>(baseVertex) + index >= vertexSlots) return false;
    }
    return true;
}

void RecordingDevice::drawIndexedTriangles(int baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                           uint32_t startIndex, uint32_t primitiveCount) {
    count(Call::DrawIndexedTriangles);
    Draw d{};
    d.baseVertex = baseVertex;
    d.minIndex = minIndex;
    d.vertexCount = vertexCount;
    d.startIndex = startIndex;
    d.primitiveCount = primitiveCount;
    d.vertexBuffer = streamSource;
    d.indexBuffer = boundIndices;
    d.stride = streamStride;
    d.format = vertexFormat;
    d.textures[0] = textures[0];
    d.textures[1] = textures[1];
    d.world = transforms[static_cast<int>(RTransform::World)];
    d.alphaTest = renderState(RRenderState::AlphaTestEnable);
    d.alphaBlend = renderState(RRenderState::AlphaBlendEnable);
    d.cullMode = renderState(RRenderState::CullMode);
    d.inBounds = drawInBounds(baseVertex, minIndex, vertexCount, startIndex, primitiveCount);
    if (!d.inBounds || !inScene) ++misuseCount;
    draws.push_back(d);
}

void RecordingDevice::setTransform(RTransform which, const Matrix4& matrix) {
    count(Call::SetTransform);
    transforms[static_cast<int>(which)] = matrix;
}

Matrix4 RecordingDevice::getTransform(RTransform which) {
    count(Call::GetTransform);
    return transforms[static_cast<int>(which)];
}

void RecordingDevice::setViewport(const RViewport& v) {
    count(Call::SetViewport);
    viewport = v;
}

void RecordingDevice::setMaterial(const RMaterialBlock& m) {
    count(Call::SetMaterial);
    material = m;
}

void RecordingDevice::setLight(int index, const RLightRecord& light) {
    count(Call::SetLight);
    if (index < 0 || index >= kLights) {
        ++misuseCount;
        return;
    }
    lights[index] = light;
}

void RecordingDevice::enableLight(int index, bool on) {
    count(Call::EnableLight);
    if (index < 0 || index >= kLights) {
        ++misuseCount;
        return;
    }
    lightEnabled[index] = on;
}

void RecordingDevice::setRenderState(RRenderState state, uint32_t value) {
    count(Call::SetRenderState);
    if (state >= RRenderState::Count) {
        ++misuseCount;
        return;
    }
    renderStates[static_cast<int>(state)] = value;
}

void RecordingDevice::setTextureStageState(int stage, RStageState state, uint32_t value) {
    count(Call::SetTextureStageState);
    if (!validStage(stage) || state >= RStageState::Count) {
        ++misuseCount;
        return;
    }
    stageStates[stage][static_cast<int>(state)] = value;
}

void RecordingDevice::setSamplerState(int stage, RSamplerState state, uint32_t value) {
    count(Call::SetSamplerState);
    if (!validStage(stage) || state >= RSamplerState::Count) {
        ++misuseCount;
        return;
    }
    samplerStates[stage][static_cast<int>(state)] = value;
}

void RecordingDevice::setTexture(int stage, RDeviceTexture* texture) {
    count(Call::SetTexture);
    if (!validStage(stage)) {
        ++misuseCount;
        return;
    }
    textures[stage] = texture;
}

int RecordingDevice::totalCalls() const {
    int total = 0;
    for (int c : callCounts) total += c;
    return total;
}

void RecordingDevice::resetCounts() {
    for (int& c : callCounts) c = 0;
    draws.clear();
    clears.clear();
}

uint32_t RecordingDevice::stageState(int stage, RStageState state) const {
    if (!validStage(stage) || state >= RStageState::Count) return 0;
    return stageStates[stage][static_cast<int>(state)];
}

uint32_t RecordingDevice::samplerState(int stage, RSamplerState state) const {
    if (!validStage(stage) || state >= RSamplerState::Count) return 0;
    return samplerStates[stage][static_cast<int>(state)];
}

const std::vector<uint8_t>* RecordingDevice::contents(const RDeviceVertexBuffer* buffer) const {
    const Buffer* b = find(buffer, false);
    return b != nullptr ? &b->bytes : nullptr;
}

const std::vector<uint8_t>* RecordingDevice::contents(const RDeviceIndexBuffer* buffer) const {
    const Buffer* b = find(buffer, true);
    return b != nullptr ? &b->bytes : nullptr;
}

bool RecordingDevice::isLive(const void* buffer) const {
    auto it = buffers.find(buffer);
    return it != buffers.end() && !it->second->released;
}

int RecordingDevice::liveBufferCount() const {
    int live = 0;
    for (const auto& entry : buffers) live += entry.second->released ? 0 : 1;
    return live;
}
