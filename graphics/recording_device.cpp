#include "graphics/recording_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/image.h"

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
    Draw d = currentDraw(primitiveCount);
    d.baseVertex = baseVertex;
    d.minIndex = minIndex;
    d.vertexCount = vertexCount;
    d.startIndex = startIndex;
    d.indexBuffer = boundIndices;
    d.inBounds = drawInBounds(baseVertex, minIndex, vertexCount, startIndex, primitiveCount);
    if (!d.inBounds || !inScene) ++misuseCount;
    draws.push_back(d);
}

void RecordingDevice::drawTriangles(uint32_t startVertex, uint32_t primitiveCount) {
    count(Call::DrawTriangles);
    Draw d = currentDraw(primitiveCount);
    d.startIndex = startVertex;
    d.vertexCount = primitiveCount * 3;
    const Buffer* vb = find(streamSource, false);
    d.inBounds = vb != nullptr && streamStride > 0 &&
                 (static_cast<uint64_t>(startVertex) + uint64_t{primitiveCount} * 3) * streamStride <= vb->bytes.size();
    if (!d.inBounds || !inScene) ++misuseCount;
    draws.push_back(d);
}

RecordingDevice::Draw RecordingDevice::currentDraw(uint32_t primitiveCount) const {
    Draw d{};
    d.primitiveCount = primitiveCount;
    d.vertexBuffer = streamSource;
    d.stride = streamStride;
    d.format = vertexFormat;
    d.textures[0] = textures[0];
    d.textures[1] = textures[1];
    d.world = transforms[static_cast<int>(RTransform::World)];
    d.alphaTest = renderState(RRenderState::AlphaTestEnable);
    d.alphaBlend = renderState(RRenderState::AlphaBlendEnable);
    d.cullMode = renderState(RRenderState::CullMode);
    return d;
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

RecordingDevice::Texture* RecordingDevice::findTexture(const RDeviceTexture* handle) const {
    auto it = textureStore.find(handle);
    if (it == textureStore.end() || it->second->released) return nullptr;
    return it->second.get();
}

RDeviceTexture* RecordingDevice::keepTexture(std::unique_ptr<Texture> texture) {
    Texture* raw = texture.get();
    textureStore.emplace(raw, std::move(texture));
    return reinterpret_cast<RDeviceTexture*>(raw);
}

RDeviceTexture* RecordingDevice::createTextureFromFile(const std::string& path, uint32_t levels,
                                                       RTextureFormat format, uint32_t colourKey) {
    count(Call::CreateTextureFromFile);
    if (failTextureCreation || levels == 0 || format == RTextureFormat::Unknown) return nullptr;
    // The device decodes on its own: no notices, and the key is its own
    // (transparent black), not the image's colour-key step.
    RImage image;
    image.quiet = true;
    image.colourKey = false;
    if (!image.loadFile(path)) return nullptr;
    auto t = std::make_unique<Texture>();
    t->width = static_cast<uint32_t>(image.width);
    t->height = static_cast<uint32_t>(image.height);
    t->levels = levels;
    t->format = format;
    t->source = path;
    t->texels.resize(static_cast<size_t>(t->width) * t->height * 4);
    const int bpp = image.bytesPerPixel;
    for (int y = 0; y < image.height; ++y) {
        // The image is bottom-up; the device's row 0 is the top.
        const uint8_t* row = image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * image.width * bpp;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = row + x * bpp;
            uint8_t r = p[0], g = p[1], b = p[2], a = bpp == 4 ? p[3] : 255;
            const uint32_t argb = (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
            if (colourKey != 0 && argb == colourKey) r = g = b = a = 0;
            if (format == RTextureFormat::Luminance8) {
                r = g = b = static_cast<uint8_t>(std::lround(0.299 * r + 0.587 * g + 0.114 * b));
                a = 255;
            } else if (format == RTextureFormat::Rgb24) {
                a = 255;
            }
            uint8_t* q = t->texels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
            q[0] = r;
            q[1] = g;
            q[2] = b;
            q[3] = a;
        }
    }
    return keepTexture(std::move(t));
}

RDeviceTexture* RecordingDevice::createTexture(uint32_t width, uint32_t height, uint32_t levels,
                                               RTextureFormat format) {
    count(Call::CreateTexture);
    if (failTextureCreation || width == 0 || height == 0 || levels == 0 || format == RTextureFormat::Unknown)
        return nullptr;
    if (width > largestTexture || height > largestTexture) return nullptr;
    if (static_cast<int64_t>(width) * height > RImage::kMaxPixels) return nullptr;
    auto t = std::make_unique<Texture>();
    t->width = width;
    t->height = height;
    t->levels = levels;
    t->format = format;
    t->texels.assign(static_cast<size_t>(width) * height * 4, 0);
    return keepTexture(std::move(t));
}

bool RecordingDevice::fillTexture(RDeviceTexture* texture, const RTexelFunction& texel) {
    count(Call::FillTexture);
    Texture* t = findTexture(texture);
    if (t == nullptr || !texel) {
        ++misuseCount;
        return false;
    }
    auto byte = [](float c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f)); };
    for (uint32_t y = 0; y < t->height; ++y) {
        for (uint32_t x = 0; x < t->width; ++x) {
            const RColour c = texel((x + 0.5f) / static_cast<float>(t->width), (y + 0.5f) / static_cast<float>(t->height));
            uint8_t* q = t->texels.data() + (static_cast<size_t>(y) * t->width + x) * 4;
            if (t->format == RTextureFormat::Luminance8) {
                // The grey comes from the red channel, as a luminance
                // texture filled from a grey colour takes it.
                q[0] = q[1] = q[2] = byte(c.r);
                q[3] = 255;
            } else if (t->format == RTextureFormat::Argb4444) {
                // Four bits a channel, widened back to bytes.
                auto nibble = [&byte](float v) { return static_cast<uint8_t>((byte(v) >> 4) * 17); };
                q[0] = nibble(c.r);
                q[1] = nibble(c.g);
                q[2] = nibble(c.b);
                q[3] = nibble(c.a);
            } else {
                q[0] = byte(c.r);
                q[1] = byte(c.g);
                q[2] = byte(c.b);
                q[3] = t->format == RTextureFormat::Argb32 ? byte(c.a) : 255;
            }
        }
    }
    return true;
}

