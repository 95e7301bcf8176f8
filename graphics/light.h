// RLight: the one directional light of the scene, kept as the device's light
// record and handed to device light 0. Point and spot lights are not used.
#pragma once

#include "chassis/vector3.h"
#include "graphics/device.h"

class REngine;

class RLight {
public:
    // Directional, grey-white diffuse (0.9), white specular, no ambient,
    // shining along normalise(0.5, -1, 0.5), range 1000 m, constant
    // attenuation 1.
    explicit RLight(REngine* owner = nullptr);

    void setDiffuse(float r, float g, float b) { record.diffuse = RColour{r, g, b, 1.0f}; }
    void setSpecular(float r, float g, float b) { record.specular = RColour{r, g, b, 1.0f}; }
    void setAmbient(float r, float g, float b) { record.ambient = RColour{r, g, b, 1.0f}; }
    // Stored as given; the device normalises.
    void setDirection(const Vector3& direction) { record.direction = direction; }

    // Sets the record as device light 0 and switches that light on.
    void apply();

    RLightRecord record;
    REngine* engine;
};
