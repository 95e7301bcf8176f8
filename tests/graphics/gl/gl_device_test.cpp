#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "graphics/projection.h"
#include "tests/graphics/gl/gl_rig.h"

namespace {

constexpr int kSize = 64;
constexpr uint32_t kBlack = 0xFF000000u;

// Corners of a 2 m square facing the eye 5 m ahead: TL, TR, BL, BR. The
// windings are those of the engine's screen frame, x right and y down:
// TL (26, 26), TR (37, 26), BL (26, 37) has the positive signed area
// 11 · 11 there, counter-clockwise.
const uint16_t kCounterClockwise[6] = {0, 1, 2, 1, 3, 2};
const uint16_t kClockwise[6] = {0, 2, 1, 1, 2, 3};

// Draws the square with a 2 × 2 texture (top row red, green; bottom row
// blue, white with alpha 0) under a 90-degree view, lit head-on by a white
// light, and returns the picture.
std::vector<uint8_t> drawSquare(GlRig& rig, const uint16_t* indices, RCull cull,
                                const std::function<void(RDevice&)>& moreState = {}) {
    RDevice& d = rig.device();
    d.beginScene();
    d.setViewport(RViewport{0, 0, kSize, kSize, 0.0f, 1.0f});
    d.clear(kClearTarget | kClearDepth, kBlack, 1.0f, 0);
    d.setTransform(RTransform::Projection, perspectiveLeftHanded(1.5707964f, 1.0f, 1.0f, 100.0f));
    d.setTransform(RTransform::View, Matrix4());
    d.setTransform(RTransform::World, Matrix4());

    const RVertex32 corners[4] = {{{-1, 1, 5}, {0, 0, -1}, 0, 0},
                                  {{1, 1, 5}, {0, 0, -1}, 1, 0},
                                  {{-1, -1, 5}, {0, 0, -1}, 0, 1},
                                  {{1, -1, 5}, {0, 0, -1}, 1, 1}};
    RDeviceVertexBuffer* vb = d.createVertexBuffer(sizeof corners);
    std::memcpy(d.lockVertexBuffer(vb, 0, sizeof corners), corners, sizeof corners);
    d.unlockVertexBuffer(vb);
    RDeviceIndexBuffer* ib = d.createIndexBuffer(12);
    std::memcpy(d.lockIndexBuffer(ib, 0, 12), indices, 12);
    d.unlockIndexBuffer(ib);

    RDeviceTexture* texture = d.createTexture(2, 2, 1, RTextureFormat::Argb32);
    d.fillTexture(texture, [](float u, float v) {
        if (v < 0.5f) return u < 0.5f ? RColour{1, 0, 0, 1} : RColour{0, 1, 0, 1};
        return u < 0.5f ? RColour{0, 0, 1, 1} : RColour{1, 1, 1, 0};
    });
    d.setTexture(0, texture);
    d.setSamplerState(0, RSamplerState::MinFilter, deviceValue(RTextureFilter::Point));
    d.setSamplerState(0, RSamplerState::MagFilter, deviceValue(RTextureFilter::Point));
    // A mip filter on a one-level texture must still read that level.
    d.setSamplerState(0, RSamplerState::MipFilter, deviceValue(RTextureFilter::Linear));
    d.setRenderState(RRenderState::AlphaTestEnable, 1);
    d.setRenderState(RRenderState::AlphaFunc, deviceValue(RCompare::Greater));
    d.setRenderState(RRenderState::AlphaRef, 0);
    d.setRenderState(RRenderState::CullMode, deviceValue(cull));
    d.setRenderState(RRenderState::Ambient, kBlack);

    RMaterialBlock material{};
    material.diffuse = material.ambient = RColour{1, 1, 1, 1};
    d.setMaterial(material);
    RLightRecord light;
    light.diffuse = RColour{1, 1, 1, 1};
    light.direction = Vector3{0, 0, 1};  // travelling away from the eye
    d.setLight(0, light);
    d.enableLight(0, true);

    if (moreState) moreState(d);
    d.setStreamSource(vb, sizeof(RVertex32));
    d.setIndices(ib);
    d.setVertexFormat(RVertexFormat::OneUv);
    d.drawIndexedTriangles(0, 0, 4, 0, 2);
    d.endScene();
    std::vector<uint8_t> picture = rig.pixels();
    d.releaseVertexBuffer(vb);
    d.releaseIndexBuffer(ib);
    d.releaseTexture(texture);
    return picture;
}

}  // namespace

