// RFont: a font turned into one texture (every printable ASCII character,
// white, with the glyph's coverage as alpha) and strings drawn from it as
// screen-space quads. Glyphs come from FreeType with DejaVu Sans Bold, made
// heavier with FreeType's embolden, whatever face is named: the face name is
// kept for the record only. Sizes follow the screen rule of 96 dots per
// inch.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/device.h"

class RFont {
public:
    static constexpr uint32_t kCentreX = 1;   // centre the string on x
    static constexpr uint32_t kCentreY = 2;   // centre the line on y
    static constexpr uint32_t kFiltered = 8;  // linear texture filtering
    static constexpr int kFirstChar = 32;
    static constexpr int kChars = 96;         // 32 to 127

    RFont(const char* name, int pointSize, int flags);
    ~RFont();
    RFont(const RFont&) = delete;
    RFont& operator=(const RFont&) = delete;

    // Builds the atlas on `device`: 128 × 128 texels, doubled until every
    // glyph fits, then held to the device's largest texture with the font
    // made smaller to fit. 0 on success, 1 when the face or the texture
    // cannot be made.
    int initDeviceObjects(RDevice* device);
    // The vertex buffer the strings are drawn from; 0 on success.
    int restoreDeviceObjects();
    int invalidateDeviceObjects();
    // Releases the atlas.
    int deleteDeviceObjects();

    // Draws `text` with its top left corner at (x, y), both -1..1 across the
    // viewport, y up. A line is yScale × the viewport's height tall and a
    // glyph xScale × the viewport's width for each line-height of its own
    // width. flags: kCentreX, kCentreY, kFiltered. A newline starts a new
    // line; characters without a glyph are skipped; a space only advances.
    void drawTextScaled(float x, float y, float z, float xScale, float yScale, uint32_t colour, const char* text,
                        uint32_t flags);

    char fontName[80] = {};
    int pointSize;
    int flags;  // bit 0 bold, bit 1 italic
    RDevice* device = nullptr;
    RDeviceTexture* texture = nullptr;
    int texWidth = 0;
    int texHeight = 0;
    float textScale = 1.0f;
    float glyphs[kChars][4] = {};  // left, top, right, bottom texture coordinates
    int spacing = 0;               // empty columns on each side of a glyph
    RDeviceVertexBuffer* vertexBuffer = nullptr;

private:
    struct Face;
    // Opens the face at the size the point size and textScale give.
    bool openFace();
    // Places every glyph in a texWidth × texHeight atlas; false when they do
    // not fit. With `coverage`, also draws them into it and sets `glyphs`.
    bool paintAlphabet(std::vector<uint8_t>* coverage);

    std::unique_ptr<Face> face_;
    int lineHeight_ = 0;  // texels
};
