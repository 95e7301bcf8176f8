#pragma once
// A driver of the car: each physics frame it sees the car's state, as the
// host reads it through the car's interface, and sets the controls.

#include <string>

#include "chassis/vector3.h"
#include "host/controls.h"

class ICar;

struct CarState {
    float time = 0;  // simulated seconds since the start of the run
    Vector3 position{};
    Vector3 forward{0, 0, 1};
    Vector3 left{1, 0, 0};
    float speed = 0;  // m/s
    int rpm = 0;
    std::string gear;  // "R", "N", "1", ...
};

// Reads the state a driver needs through the car's interface.
CarState readCarState(ICar& car, float time);

class Driver {
public:
    virtual ~Driver() = default;
    // Sets `inputs` for the coming physics frame of length dt.
    virtual void drive(const CarState& car, float dt, DriverInputs& inputs) = 0;
};