TEST(GlDeviceTest, LitTexturedSquareLandsWhereTheProjectionSays) {
    GlRig rig(kSize, kSize);
    SKIP_WITHOUT_GL(rig);
    const std::vector<uint8_t> p = drawSquare(rig, kClockwise, RCull::None);
    // x/z = ±0.2 of the half-width 32 about the centre: pixel centres from
    // 25.6 to 38.4, columns and rows 26 to 37.
    int left = kSize, right = -1, top = kSize, bottom = -1;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const Rgb c = pixelAt(p, kSize, x, y);
            if (c.r + c.g + c.b == 0) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_EQ(left, 26);
    EXPECT_EQ(top, 26);
    EXPECT_EQ(right, 37);
    EXPECT_EQ(bottom, 37);
    // Texture row 0 on top, fully lit head-on; the transparent texel fails
    // the alpha test and leaves the background.
    struct {
        int x, y;
        Rgb colour;
    } const quadrants[] = {{28, 28, {255, 0, 0}}, {35, 28, {0, 255, 0}}, {28, 35, {0, 0, 255}}, {35, 35, {0, 0, 0}}};
    for (const auto& q : quadrants) {
        const Rgb c = pixelAt(p, kSize, q.x, q.y);
        EXPECT_NEAR(c.r, q.colour.r, 3) << q.x << "," << q.y;
        EXPECT_NEAR(c.g, q.colour.g, 3) << q.x << "," << q.y;
        EXPECT_NEAR(c.b, q.colour.b, 3) << q.x << "," << q.y;
    }
}

TEST(GlDeviceTest, CullingRemovesTheWindingSeenOnScreen) {
    GlRig rig(kSize, kSize);
    SKIP_WITHOUT_GL(rig);
    struct { const uint16_t* indices; RCull cull; bool drawn; } const cases[] = {
        {kClockwise, RCull::Clockwise, false}, {kClockwise, RCull::CounterClockwise, true},
        {kCounterClockwise, RCull::Clockwise, true}, {kCounterClockwise, RCull::CounterClockwise, false},
        {kCounterClockwise, RCull::None, true}};
    for (const auto& c : cases) {
        const Rgb centre = pixelAt(drawSquare(rig, c.indices, c.cull), kSize, 28, 28);
        EXPECT_EQ(centre.r > 200, c.drawn) << (c.indices == kClockwise ? "clockwise" : "counter-clockwise")
                                           << " with cull mode " << deviceValue(c.cull);
    }
}

TEST(GlDeviceTest, ReflectionStageBlendsTheMapSeenAlongTheReflectedRayByTheFactorAlpha) {
    GlRig rig(kSize, kSize);
    SKIP_WITHOUT_GL(rig);
    const std::vector<uint8_t> p = drawSquare(rig, kClockwise, RCull::None, [](RDevice& d) {
        // A black texel at the top left of a white map. The eye rays reflect
        // off the square as (x, y, -z) with |x|, |y| <= 0.2; moved by (0.25,
        // 0.25) they all read that texel, a quarter of which (factor alpha
        // 64) goes over the square's own colour.
        RDeviceTexture* map = d.createTexture(2, 2, 1, RTextureFormat::Rgb24);
        d.fillTexture(map, [](float u, float v) { return u < 0.5f && v < 0.5f ? RColour{0, 0, 0, 1} : RColour{1, 1, 1, 1}; });
        d.setTexture(1, map);
        d.setSamplerState(1, RSamplerState::MinFilter, deviceValue(RTextureFilter::Point));
        d.setSamplerState(1, RSamplerState::MagFilter, deviceValue(RTextureFilter::Point));
        d.setTextureStageState(1, RStageState::TexCoordIndex, kTexCoordCameraReflection | 1u);
        d.setTextureStageState(1, RStageState::TextureTransformFlags, deviceValue(RTextureTransformFlags::Count3));
        d.setTransform(RTransform::Texture1, translationMatrix(0.25f, 0.25f, 0.0f));
        d.setRenderState(RRenderState::TextureFactor, 0x40FFFFFFu);
        d.setTextureStageState(1, RStageState::ColourOp, deviceValue(RTextureOp::BlendFactorAlpha));
        d.setTextureStageState(1, RStageState::ColourArg1, deviceValue(RTextureArg::Texture));
        d.setTextureStageState(1, RStageState::ColourArg2, deviceValue(RTextureArg::Current));
    });
    // 255 · (1 − 64/255) = 191 in the red and the green quadrant alike.
    for (auto [x, y] : {std::pair{27, 27}, {30, 30}, {35, 28}}) {
        const Rgb c = pixelAt(p, kSize, x, y);
        EXPECT_NEAR(std::max(c.r, c.g), 191, 4) << x << "," << y;
    }
}
