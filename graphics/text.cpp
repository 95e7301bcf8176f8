#include "graphics/text.h"

#include <algorithm>
#include <cstdio>

#include "graphics/engine.h"
#include "graphics/font.h"

RText::~RText() { delete font; }

void RText::init(REngine* owner, int size) {
    engine = owner;
    pointSize = size;
    halfWidth = owner != nullptr ? owner->width / 2 : 0;
    halfHeight = owner != nullptr ? owner->height / 2 : 0;
    delete font;
    font = new RFont("Arial Black", size, 0);
    // A font that cannot be made draws nothing; the caller carries on.
    if (owner != nullptr && font->initDeviceObjects(owner->device) == 0) font->restoreDeviceObjects();
    scale = 0.03f;
}

void RText::drawText(float x, float y, const char* text) {
    if (font != nullptr) font->drawTextScaled(x, y, 0.0f, scale, scale * 1.3333334f, colour, text, RFont::kFiltered);
}

void RText::drawValue(float x, float y, const char* label, float value) {
    char text[256];
    std::snprintf(text, sizeof text, "%s%.2f", label != nullptr ? label : "", static_cast<double>(value));
    if (font != nullptr) font->drawTextScaled(x, y, 0.0f, 1.0f, 1.0f, colour, text, RFont::kFiltered);
}

void RText::setColour(float r, float g, float b) {
    auto channel = [](float c) { return static_cast<uint32_t>(std::clamp(static_cast<int>(c * 255.0f), 0, 255)); };
    colour = 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}
