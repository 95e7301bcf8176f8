#include "graphics/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// DejaVu Sans Bold, from fonts-dejavu-core, stands in for every face name.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int kDotsPerInch = 96;
constexpr int kLastChar = 126;
constexpr int kMaxQuads = 256;  // per draw from the vertex buffer

int ceil26(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

}  // namespace

struct RFont::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Pos embolden = 0;   // 26.6 pixels the outlines grow by
    int ascent = 0;        // pixels above the baseline
    int advance[kChars] = {};

    ~Face() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    // Loads character c as an outline made heavier.
    bool load(int c) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_NO_BITMAP) != 0) return false;
        if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Embolden(&face->glyph->outline, embolden);
        return true;
    }
};

RFont::RFont(const char* name, int size, int fontFlags) : pointSize(size), flags(fontFlags) {
    std::snprintf(fontName, sizeof fontName, "%s", name != nullptr ? name : "");
}

RFont::~RFont() {
    invalidateDeviceObjects();
    deleteDeviceObjects();
}

bool RFont::openFace() {
    face_ = std::make_unique<Face>();
    Face& f = *face_;
    if (FT_Init_FreeType(&f.library) != 0 || FT_New_Face(f.library, kFontFile, 0, &f.face) != 0) {
        std::printf("RFont: cannot open the font file %s\n", kFontFile);
        face_.reset();
        return false;
    }
    // The screen rule: points at 96 dots per inch, the dots scaled down
    // with the atlas, rounded as a multiply-divide rounds.
    const int dots = static_cast<int>(static_cast<float>(kDotsPerInch) * textScale);
    const int pixels = std::max(1, static_cast<int>(std::lround(static_cast<double>(pointSize) * dots / 72.0)));
    FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(pixels));
    // A thirty-second of the em: heavier strokes, nearer a black face, yet
    // the gap between the dot of an "i" and its stem stays open (at a
    // sixteenth it closes and "i" reads as "l").
    f.embolden = FT_MulFix(f.face->units_per_EM, f.face->size->metrics.y_scale) / 32;
    f.ascent = ceil26(f.face->size->metrics.ascender + f.embolden);
    lineHeight_ = f.ascent + ceil26(-f.face->size->metrics.descender);
    for (int c = kFirstChar; c <= kLastChar; ++c)
        f.advance[c - kFirstChar] = f.load(c) ? ceil26(f.face->glyph->advance.x + f.embolden) : 0;
    return true;
}

bool RFont::paintAlphabet(std::vector<uint8_t>* coverage) {
    Face& f = *face_;
    spacing = static_cast<int>(std::ceil(f.advance['x' - kFirstChar] * 0.3));
    int x = spacing, y = 0;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        const int cx = f.advance[c - kFirstChar], cy = lineHeight_;
        if (x + cx + spacing > texWidth) {
            x = spacing;
            y += cy + 1;
        }
        if (y + cy > texHeight) return false;
        if (coverage != nullptr) {
            if (f.load(c) && FT_Render_Glyph(f.face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
                const FT_Bitmap& b = f.face->glyph->bitmap;
                const int left = x + f.face->glyph->bitmap_left, top = y + f.ascent - f.face->glyph->bitmap_top;
                for (unsigned row = 0; row < b.rows; ++row)
                    for (unsigned col = 0; col < b.width; ++col) {
                        const int tx = left + static_cast<int>(col), ty = top + static_cast<int>(row);
                        if (tx < 0 || ty < 0 || tx >= texWidth || ty >= texHeight) continue;
                        uint8_t& t = (*coverage)[static_cast<size_t>(ty) * texWidth + tx];
                        t = std::max(t, b.buffer[row * b.pitch + col]);
                    }
            }
            float* g = glyphs[c - kFirstChar];
            g[0] = static_cast<float>(x - spacing) / texWidth;
            g[1] = static_cast<float>(y) / texHeight;
            g[2] = static_cast<float>(x + cx + spacing) / texWidth;
            g[3] = static_cast<float>(y + cy) / texHeight;
        }
        x += cx + 2 * spacing;
    }
    return true;
}