RTextureFormat RecordingDevice::levelFormat(RDeviceTexture* texture, uint32_t level) {
    count(Call::GetLevelFormat);
    const Texture* t = findTexture(texture);
    if (t == nullptr) {
        ++misuseCount;
        return RTextureFormat::Unknown;
    }
    return level < t->levels ? t->format : RTextureFormat::Unknown;
}

void RecordingDevice::releaseTexture(RDeviceTexture* texture) {
    count(Call::ReleaseTexture);
    Texture* t = findTexture(texture);
    if (t == nullptr) {
        ++misuseCount;
        return;
    }
    t->released = true;
    t->texels.clear();
    t->texels.shrink_to_fit();
}

uint32_t RecordingDevice::maxTextureSize() {
    count(Call::MaxTextureSize);
    return largestTexture;
}

template <class To, class From>
void RecordingDevice::copyStates(To& to, const From& from) {
    std::memcpy(to.renderStates, from.renderStates, sizeof to.renderStates);
    std::memcpy(to.stageStates, from.stageStates, sizeof to.stageStates);
    std::memcpy(to.samplerStates, from.samplerStates, sizeof to.samplerStates);
    std::copy(std::begin(from.transforms), std::end(from.transforms), std::begin(to.transforms));
    to.streamSource = from.streamSource;
    to.streamStride = from.streamStride;
    to.boundIndices = from.boundIndices;
    to.vertexFormat = from.vertexFormat;
    to.textures[0] = from.textures[0];
    to.textures[1] = from.textures[1];
    to.viewport = from.viewport;
}

void RecordingDevice::saveState() {
    count(Call::SaveState);
    copyStates(saved, *this);
}

void RecordingDevice::restoreState() {
    count(Call::RestoreState);
    copyStates(*this, saved);
}

const RecordingDevice::Texture* RecordingDevice::texture(const RDeviceTexture* handle) const {
    return findTexture(handle);
}

int RecordingDevice::liveTextureCount() const {
    return static_cast<int>(std::count_if(textureStore.begin(), textureStore.end(),
                                          [](const auto& entry) { return !entry.second->released; }));
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
