#pragma once
// One wheel's disc brake: clamp force times pad friction times a friction
// factor that fades with the disc temperature, acting at an effective radius.
// The disc heats while it brakes a turning wheel and relaxes towards the
// ambient temperature, faster with the car's speed. No pad wear, no hydraulic
// lag: the torque follows the demand within the step.

#include "chassis/curve.h"

class CBrakeUnit {
public:
    // Fills the fade curve: full friction at 400 °C, none at 1000 °C.
    CBrakeUnit();
    virtual ~CBrakeUnit() = default;

    // One step, dt in seconds. The torque comes from the disc temperature at
    // the start of the step; the temperature then moves by this step's heat.
    void step(float dt);

    float torque = 0.0f;        // N·m produced by the latest step, before the low-speed boost
    float demand = 0.0f;        // this wheel's share of the pedal, 0…1
    float temperature = 30.0f;  // disc, °C
    float radius = 0.2f;        // effective friction radius, m
    float carSpeed = 0.0f;      // m/s, for the cooling
    float ambient = 30.0f;      // °C
    float speedCooling = 0.001f;  // per m/s: moves the cooling target with speed
    float padFriction = 0.35f;  // pad friction coefficient
    float clampForce = 55000.0f;  // N at full demand
    float heatCapacity = 10.0f;  // the disc's heat capacity is heatCapacity · heatFactor
    float heatFactor = 5.0f;
    CCurve frictionCurve;       // friction factor over disc temperature, °C
    float wheelSpeed = 0.0f;    // rad/s of the braked wheel, copied in before each step
    float coolingRate = 5.0f;   // cooling gain towards the target
};
