#include "host/window/controller_map.h"

#include <SDL2/SDL_gamecontroller.h>

#include <algorithm>
#include <cmath>

namespace {

int mirrored(bool invert, int raw) { return invert ? -1 - raw : raw; }

// Removes a dead zone at the start of 0..1 and stretches the rest over it.
float withoutDeadZone(float v, float deadZone)
{
    return v <= deadZone ? 0.0f : (v - deadZone) / (1.0f - deadZone);
}

}  // namespace

ControllerMap gamepadMap()
{
    ControllerMap m;
    m.steering = {SDL_CONTROLLER_AXIS_LEFTX, false, -32768, 32767, 0.15f, 1.0f};
    m.throttle = {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, false, 0, 32767, 0.05f};
    m.brake = {SDL_CONTROLLER_AXIS_TRIGGERLEFT, false, 0, 32767, 0.05f};
    m.shiftUpButton = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
    m.shiftDownButton = SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
    return m;
}

float steeringValue(const SteeringAxis& a, int raw)
{
    const double centre = (static_cast<double>(a.left) + a.right) / 2;
    const double half = (static_cast<double>(a.right) - a.left) / 2;
    const float s = std::clamp(static_cast<float>((mirrored(a.invert, raw) - centre) / half), -1.0f, 1.0f);
    const float v = withoutDeadZone(std::fabs(s), a.deadZone) * a.scale;
    if (v == 0) return 0.0f;  // straight ahead is +0, whichever side the dead zone hid
    return std::clamp(std::copysign(v, s), -1.0f, 1.0f);
}

float pedalValue(const PedalAxis& a, int raw)
{
    const double travel = static_cast<double>(a.pressed) - a.released;
    const float p = static_cast<float>((mirrored(a.invert, raw) - static_cast<double>(a.released)) / travel);
    return withoutDeadZone(std::clamp(p, 0.0f, 1.0f), a.deadZone);
}

DriverInputs mapControls(const ControllerMap& map, std::span<const int16_t> axes, std::span<const uint8_t> buttons)
{
    auto hasAxis = [&](int i) { return i >= 0 && static_cast<size_t>(i) < axes.size(); };
    auto pressed = [&](int i) { return i >= 0 && static_cast<size_t>(i) < buttons.size() && buttons[i] != 0; };
    auto pedal = [&](const PedalAxis& a) { return hasAxis(a.axis) ? pedalValue(a, axes[a.axis]) : 0.0f; };
    DriverInputs in;
    in.steering = hasAxis(map.steering.axis) ? steeringValue(map.steering, axes[map.steering.axis]) : 0.0f;
    in.throttle = pedal(map.throttle);
    in.brake = pedal(map.brake);
    in.shiftUp = pressed(map.shiftUpButton);
    in.shiftDown = pressed(map.shiftDownButton);
    return in;
}
