#pragma once
// What a driver does with the car's controls in one physics frame, and the
// controls object the host hands to the car with those values.

#include "car/controls.h"

struct DriverInputs {
    float steering = 0;  // -1 full left .. +1 full right (the car's convention)
    float throttle = 0;  // 0..1
    float brake = 0;     // 0..1
    bool shiftUp = false;
    bool shiftDown = false;
};

class HostControls : public IControls {
public:
    DriverInputs inputs;

    bool shiftDownButton() override { return inputs.shiftDown; }
    bool shiftUpButton() override { return inputs.shiftUp; }
    float brake() override { return inputs.brake; }
    float throttle() override { return inputs.throttle; }
    void unusedSlot4() override {}
    float steering() override { return inputs.steering; }
};