int RFont::initDeviceObjects(RDevice* d) {
    device = d;
    if (device == nullptr) return 1;
    textScale = 1.0f;
    if (!openFace()) return 1;
    texWidth = texHeight = 128;
    while (!paintAlphabet(nullptr)) texWidth = texHeight = texWidth * 2;
    const int largest = static_cast<int>(device->maxTextureSize());
    if (texWidth > largest && largest > 0) {
        // Smaller glyphs in the largest texture there is, a tenth smaller
        // each try until they fit.
        textScale = static_cast<float>(largest) / static_cast<float>(texWidth);
        texWidth = texHeight = largest;
        while (openFace() && !paintAlphabet(nullptr)) textScale *= 0.9f;
        if (!face_) return 1;
    }
    std::vector<uint8_t> coverage(static_cast<size_t>(texWidth) * texHeight, 0);
    paintAlphabet(&coverage);
    texture = device->createTexture(static_cast<uint32_t>(texWidth), static_cast<uint32_t>(texHeight), 1,
                                    RTextureFormat::Argb4444);
    if (texture == nullptr) return 1;
    const int w = texWidth, h = texHeight;
    // White everywhere a glyph covers, its coverage in four bits of alpha;
    // transparent black elsewhere.
    device->fillTexture(texture, [&coverage, w, h](float u, float v) {
        const int x = std::clamp(static_cast<int>(u * static_cast<float>(w)), 0, w - 1);
        const int y = std::clamp(static_cast<int>(v * static_cast<float>(h)), 0, h - 1);
        const int a = coverage[static_cast<size_t>(y) * w + x] >> 4;
        return a != 0 ? RColour{1.0f, 1.0f, 1.0f, static_cast<float>(a) / 15.0f} : RColour{0.0f, 0.0f, 0.0f, 0.0f};
    });
    return 0;
}

int RFont::restoreDeviceObjects() {
    if (device == nullptr) return 1;
    if (vertexBuffer == nullptr) vertexBuffer = device->createVertexBuffer(kMaxQuads * 6 * sizeof(RScreenVertex));
    return vertexBuffer != nullptr ? 0 : 1;
}

int RFont::invalidateDeviceObjects() {
    if (device != nullptr && vertexBuffer != nullptr) device->releaseVertexBuffer(vertexBuffer);
    vertexBuffer = nullptr;
    return 0;
}

int RFont::deleteDeviceObjects() {
    if (device != nullptr && texture != nullptr) device->releaseTexture(texture);
    texture = nullptr;
    return 0;
}

