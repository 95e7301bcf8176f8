#include "graphics/material.h"

#include <cstddef>

#include "graphics/engine.h"
#include "graphics/projection.h"
#include "graphics/texture.h"

static_assert(offsetof(RMaterial, power) - offsetof(RMaterial, diffuse) == offsetof(RMaterialBlock, power),
              "the colour block lies in the device's order");

void RMaterial::setDiffuse(float r, float g, float b) {
    diffuse.r = ambient.r = r;
    diffuse.g = ambient.g = g;
    diffuse.b = ambient.b = b;
}

void RMaterial::setAlpha(float a) {
    diffuse.a = a;
    ambient.a = a;
    if (a != 1.0f) blendMode = kBlendDiffuseAlpha;
}

void RMaterial::setTexture(RTexture* t) {
    texture = t;
    if (t == nullptr) return;
    setDiffuse(1.0f, 1.0f, 1.0f);
    if (t->pixelKind == 4) blendMode = kBlendAlphaTested;
}

namespace {

void stageAlpha(RDevice* device, RTextureOp op, RTextureArg arg1, RTextureArg arg2) {
    device->setTextureStageState(0, RStageState::AlphaOp, deviceValue(op));
    device->setTextureStageState(0, RStageState::AlphaArg1, deviceValue(arg1));
    device->setTextureStageState(0, RStageState::AlphaArg2, deviceValue(arg2));
}

}  // namespace

void RMaterial::apply() {
    if (engine == nullptr || engine->currentMaterial == this) return;
    engine->currentMaterial = this;
    engine->addMaterialSwitch(1);
    RDevice* device = engine->device;
    if (device == nullptr) return;

    device->setMaterial(colourBlock());

    if (texture != nullptr) {
        texture->bind();
    } else {
        engine->unbindStage(0);
    }

    engine->setCulling(!twoSided);

    if (envTexture != nullptr) {
        // Turn the reflection back by the view's yaw so that it stays fixed
        // to the world while the camera turns, then shift it to the middle
        // of the map.
        const Matrix4 spin = Matrix4::rotationY(-engine->envYaw);
        device->setTransform(RTransform::Texture1, Matrix4::multiply(spin, translationMatrix(0.5f, 0.0f, 0.5f)));
        envTexture->amount = envAmount;
        envTexture->bindReflection();
    }

    switch (blendMode) {
    case kBlendAlphaTested:
        engine->setAlphaBlend(false);
        stageAlpha(device, RTextureOp::SelectArg1, RTextureArg::Texture, RTextureArg::Current);
        engine->setAlphaTest(true, 0.0f);
        break;
    case kBlendModulated:
        engine->setAlphaBlend(true);
        stageAlpha(device, RTextureOp::Modulate, RTextureArg::Texture, RTextureArg::Diffuse);
        break;
    case kBlendTextureAlpha:
        engine->setAlphaBlend(true);
        stageAlpha(device, RTextureOp::SelectArg1, RTextureArg::Texture, RTextureArg::Current);
        break;
    case kBlendDiffuseAlpha:
        engine->setAlphaBlend(true);
        stageAlpha(device, RTextureOp::SelectArg1, RTextureArg::Diffuse, RTextureArg::Current);
        break;
    default:  // opaque, and any unknown mode
        engine->setAlphaBlend(false);
        break;
    }

    if (lightmap != nullptr) lightmap->bindLightmap();
    if (envTexture == nullptr && lightmap == nullptr && engine->stage1Texture != nullptr) engine->unbindStage(1);
}
