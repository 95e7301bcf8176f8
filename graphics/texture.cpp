#include "graphics/texture.h"

#include "graphics/device.h"
#include "graphics/engine.h"

// The device texture and the lightmap texels are released by the code that
// creates them, which arrives with loading.
RTexture::~RTexture() = default;

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