void RFont::drawTextScaled(float x, float y, float z, float xScale, float yScale, uint32_t colour, const char* text,
                           uint32_t drawFlags) {
    if (device == nullptr || texture == nullptr || vertexBuffer == nullptr || text == nullptr || lineHeight_ <= 0)
        return;
    const RViewport vp = device->getViewport();
    // Texels of the atlas to pixels: a line is yScale of the viewport's
    // height, and widths keep the glyphs' proportion against xScale of its
    // width.
    const float perTexelX = xScale * static_cast<float>(vp.width) / static_cast<float>(lineHeight_);
    const float perTexelY = yScale * static_cast<float>(vp.height) / static_cast<float>(lineHeight_);
    const float line = perTexelY * static_cast<float>(lineHeight_);
    auto glyphWidth = [&](int c) { return (glyphs[c - kFirstChar][2] - glyphs[c - kFirstChar][0]) * texWidth; };

    float left = (x + 1.0f) * static_cast<float>(vp.width) / 2.0f;
    float top = (1.0f - y) * static_cast<float>(vp.height) / 2.0f;
    if (drawFlags & (kCentreX | kCentreY)) {
        float widest = 0.0f, width = 0.0f;
        int lines = 1;
        for (const char* p = text; *p != '\0'; ++p) {
            const int c = static_cast<unsigned char>(*p);
            if (c == '\n') {
                ++lines;
                width = 0.0f;
            } else if (c >= kFirstChar && c <= kLastChar) {
                width += (glyphWidth(c) - 2.0f * spacing) * perTexelX;
            }
            widest = std::max(widest, width);
        }
        if (drawFlags & kCentreX) left -= widest / 2.0f;
        if (drawFlags & kCentreY) top -= line * static_cast<float>(lines) / 2.0f;
    }

    device->saveState();
    device->setRenderState(RRenderState::ZEnable, 0);
    device->setRenderState(RRenderState::Lighting, 0);
    device->setRenderState(RRenderState::CullMode, deviceValue(RCull::None));
    device->setRenderState(RRenderState::AlphaBlendEnable, 1);
    device->setRenderState(RRenderState::AlphaTestEnable, 1);
    device->setRenderState(RRenderState::AlphaFunc, deviceValue(RCompare::Greater));
    device->setRenderState(RRenderState::AlphaRef, 0);
    for (RStageState s : {RStageState::ColourOp, RStageState::AlphaOp})
        device->setTextureStageState(0, s, deviceValue(RTextureOp::Modulate));
    for (RStageState s : {RStageState::ColourArg1, RStageState::AlphaArg1})
        device->setTextureStageState(0, s, deviceValue(RTextureArg::Texture));
    for (RStageState s : {RStageState::ColourArg2, RStageState::AlphaArg2})
        device->setTextureStageState(0, s, deviceValue(RTextureArg::Diffuse));
    device->setTextureStageState(0, RStageState::TexCoordIndex, 0);
    device->setTextureStageState(0, RStageState::TextureTransformFlags, deviceValue(RTextureTransformFlags::Disable));
    device->setTextureStageState(1, RStageState::ColourOp, deviceValue(RTextureOp::Disable));
    const RTextureFilter filter = (drawFlags & kFiltered) ? RTextureFilter::Linear : RTextureFilter::Point;
    device->setSamplerState(0, RSamplerState::MinFilter, deviceValue(filter));
    device->setSamplerState(0, RSamplerState::MagFilter, deviceValue(filter));
    device->setSamplerState(0, RSamplerState::MipFilter, deviceValue(RTextureFilter::None));
    device->setTexture(0, texture);
    device->setTexture(1, nullptr);
    device->setVertexFormat(RVertexFormat::Screen);
    device->setStreamSource(vertexBuffer, sizeof(RScreenVertex));

    std::vector<RScreenVertex> quads;
    auto flush = [&]() {
        if (quads.empty()) return;
        const uint32_t bytes = static_cast<uint32_t>(quads.size() * sizeof(RScreenVertex));
        if (void* memory = device->lockVertexBuffer(vertexBuffer, 0, bytes)) {
            std::memcpy(memory, quads.data(), bytes);
            device->unlockVertexBuffer(vertexBuffer);
            device->drawTriangles(0, static_cast<uint32_t>(quads.size() / 3));
        }
        quads.clear();
    };
    float pen = left;
    for (const char* p = text; *p != '\0'; ++p) {
        const int c = static_cast<unsigned char>(*p);
        if (c == '\n') {
            pen = left;
            top += line;
            continue;
        }
        if (c < kFirstChar || c > kLastChar) continue;
        const float* g = glyphs[c - kFirstChar];
        const float w = glyphWidth(c) * perTexelX;
        if (c != ' ') {
            const float h = (g[3] - g[1]) * texHeight * perTexelY;
            auto corner = [&](float dx, float dy, float u, float v) {
                quads.push_back(RScreenVertex{pen + dx, top + dy, z, 1.0f, colour, u, v});
            };
            corner(0, 0, g[0], g[1]);
            corner(w, 0, g[2], g[1]);
            corner(0, h, g[0], g[3]);
            corner(w, 0, g[2], g[1]);
            corner(w, h, g[2], g[3]);
            corner(0, h, g[0], g[3]);
            if (quads.size() >= kMaxQuads * 6) flush();
        }
        pen += w - 2.0f * spacing * perTexelX;
    }
    flush();
    device->restoreState();
}
