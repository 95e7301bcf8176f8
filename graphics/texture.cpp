#include "graphics/texture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/device.h"
#include "graphics/engine.h"

namespace {

RDevice* deviceOf(const REngine* engine) { return engine != nullptr ? engine->device : nullptr; }

// A texture whose device texture changes must not be skipped by the next
// bind because the engine still remembers it on a stage.
void forgetBinding(REngine* engine, const RTexture* texture) {
    if (engine == nullptr) return;
    if (engine->stage0Texture == texture) engine->stage0Texture = nullptr;
    if (engine->stage1Texture == texture) engine->stage1Texture = nullptr;
}

uint8_t clampByte(long v) { return static_cast<uint8_t>(std::clamp(v, 0L, 255L)); }

}  // namespace

RTexture::~RTexture() {
    RDevice* device = deviceOf(engine);
    if (device != nullptr && deviceTexture != nullptr) device->releaseTexture(deviceTexture);
}

void RTexture::load(const std::string& fileName) {
    const bool exists = engine != nullptr ? engine->system.fileExists(fileName) : RSystem().fileExists(fileName);
    if (!exists) {
        printf("RTexture::load : file not found %s\n", fileName.c_str());
        fflush(stdout);
        exit(0);
    }
    printf("Loading texture: %s\n", fileName.c_str());
    name = fileName;
    // A picture that does not decode still gets its name and a device try
    // (which fails the same way and says so); it counts as opaque.
    pixelKind = loadFile(fileName) ? bytesPerPixel : 3;
    mipmapped = engine != nullptr && engine->mipmapTextures && pixelKind != 4;

    RDevice* device = deviceOf(engine);
    if (device != nullptr) {
        const uint32_t levels = mipmapped ? 5 : 1;
        const RTextureFormat format =
            (mipmapped || pixelKind == 3) ? RTextureFormat::Rgb24 : RTextureFormat::Argb32;
        if (deviceTexture != nullptr) device->releaseTexture(deviceTexture);
        forgetBinding(engine, this);
        deviceTexture = device->createTextureFromFile(fileName, levels, format, kColourKey);
        if (deviceTexture == nullptr) {
            printf("Error creating texture\n");
        } else if (device->levelFormat(deviceTexture, 0) == RTextureFormat::Argb32) {
            printf("transp..\n");
        }
    }
    freePixels();
}

void RTexture::allocLightmap(int w, int h) {
    if (w < 0 || h < 0 || static_cast<int64_t>(w) * h > kMaxPixels) {
        printf("RTexture::allocLightmap : %d x %d texels is no lightmap size\n", w, h);
        w = h = 0;
    }
    lmWidth = w;
    lmHeight = h;
    lmTexels.assign(static_cast<size_t>(w) * h, 0);
}

long RTexture::texelIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= lmWidth || y >= lmHeight) return -1;
    const size_t i = static_cast<size_t>(y) * lmWidth + x;
    // The size fields are public; never trust them past the buffer.
    return i < lmTexels.size() ? static_cast<long>(i) : -1;
}

uint8_t RTexture::texel(int x, int y) const {
    const long i = texelIndex(x, y);
    return i >= 0 ? lmTexels[i] : 0;
}

void RTexture::setTexel(int x, int y, uint8_t value) {
    const long i = texelIndex(x, y);
    if (i >= 0) lmTexels[i] = value;
}

void RTexture::fill(uint8_t value) { std::fill(lmTexels.begin(), lmTexels.end(), value); }

void RTexture::darken(int x, int y, uint8_t value) {
    const long i = texelIndex(x, y);
    if (i >= 0) lmTexels[i] = std::min(lmTexels[i], value);
}

void RTexture::subtract(int x, int y, int amount, int floor) {
    const long i = texelIndex(x, y);
    if (i >= 0) lmTexels[i] = clampByte(std::max(static_cast<long>(lmTexels[i]) - amount, static_cast<long>(floor)));
}

void RTexture::scale(float factor) {
    for (uint8_t& t : lmTexels) {
        const float v = t * factor;
        // Compared as floats first so that a huge factor cannot overflow
        // the conversion.
        t = v >= 255.0f ? 255 : (v > 0.0f ? static_cast<uint8_t>(v) : 0);
    }
}

void RTexture::stripes(int period) {
    if (period <= 0 || lmWidth <= 0) return;
    // Walks the buffer itself, so that a size that disagrees with it can
    // neither overrun it nor spin through empty rows.
    for (size_t i = 0; i < lmTexels.size(); ++i) {
        const int x = static_cast<int>(i % static_cast<size_t>(lmWidth));
        lmTexels[i] = (x / period) % 2 ? 255 : 0;
    }
}

bool RTexture::loadRaw(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(path.c_str(), "rb"), fclose);
    if (!f) {
        printf("RTexture::loadRaw : cannot open %s\n", path.c_str());
        return false;
    }
    uint8_t header[8];
    if (fread(header, 1, sizeof header, f.get()) != sizeof header) {
        printf("RTexture::loadRaw : %s is too short for a lightmap header\n", path.c_str());
        return false;
    }
    int32_t w, h;
    memcpy(&w, header, 4);
    memcpy(&h, header + 4, 4);
    // Size the buffer from what the file really holds, never from the
    // header alone.
    long here = ftell(f.get());
    fseek(f.get(), 0, SEEK_END);
    const long available = ftell(f.get()) - here;
    fseek(f.get(), here, SEEK_SET);
    const int64_t wanted = static_cast<int64_t>(w) * h;
    if (w <= 0 || h <= 0 || wanted > RImage::kMaxPixels || wanted > available) {
        printf("RTexture::loadRaw : %s declares %d x %d texels but holds %ld bytes\n", path.c_str(), w, h,
               available);
        return false;
    }
    std::vector<uint8_t> texels(static_cast<size_t>(wanted));
    if (!texels.empty() && fread(texels.data(), 1, texels.size(), f.get()) != texels.size()) {
        printf("RTexture::loadRaw : read error in %s\n", path.c_str());
        return false;
    }
    lmWidth = w;
    lmHeight = h;
    lmTexels.swap(texels);
    return true;
}

