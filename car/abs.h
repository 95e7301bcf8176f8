#pragma once
// The car's anti-lock brake controller: after the brake step it compares every
// braked wheel with the fastest one and releases, for one step, the brake of
// any wheel turning noticeably slower. It knows nothing of the car's ground
// speed or of the tyres; a car with all wheels locked looks to it like one at rest.

#include <vector>

class CBrakeSystem;

class CAbs {
public:
    // Connects the controller to the car's brakes (pedal and braked wheels).
    void attach(CBrakeSystem* brakeSystem) { brakes = brakeSystem; }
    // One step, dt in seconds (unused: the controller acts on this step's
    // torques only). Call it after the brake step has written every wheel's
    // brakeTorque.
    void step(float dt);
    // Switches the controller on or off and returns the line the driver sees.
    const char* toggle();

    CBrakeSystem* brakes = nullptr;  // not owned
    float minWheelSpeed = 20.0f;     // rad/s of the fastest wheel below which it stays out
    float slipLimit = 0.1f;          // relative slip against the fastest wheel that releases a brake
    bool acting = false;             // a brake was released in the latest step
    std::vector<float> wheelSpeeds;  // |ω| of each braked wheel, rad/s, latest step that compared them
    float param = -0.0005f;          // kept with the car's settings; the step does not read it
    bool enabled = false;            // the car starts with ABS off
    // Set once the controller has dropped out at low speed; while set it comes
    // back only 20 rad/s above minWheelSpeed, so that it does not flicker on
    // and off around the threshold. The car plug-in holds one car and the car
    // one controller, so a member is seen by exactly the steps a process-wide
    // flag would be, lives as long, and starts clear on each load of the
    // plug-in just the same; as a member it also starts clear for every test.
    bool absLowSpeed = false;
};
