#pragma once
// How a controller's raw axes and buttons become the driver's controls: which
// axis steers, which pedals, their raw ranges, dead zones and the shift
// buttons. A steering wheel reads its map from a file (controller_map_file.h);
// a game controller has one fixed layout. Raw axis values are SDL's,
// -32768..32767.

#include <cstdint>
#include <span>

#include "host/driver.h"

// The steering axis: raw values at full left and full right lock.
struct SteeringAxis {
    int axis = 0;
    bool invert = false;  // mirror the raw value (-32768 <-> 32767) before the range
    int left = -32768;
    int right = 32767;
    float deadZone = 0.0f;  // fraction of half the travel around the centre that reads straight
    float scale = 1.0f;     // >1: less rotation already gives full lock
    bool operator==(const SteeringAxis&) const = default;
};

// A pedal (or trigger): raw values released and fully pressed, either way round.
struct PedalAxis {
    int axis = 0;
    bool invert = false;
    int released = 32767;
    int pressed = -32768;
    float deadZone = 0.0f;  // fraction of the travel from released that reads 0
    bool operator==(const PedalAxis&) const = default;
};

struct ControllerMap {
    SteeringAxis steering{};
    PedalAxis throttle{1, false, 32767, -32768, 0.02f};
    PedalAxis brake{2, false, 32767, -32768, 0.02f};
    int shiftUpButton = 4;
    int shiftDownButton = 5;
    bool invertForceFeedback = false;  // for devices whose driver pushes the other way
    bool operator==(const ControllerMap&) const = default;
};

// The built-in wheel layout, the same as data/controls/wheel.ini.
inline constexpr ControllerMap kWheelDefaults{};

// The game controller's layout over SDL's game-controller axes and buttons:
// left stick X steers (15 % dead zone), right trigger throttle, left trigger
// brake (5 % dead zone each), right shoulder shifts up, left shoulder down.
ControllerMap gamepadMap();

// -1 full left .. +1 full right; dead zone removed and the rest rescaled so
// that the end of the travel is still full lock.
float steeringValue(const SteeringAxis& a, int raw);
// 0 released .. 1 fully pressed.
float pedalValue(const PedalAxis& a, int raw);

// The controls from the device's current readings (axes and buttons by
// index). An index the device lacks reads as centred or released.
DriverInputs mapControls(const ControllerMap& map, std::span<const int16_t> axes, std::span<const uint8_t> buttons);