void RTexture::loadLightmapFile(const std::string& path) {
    RDevice* device = deviceOf(engine);
    if (device == nullptr) return;
    if (deviceTexture != nullptr) device->releaseTexture(deviceTexture);
    forgetBinding(engine, this);
    deviceTexture = device->createTextureFromFile(path, 1, RTextureFormat::Luminance8, kColourKey);
    if (deviceTexture == nullptr) printf("Error creating lightMap\n");
}

void RTexture::commit() {
    RDevice* device = deviceOf(engine);
    if (device != nullptr && deviceTexture != nullptr) device->releaseTexture(deviceTexture);
    deviceTexture = nullptr;
    forgetBinding(engine, this);
    printf("Commit light map (%d,%d)\n", lmWidth, lmHeight);
    if (device == nullptr) return;
    deviceTexture = device->createTexture(static_cast<uint32_t>(lmWidth), static_cast<uint32_t>(lmHeight), 1,
                                          RTextureFormat::Luminance8);
    if (deviceTexture == nullptr) {
        printf("Error creating lightMap\n");
        return;
    }
    const int w = lmWidth, h = lmHeight;
    const std::vector<uint8_t>& texels = lmTexels;
    device->fillTexture(deviceTexture, [w, h, &texels](float u, float v) {
        // Texel centres truncate onto their own buffer texel; the clamp only
        // guards against coordinates at the far edge.
        const int x = std::clamp(static_cast<int>(static_cast<float>(w) * u), 0, w - 1);
        const int y = std::clamp(static_cast<int>(static_cast<float>(h) * v), 0, h - 1);
        const size_t i = static_cast<size_t>(y) * w + x;
        const float grey = i < texels.size() ? texels[i] * 0.003921569f : 0.0f;
        return RColour{grey, grey, grey, 1.0f};
    });
}

void RTexture::bind() {
    if (engine == nullptr || engine->stage0Texture == this) return;
    engine->stage0Texture = this;
    RDevice* device = engine->device;
    if (device == nullptr) return;
    device->setTexture(0, deviceTexture);
    device->setSamplerState(0, RSamplerState::MinFilter, deviceValue(RTextureFilter::Linear));
    device->setSamplerState(0, RSamplerState::MagFilter, deviceValue(RTextureFilter::Linear));
    device->setSamplerState(0, RSamplerState::MipFilter,
                            deviceValue(mipmapped ? RTextureFilter::Linear : RTextureFilter::None));
    engine->setAlphaTest(pixelKind == 4, 0.0f);
}

void RTexture::bindLightmap() {
    if (engine == nullptr || engine->stage1Texture == this) return;
    engine->stage1Texture = this;
    RDevice* device = engine->device;
    if (device == nullptr) return;
    device->setTexture(1, deviceTexture);
    // A reflection map may have left generated coordinates and a texture
    // matrix on this stage; the lightmap reads its own stored set.
    device->setTextureStageState(1, RStageState::TexCoordIndex, 1);
    device->setTextureStageState(1, RStageState::TextureTransformFlags, deviceValue(RTextureTransformFlags::Disable));
    device->setTextureStageState(1, RStageState::ColourOp, deviceValue(RTextureOp::Modulate));
    device->setTextureStageState(1, RStageState::ColourArg1, deviceValue(RTextureArg::Texture));
    device->setTextureStageState(1, RStageState::ColourArg2, deviceValue(RTextureArg::Current));
    device->setSamplerState(1, RSamplerState::MipFilter, deviceValue(RTextureFilter::None));
    device->setSamplerState(1, RSamplerState::MinFilter, deviceValue(RTextureFilter::Linear));
    device->setSamplerState(1, RSamplerState::MagFilter, deviceValue(RTextureFilter::Linear));
}

void RTexture::bindReflection() {
    if (engine == nullptr || !engine->reflections) return;
    if (engine->stage1Texture == this && engine->stage1Amount == amount) return;
    engine->stage1Texture = this;
    engine->stage1Amount = amount;
    RDevice* device = engine->device;
    if (device == nullptr) return;
    device->setTexture(1, deviceTexture);
    device->setTextureStageState(1, RStageState::TexCoordIndex, kTexCoordCameraReflection | 1u);
    device->setTextureStageState(1, RStageState::TextureTransformFlags, deviceValue(RTextureTransformFlags::Count3));
    uint32_t alpha;
    if (amount >= 1.0f)
        alpha = 255;
    else if (amount <= 0.0f)
        alpha = 0;
    else
        alpha = static_cast<uint32_t>(amount * 255.0f + 0.5f);
    device->setRenderState(RRenderState::TextureFactor, (alpha << 24) | 0xFFFFFFu);
    device->setTextureStageState(1, RStageState::ColourOp, deviceValue(RTextureOp::BlendFactorAlpha));
    device->setTextureStageState(1, RStageState::ColourArg1, deviceValue(RTextureArg::Texture));
    device->setTextureStageState(1, RStageState::ColourArg2, deviceValue(RTextureArg::Current));
}
