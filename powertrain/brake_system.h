#pragma once
// The car's brakes: splits the pedal between the axles by a front bias and
// lets one CBrakeUnit per wheel turn its share into a torque, which it writes
// into the wheel's brakeTorque, raised by up to half at low wheel speeds. The
// wheel's own step applies that torque; no brake lines, no proportioning
// valve beyond the fixed bias.

#include <memory>
#include <vector>

#include "powertrain/brake_unit.h"

class CWheel;

class CBrakeSystem {
public:
    CBrakeSystem() = default;
    virtual ~CBrakeSystem();
    CBrakeSystem(const CBrakeSystem&) = delete;
    CBrakeSystem& operator=(const CBrakeSystem&) = delete;

    // Appends the wheel with a fresh unit. The first two wheels added are
    // the front axle (the car adds its wheels in order 0…3).
    void addWheel(CWheel* wheel);
    void setInput(float v) { input = v; }  // pedal, 0…1
    // Front share of the pedal, clamped to 0…1.
    void setFrontBias(float v);
    void changeFrontBias(float delta) { setFrontBias(frontBias + delta); }
    float getFrontBias() const { return frontBias; }

    // One step, dt in seconds: each unit gets its demand, its wheel's
    // angular speed and the car's speed, steps, and its torque goes to the
    // wheel. The car's speed is that of the car the wheel is attached to, or
    // the speed the wheel used in its own latest step when it has none.
    void step(float dt);

    bool isFrontWheel(std::size_t index) const { return index < 2; }

    std::vector<CWheel*> wheels;  // not owned, in the order added
    std::vector<std::unique_ptr<CBrakeUnit>> units;  // one per wheel, same order
    float input = 0.0f;      // pedal, 0…1
    float frontBias = 0.75f;  // share of the pedal for a front wheel; a rear one gets the rest
};
