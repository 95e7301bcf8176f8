#pragma once
// The car's traction control for a rear-driven car: before the engine steps it
// compares each driven rear wheel with the mean of the free-rolling front
// wheels and, if either spins too fast, takes the engine's full-load torque
// away for the step. All or nothing: no partial cut, no brake intervention.

#include <array>

class CEngine;
class CWheel;

class CTractionControl {
public:
    // Connects the controller to the engine and the car's four wheels in the
    // order front left, front right, rear left, rear right.
    void attach(CEngine* carEngine, const std::array<CWheel*, 4>& carWheels)
    {
        engine = carEngine;
        wheels = carWheels;
    }
    // One step, dt in seconds (unused: the decision rests on this step's
    // speeds only). Call it before the engine's step.
    void step(float dt);
    // Switches the controller on or off and returns the line the driver sees.
    // Switching it off also gives the engine its full torque back, which the
    // step would otherwise do only while the controller is on.
    const char* toggle();

    CEngine* engine = nullptr;             // not owned
    std::array<CWheel*, 4> wheels{};       // not owned; front left, front right, rear left, rear right
    float slipLimit = 0.06f;               // rear-wheel overspeed against the front mean that cuts the torque
    float minDrivenSpeed = 3.0f;           // rad/s of the slower driven wheel below which it stays out
    bool acting = false;                   // the torque was cut in the latest step
    bool enabled = true;                   // the car starts with TC on
};
