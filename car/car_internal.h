#pragma once
// What the car base's own source files share: helpers and constants of the
// physics frame. Not part of the car's interface.

#include <cstdint>

#include "car/track.h"
#include "chassis/matrix4.h"
#include "chassis/wheel.h"
#include "graphics/engine.h"

namespace car_internal {

constexpr float kAmbientTemperature = 26.0f;  // °C, the air the tyres cool in
constexpr float kInputDelayMs = 3000;         // inputs are ignored this long after a reset
constexpr int kParkedSteps = 400;             // steps at rest before the car is frozen

// A world vector in the body's axes.
inline Vector3 toBody(const Matrix4& pose, const Vector3& world)
{
    return {dot(world, pose.xAxis()), dot(world, pose.yAxis()), dot(world, pose.zAxis())};
}

// The engine's millisecond clock, 0 without an engine.
inline uint64_t nowMs(REngine* system) { return system ? system->system.getTimeMs() : 0; }

// The wheel takes on the grip and character of the surface under it; a
// query that named no surface leaves the last one.
inline void takeSurface(CWheel& wheel, const SurfaceInfo* info)
{
    if (!info) return;
    wheel.surfaceKind = info->kind;
    wheel.surfaceFriction = info->friction;
    wheel.surfaceBlend = info->blend;
}

}  // namespace car_internal
