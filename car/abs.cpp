#include "car/abs.h"

#include <cmath>
#include <cstdio>

#include "chassis/wheel.h"
#include "powertrain/brake_system.h"

namespace {
// Extra fastest-wheel speed, rad/s, needed to come back once dropped out.
constexpr float kLowSpeedHysteresis = 20.0f;
// A released brake keeps a token torque rather than none at all.
constexpr float kReleasedBrakeTorque = 1.0f;
// Pedal travel at or below which the driver is not really braking.
constexpr float kMinPedal = 0.1f;
}  // namespace

void CAbs::step(float /*dt*/)
{
    acting = false;
    if (!enabled || brakes == nullptr) return;
    if (!(brakes->input > kMinPedal)) return;

    const std::vector<CWheel*>& wheels = brakes->wheels;
    float fastest = 0.0f;
    for (const CWheel* wheel : wheels) fastest = std::fmax(fastest, std::fabs(wheel->angularSpeed));

    const float threshold = minWheelSpeed + (absLowSpeed ? kLowSpeedHysteresis : 0.0f);
    if (fastest < threshold) {
        // Without braked wheels there is no first torque to show; 0 stands in.
        const float firstTorque = wheels.empty() ? 0.0f : wheels.front()->brakeTorque;
        std::printf("lowspeed=%f %f\n", firstTorque, fastest);
        absLowSpeed = true;
        return;
    }

    // Slip in float: 1 − 0.9f rounds just above 0.1f, so a wheel exactly 10 %
    // slower than the fastest one counts as at the limit and is released.
    wheelSpeeds.resize(wheels.size());
    for (std::size_t i = 0; i < wheels.size(); ++i) {
        const float speed = std::fabs(wheels[i]->angularSpeed);
        if (1.0f - speed / fastest >= slipLimit) {
            wheels[i]->brakeTorque = kReleasedBrakeTorque;
            acting = true;
        }
        wheelSpeeds[i] = speed;
    }

    if (absLowSpeed) {
        std::printf("hispeed=%f\n", fastest);
        absLowSpeed = false;
    }
}

const char* CAbs::toggle()
{
    enabled = !enabled;
    return enabled ? "ABS: ON" : "ABS: OFF";
}
