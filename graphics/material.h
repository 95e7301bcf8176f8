// RMaterial: how a mesh looks: its colours (the device's material record),
// a base texture, a reflection map, a lightmap, two-sidedness and a blend
// mode, which also decides when the mesh is drawn within its frame. apply()
// hands all of it to the device, skipping the work when the material is
// already current.
#pragma once

#include <string>

#include "graphics/device.h"

class REngine;
class RTexture;

class RMaterial {
public:
    // Blend modes, highest drawn first within a frame.
    static constexpr int kBlendOpaque = 4;        // no blending
    static constexpr int kBlendAlphaTested = 3;   // texture alpha, alpha test > 0
    static constexpr int kBlendModulated = 2;     // blended, diffuse alpha × texture alpha
    static constexpr int kBlendTextureAlpha = 1;  // blended, texture alpha
    static constexpr int kBlendDiffuseAlpha = 0;  // blended, diffuse alpha

    explicit RMaterial(REngine* owner = nullptr) : engine(owner) {}

    // RGB of both diffuse and ambient (ambient follows diffuse).
    void setDiffuse(float r, float g, float b);
    void setSpecular(float r, float g, float b) { specular = RColour{r, g, b, 1.0f}; }
    void setEmissive(float r, float g, float b) { emissive = RColour{r, g, b, 1.0f}; }
    // Alpha of diffuse and ambient; anything but exactly 1 makes the
    // material blended by its diffuse alpha.
    void setAlpha(float a);
    // A texture turns diffuse and ambient RGB white (the texture carries the
    // colour); one with 32-bit pixels makes the material alpha-tested.
    void setTexture(RTexture* t);
    void setEnvTexture(RTexture* t) { envTexture = t; }
    void setTwoSided(bool on) { twoSided = on; }
    void setBlendMode(int mode) { blendMode = mode; }
    // power = 140 - s.
    void setShine(float s) { power = 140.0f - s; }

    // The device's material record, in its order.
    RMaterialBlock colourBlock() const { return RMaterialBlock{diffuse, ambient, specular, emissive, power}; }

    // Makes this the engine's current material: colours, textures, culling,
    // reflection and blending. Nothing when it already is current.
    void apply();

    RTexture* texture = nullptr;
    RTexture* envTexture = nullptr;  // reflection map
    RTexture* lightmap = nullptr;    // bound on stage 1
    std::string name;
    int index = 0;                   // position in the engine's list at creation
    bool twoSided = false;           // drawn without back-face culling
    REngine* engine = nullptr;
    int blendMode = kBlendOpaque;
    float envAmount = 1.0f;          // strength of the reflection map
    // The colour block, contiguous in the device's order.
    RColour diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    RColour ambient{1.0f, 1.0f, 1.0f, 1.0f};
    RColour specular{1.0f, 1.0f, 1.0f, 1.0f};
    RColour emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 0.0f;              // specular exponent
    // Free for the user of the material; the engine never reads them.
    int userValue = 0;
    float userAmount = 0.1f;
};
