#pragma once
// A driver on a game controller or a steering wheel, read through SDL's
// game-controller and joystick interfaces, with force feedback through SDL's
// haptics when the device has it. The window's loop pumps SDL's events; this
// driver reads the device's current axes and buttons each physics frame.

#include <memory>
#include <string>

#include "host/driver.h"

struct ControllerSettings {
    enum class Kind { Gamepad, Wheel };
    Kind kind = Kind::Gamepad;
    std::string mapPath;   // wheel: the axis map file (--controls); empty: the built-in layout
    float ffbGain = 1.0f;  // force feedback strength; 0 switches it off
};

class ControllerDriver : public Driver {
public:
    // Opens the first device of the kind asked. SDL must be initialised;
    // the controller, joystick and haptic subsystems are started here.
    // Null with the reason when there is no such device or the map is bad.
    static std::unique_ptr<ControllerDriver> open(const ControllerSettings& settings, std::string& error);

    // Once per picture: the car's aligning torque at the steering wheel
    // (ICar::getSteeringTorque) for the force feedback; nothing without it.
    virtual void feedback(float steeringTorque) = 0;
    // For the run's start line, e.g. "gamepad \"...\" (force feedback on)".
    virtual std::string description() const = 0;
};
