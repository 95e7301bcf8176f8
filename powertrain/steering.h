#pragma once
// The steering: the driver's input sets the steering-wheel angle, the ratio
// gives the road-wheel angle, and the inner front wheel of a turn is steered
// further by an Ackermann factor. Each front wheel frame is posed from its
// angle, its alignment offset and a static tilt about its forward axis; the
// cockpit steering wheel follows the input. Purely kinematic: no rate limit,
// no compliance, no feedback torque (the car computes that from the tyres).

#include <vector>

class CSceneFrame;
class CWheel;

// What the steering reads from its car at every update. Each pointer aims at
// storage the car owns for its whole life and may be null (that value then
// counts as 0, or as no cockpit wheel). The values behind them may change at
// any time: damage bends the alignment offsets, the set-up writes the tilts
// and loading the cockpit binds its wheel frame after the car was linked.
struct SteeringCarLink {
    const CWheel* frontWheels[2] = {nullptr, nullptr};  // their alignmentOffset, degrees
    const float* frontTilt[2] = {nullptr, nullptr};     // static tilt of front wheel 0 and 1, degrees
    CSceneFrame* const* cockpitWheel = nullptr;         // the car's slot for its cockpit steering-wheel frame
};

class CSteering {
public:
    CSteering() = default;
    virtual ~CSteering() = default;
    CSteering(const CSteering&) = delete;
    CSteering& operator=(const CSteering&) = delete;

    void setInput(float v) { input = v; }  // −1…1, positive turns right
    void setCar(const SteeringCarLink& link) { car = link; }
    // The car's wheel 0 frame, then wheel 1's; only the first two are steered.
    void addSteeredFrame(CSceneFrame* frame) { steeredFrames.push_back(frame); }

    // Poses the front wheel frames and the cockpit steering wheel from the
    // present input. A negative x keeps the previous road-wheel angle (the
    // steering-wheel angle still follows the input); the physics step
    // passes 0.
    void update(float x);
    // Road-wheel angle of front wheel i (0 left, 1 right) as posed: its
    // alignment offset plus the steering angle, with the Ackermann factor
    // on the inner wheel. Degrees.
    float frontWheelAngle(int i) const;

    float input = 0.0f;           // −1…1
    std::vector<CSceneFrame*> steeredFrames;  // not owned
    float steeringRatio = 12.0f;  // steering-wheel degrees per road-wheel degree
    SteeringCarLink car;
    float wheelAngle = 0.0f;      // road-wheel angle, degrees; negative turns right
    float steeringWheelAngle = 0.0f;  // degrees
    float lockDegrees = 100.0f;   // steering-wheel angle at full input, degrees
    float inputGain = 1.0f;       // multiplier of the input
    float ackermann = 1.0f;       // extra factor for the inner wheel
    float columnTilt = 0.0f;      // tilt of the cockpit steering column, degrees

private:
    void poseFrontWheel(int i);
    void poseCockpitWheel();
};
