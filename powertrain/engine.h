#pragma once
// The engine at the head of the power path: a drivetrain node that slews its
// throttle, cuts it at the rev limit, and each step queues on itself a torque
// blended from its full-load and coast curves. It stalls below 700 rpm, dies
// for good when over-revving has worn it out, and sputters on a nearly empty
// tank. No starter, no thermal or combustion model: it runs again as soon as
// something turns it fast enough with fuel in the tank.

#include "chassis/curve.h"
#include "powertrain/gear_node.h"

class CEngine : public CGearNode {
public:
    explicit CEngine(CDrivetrain* owner = nullptr);

    void step(float dt) override;  // dt in seconds

    void setThrottle(float value) { throttleTarget = value; }
    // Sets demand and throttle in effect together, skipping the slew.
    void resetThrottle(float value) { throttleTarget = throttle = value; }
    float getThrottleTarget() const { return throttleTarget; }
    float getThrottle() const { return throttle; }
    // Fuel use per second: throttle · fuelRate · speed while running.
    float getFuelFlow() const;
    void setDefaultThrottleCurve();
    // Appends the coast curve: +5 N·m up to 1000 rpm, then a drag growing
    // with rpm that equals `percent` % of the full-load torque at refRpm.
    void buildCoastCurve(float refRpm, float percent);

    CCurve powerCurve;     // full-load torque, N·m by rpm
    CCurve coastCurve;     // closed-throttle torque, N·m by rpm
    CCurve throttleCurve;  // torque factor by throttle position 0…1
    int rpm = 1000;
    float limiterRpm = 4000.0f;
    bool limiterActive = false;
    float fuelRate = 1.8e-5f;  // fuel per unit of throttle and rad/s, per second
    bool running = true;       // set by the car from the fuel level every step
    bool lowFuel = false;      // set by the car every step
    float throttleRiseRate = 2.0f;  // per second
    float throttleFallRate = 4.0f;  // per second
    float torqueScale = 1.0f;  // multiplier of the full-load torque (traction control)
    float damageRpm = 15000.0f;
    float damageRate = 0.001f;  // damage per rpm of excess per step
    float damage = 0.0f;        // beyond 1000 the engine is destroyed
    float sputterPhase = 0.0f;  // radians, 0…2π
    float peakPower = 0.0f;     // hp
    float peakPowerRpm = 0.0f;
    float throttleTarget = 0.0f;  // 0…1
    float throttle = 0.0f;        // 0…1
    float outputTorque = 0.0f;    // N·m queued in the latest step

private:
    float fullLoadTorque() const;
};
