#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/font.h"
#include "graphics/recording_device.h"
#include "graphics/text.h"
#include "tests/graphics/gl/gl_rig.h"
#include "tests/graphics/graphics_rig.h"

namespace {

// Connected groups of bright pixels (4-neighbours) and their bounding box.
struct Shapes { int count = 0; int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; };

Shapes brightShapes(const std::vector<uint8_t>& rgb, int w, int h) {
    Shapes s;
    std::vector<char> seen(static_cast<size_t>(w) * h, 0);
    auto bright = [&](int x, int y) { return pixelAt(rgb, w, x, y).g > 128; };
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[y0 * w + x0] || !bright(x0, y0)) continue;
            ++s.count;
            std::vector<std::pair<int, int>> stack{{x0, y0}};
            seen[y0 * w + x0] = 1;
            while (!stack.empty()) {
                auto [x, y] = stack.back();
                stack.pop_back();
                s.left = std::min(s.left, x), s.right = std::max(s.right, x);
                s.top = std::min(s.top, y), s.bottom = std::max(s.bottom, y);
                for (auto [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[ny * w + nx] || !bright(nx, ny)) continue;
                    seen[ny * w + nx] = 1;
                    stack.push_back({nx, ny});
                }
            }
        }
    return s;
}

}  // namespace

TEST(TextTest, AValueDrawsAsItsGlyphShapesWhereTheTopLeftCornerIsPut) {
    constexpr int w = 320, h = 120;
    GlRig rig(w, h);
    SKIP_WITHOUT_GL(rig);
    RFont font("Arial Black", 24, 0);
    ASSERT_EQ(font.initDeviceObjects(&rig.device()), 0);
    ASSERT_EQ(font.restoreDeviceObjects(), 0);
    rig.engine->beginFrame();
    rig.engine->setViewport(0, 0, w, h);
    rig.device().clear(kClearTarget | kClearDepth, 0xFF000000u, 1.0f, 0);
    // A line of 0.25 · 120 = 30 pixels, glyphs in proportion (0.09375 · 320
    // = 30), the top left corner at ((−0.9 + 1) · 160, (1 − 0.6) · 60) =
    // (16, 24).
    font.drawTextScaled(-0.9f, 0.6f, 0.0f, 0.09375f, 0.25f, 0xFFFFFFFFu, "RPM 123.46", 0);
    rig.engine->endFrame();
    const Shapes s = brightShapes(rig.pixels(), w, h);
    EXPECT_EQ(s.count, 9);  // R P M 1 2 3 . 4 6
    EXPECT_GE(s.left, 16);
    EXPECT_LE(s.left, 16 + 8);
    EXPECT_GE(s.top, 24);
    EXPECT_LE(s.top, 24 + 10);
    EXPECT_LE(s.bottom, 24 + 30);
    EXPECT_GT(s.right, 16 + 9 * 12);  // ten advances of at least 12 pixels, less the last
}

TEST(TextTest, AtlasGrowsWithThePointSizeAndIsHeldToTheLargestTexture) {
    struct { int pointSize; uint32_t largest; int side; bool scaled; } const cases[] = {
        // Cells of the advance plus two spacings (a third of the "x"), one
        // line tall: at 4 points (5 pixels) about 9 × 8 texels, seven rows of
        // fourteen in 128; at 8 points (11 pixels) about 15 × 15, twelve rows
        // of eight do not fit 128 but fit 256; at 40 points (53 pixels)
        // about 66 × 67, fourteen rows of seven need 1024.
        {4, 4096, 128, false},
        {8, 4096, 256, false},
        {40, 4096, 1024, false},
        {40, 256, 256, true}};
    for (const auto& c : cases) {
        RecordingDevice device;
        device.largestTexture = c.largest;
        RFont font("Arial Black", c.pointSize, 0);
        ASSERT_EQ(font.initDeviceObjects(&device), 0);
        EXPECT_EQ(font.texWidth, c.side) << c.pointSize << " points";
        EXPECT_EQ(font.textScale < 1.0f, c.scaled) << c.pointSize << " points";
        const RecordingDevice::Texture* atlas = device.texture(font.texture);
        ASSERT_NE(atlas, nullptr);
        // White glyphs, coverage as alpha, nothing else.
        int covered = 0;
        for (size_t i = 0; i < atlas->texels.size(); i += 4) {
            const uint8_t* t = &atlas->texels[i];
            if (t[3] == 0) continue;
            ++covered;
            EXPECT_TRUE(t[0] == 255 && t[1] == 255 && t[2] == 255) << "texel " << i / 4;
        }
        EXPECT_GT(covered, 95 * 4);
    }
}

TEST(TextTest, DrawValueWritesTwoDecimalsInTheColourAndGivesTheStatesBack) {
    GraphicsRig rig;
    RText text;
    text.init(rig.engine.get(), 12);
    text.setColour(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(text.colour, 0xFFFF7F00u);
    const uint32_t zBefore = rig.device.renderState(RRenderState::ZEnable);
    rig.device.beginScene();
    text.drawValue(-0.5f, 0.5f, "RPM ", 123.456f);
    // "RPM 123.46": nine glyphs, the space only moves the pen.
    ASSERT_EQ(rig.device.draws.size(), 1u);
    const RecordingDevice::Draw& d = rig.device.draws[0];
    EXPECT_EQ(d.primitiveCount, 18u);
    EXPECT_EQ(d.format, RVertexFormat::Screen);
    EXPECT_TRUE(d.inBounds);
    RScreenVertex first;
    std::memcpy(&first, rig.device.contents(d.vertexBuffer)->data(), sizeof first);
    EXPECT_EQ(first.colour, 0xFFFF7F00u);
    EXPECT_EQ(rig.device.renderState(RRenderState::ZEnable), zBefore);
    EXPECT_EQ(rig.device.renderState(RRenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(rig.device.streamSource, nullptr);
}
