// RText: the car's text writer: one font, one colour and two ways to write,
// short texts at a small fixed scale and labelled values with two decimals.
#pragma once

#include <cstdint>

class REngine;
class RFont;

class RText {
public:
    RText() = default;
    ~RText();
    RText(const RText&) = delete;
    RText& operator=(const RText&) = delete;

    // Half the engine's back-buffer size, the font built on the engine's
    // device with its drawing resources; scale 0.03. Without a device the
    // font stays empty and nothing is drawn.
    void init(REngine* engine, int pointSize);
    // Top left at (x, y), -1..1 across the viewport; a line is scale × 4/3
    // of the viewport's height, filtered.
    void drawText(float x, float y, const char* text);
    // "%s%.2f" of label and value, at scale 1.0, filtered.
    void drawValue(float x, float y, const char* label, float value);
    // 0xFF000000 | r << 16 | g << 8 | b, each truncate(c · 255).
    void setColour(float r, float g, float b);

    RFont* font = nullptr;  // owned
    float scale = 0.03f;
    REngine* engine = nullptr;
    uint32_t colour = 0xFFFFFFFFu;
    int pointSize = 0;
    int halfWidth = 0;
    int halfHeight = 0;
};
