#include "host/window/keyboard_driver.h"

#include <algorithm>
#include <cmath>

#include "host/window/sdl_input.h"

namespace {
// `value` moved towards `target` by at most rate * dt.
float approach(float value, float target, float rate, float dt)
{
    const float step = rate * dt;
    return value < target ? std::min(target, value + step) : std::max(target, value - step);
}
}  // namespace

float KeyboardDriver::lockAt(float speed) const
{
    const float share = std::clamp(speed / rates_.lockSpeed, 0.0f, 1.0f);
    return 1.0f - (1.0f - rates_.lockAtSpeed) * share;
}

void KeyboardDriver::drive(const CarState& car, float dt, DriverInputs& inputs)
{
    const bool up = keys_.isHeld(SDLK_UP), down = keys_.isHeld(SDLK_DOWN);
    throttle_ = approach(throttle_, up ? 1.0f : 0.0f, up ? rates_.pedalPress : rates_.pedalRelease, dt);
    brake_ = approach(brake_, down ? 1.0f : 0.0f, down ? rates_.pedalPress : rates_.pedalRelease, dt);

    // The car's steering runs from -1 (full left) to +1 (full right).
    const float lock = lockAt(std::fabs(car.speed));
    const float target = (static_cast<float>(keys_.isHeld(SDLK_RIGHT)) - static_cast<float>(keys_.isHeld(SDLK_LEFT))) * lock;
    const bool centring = std::fabs(target) < std::fabs(steering_) || target * steering_ < 0;
    steering_ = approach(steering_, target, centring ? rates_.steerCentre : rates_.steerIn * lock, dt);

    inputs.throttle = throttle_;
    inputs.brake = brake_;
    inputs.steering = steering_;
    inputs.shiftUp = keys_.isHeld(SDLK_e);
    inputs.shiftDown = keys_.isHeld(SDLK_q);
}
