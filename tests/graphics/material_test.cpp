#include "graphics/material.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/texture.h"
#include "graphics_rig.h"

using Call = RecordingDevice::Call;

namespace {

// A texture as loading leaves it, with a device handle that only needs to
// be recognisable.
struct TestTexture : RTexture {
    int token = 0;
    TestTexture(REngine& e, int kind) {
        engine = &e;
        pixelKind = kind;
        deviceTexture = reinterpret_cast<RDeviceTexture*>(&token);
    }
};

}  // namespace

TEST(MaterialTest, AlphaAndTexturesDecideTheBlendMode) {
    GraphicsRig rig;
    TestTexture opaque(rig.e(), 3), keyed(rig.e(), 4);
    RMaterial m(&rig.e());
    m.setAlpha(1.0f);
    EXPECT_EQ(m.blendMode, RMaterial::kBlendOpaque);
    m.setAlpha(0.5f);
    EXPECT_EQ(m.blendMode, RMaterial::kBlendDiffuseAlpha);
    EXPECT_EQ(m.ambient.a, 0.5f);

    RMaterial a(&rig.e()), b(&rig.e());
    a.setDiffuse(0.1f, 0.2f, 0.3f);
    a.setTexture(&opaque);
    EXPECT_EQ(a.ambient.b, 1.0f);  // the texture carries the colour
    EXPECT_EQ(a.blendMode, RMaterial::kBlendOpaque);
    b.setTexture(&keyed);
    EXPECT_EQ(b.blendMode, RMaterial::kBlendAlphaTested);
}

TEST(MaterialTest, ApplyHandsTheStateOverOnceUntilAnotherMaterialIsCurrent) {
    GraphicsRig rig;
    RMaterial* a = rig.e().createMaterial();
    RMaterial* b = rig.e().createMaterial();
    EXPECT_EQ(b->index, 1);
    a->setDiffuse(0.25f, 0.5f, 0.75f);
    a->setShine(64.0f);
    a->apply();
    const int calls = rig.device.totalCalls();
    a->apply();
    EXPECT_EQ(rig.device.totalCalls(), calls);
    EXPECT_EQ(rig.device.material.ambient.b, 0.75f);
    EXPECT_EQ(rig.device.material.power, 76.0f);

    b->setTwoSided(true);
    b->apply();
    EXPECT_EQ(rig.device.renderState(RRenderState::CullMode), deviceValue(RCull::None));
    a->apply();
    EXPECT_EQ(rig.device.renderState(RRenderState::CullMode), deviceValue(RCull::Clockwise));
    EXPECT_EQ(rig.e().materialSwitchCounter, 3);
    EXPECT_EQ(rig.device.calls(Call::SetMaterial), 3);
}

TEST(MaterialTest, EachBlendModeSetsBlendingAlphaSourceAndAlphaTest) {
    GraphicsRig rig;
    RecordingDevice& d = rig.device;
    TestTexture keyed(rig.e(), 4), plain(rig.e(), 3);
    RMaterial* tested = rig.e().createMaterial();
    tested->setTexture(&keyed);
    tested->apply();
    EXPECT_EQ(d.textures[0], keyed.deviceTexture);
    EXPECT_EQ(d.renderState(RRenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(d.renderState(RRenderState::AlphaTestEnable), 1u);
    EXPECT_EQ(d.renderState(RRenderState::AlphaFunc), deviceValue(RCompare::Greater));
    EXPECT_EQ(d.stageState(0, RStageState::AlphaArg1), deviceValue(RTextureArg::Texture));

    struct Case { int mode; RTextureOp op; RTextureArg arg1, arg2; };
    for (const Case c : {Case{2, RTextureOp::Modulate, RTextureArg::Texture, RTextureArg::Diffuse},
                         Case{1, RTextureOp::SelectArg1, RTextureArg::Texture, RTextureArg::Current},
                         Case{0, RTextureOp::SelectArg1, RTextureArg::Diffuse, RTextureArg::Current}}) {
        RMaterial* blended = rig.e().createMaterial();
        blended->setTexture(&plain);
        blended->setBlendMode(c.mode);
        blended->apply();
        EXPECT_EQ(d.renderState(RRenderState::AlphaBlendEnable), 1u) << c.mode;
        EXPECT_EQ(d.stageState(0, RStageState::AlphaOp), deviceValue(c.op)) << c.mode;
        EXPECT_EQ(d.stageState(0, RStageState::AlphaArg1), deviceValue(c.arg1)) << c.mode;
        EXPECT_EQ(d.stageState(0, RStageState::AlphaArg2), deviceValue(c.arg2)) << c.mode;
    }
    // Untextured and opaque: stage 0 unbound, the alpha test left alone.
    d.setRenderState(RRenderState::AlphaTestEnable, 1);
    rig.e().createMaterial()->apply();
    EXPECT_EQ(d.textures[0], nullptr);
    EXPECT_EQ(d.renderState(RRenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(d.renderState(RRenderState::AlphaTestEnable), 1u);
}

TEST(MaterialTest, ReflectionAndLightmapGoOnStageOneAndLeaveWithTheMaterial) {
    GraphicsRig rig;
    RecordingDevice& d = rig.device;
    TestTexture paint(rig.e(), 3), sky(rig.e(), 3), shade(rig.e(), 3);
    RMaterial chrome(&rig.e()), baked(&rig.e()), plain(&rig.e());
    chrome.setTexture(&paint);
    chrome.setEnvTexture(&sky);
    chrome.envAmount = 0.5f;
    baked.lightmap = &shade;

    rig.e().setReflections(true);
    rig.e().envYaw = 0.3f;
    chrome.apply();
    EXPECT_EQ(sky.amount, 0.5f);
    EXPECT_EQ(d.textures[1], sky.deviceTexture);
    EXPECT_EQ(d.stageState(1, RStageState::TexCoordIndex), kTexCoordCameraReflection | 1u);
    EXPECT_EQ(d.stageState(1, RStageState::ColourOp), deviceValue(RTextureOp::BlendFactorAlpha));
    EXPECT_EQ(d.renderState(RRenderState::TextureFactor), 0x80FFFFFFu);  // 0.5 · 255 rounded
    // Turned back by the view yaw about the vertical, then centred.
    const Matrix4& t = d.transform(RTransform::Texture1);
    EXPECT_NEAR(t.at(2, 0), -std::sin(0.3f), 1e-6f);
    EXPECT_EQ(t.at(3, 0), 0.5f);
    EXPECT_EQ(t.at(3, 2), 0.5f);

    baked.apply();
    EXPECT_EQ(d.textures[1], shade.deviceTexture);
    EXPECT_EQ(d.stageState(1, RStageState::TexCoordIndex), 1u);  // no longer the reflection vector
    EXPECT_EQ(d.stageState(1, RStageState::ColourOp), deviceValue(RTextureOp::Modulate));

    plain.apply();
    EXPECT_EQ(d.textures[1], nullptr);
    EXPECT_EQ(d.stageState(1, RStageState::ColourOp), deviceValue(RTextureOp::Disable));

    rig.e().setReflections(false);  // then the map is not bound at all
    chrome.apply();
    EXPECT_EQ(d.textures[1], nullptr);
}
