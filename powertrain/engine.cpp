#include "powertrain/engine.h"

#include <cmath>
#include <cstdio>

#include "powertrain/drivetrain.h"

namespace {
constexpr int kStallRpm = 700;
constexpr float kDestroyedDamage = 1000.0f;
// A stopped or dead engine still resists being turned, in either direction.
// It only ever opposes the rotation: at rest it holds nothing, so it can
// never turn a stopped engine (and through it the car) by itself.
constexpr float kDeadResistance = 50.0f;  // N·m

float deadResistance(float speed)
{
    if (speed > 0.0f) return -kDeadResistance;
    return speed < 0.0f ? kDeadResistance : 0.0f;
}
constexpr float kRadPerSecToRpm = 9.549296f;
constexpr float kTwoPi = 6.2831855f;
// Sputter phase advance per radian turned: one swell and fade per 2π / 0.001.
constexpr float kSputterPerRadian = 0.001f;
// N·m to lb·ft, and 1 / 5252 for horsepower from lb·ft and rpm.
constexpr float kNmToLbFt = 0.7375f;
constexpr float kHpPerLbFtRpm = 0.00019040366f;
}  // namespace

CEngine::CEngine(CDrivetrain* owner) : CGearNode(owner)
{
    speed = 100.0f;
}

float CEngine::fullLoadTorque() const
{
    if (!running) return deadResistance(speed);
    float f = powerCurve.getValue(static_cast<float>(rpm)) * throttleCurve.getValue(throttle) * torqueScale;
    if (lowFuel) f *= (std::sin(sputterPhase) + 1.0f) * 0.5f;
    return f;
}

void CEngine::step(float dt)
{
    if (rpm < kStallRpm) running = false;
    if (damage > kDestroyedDamage) running = false;
    if (static_cast<float>(rpm) > damageRpm) {
        damage += (static_cast<float>(rpm) - damageRpm) * damageRate;
        std::printf("damage=%f\n", damage);
    }

    // The snap comes first, so a rise can overshoot by one step and the fall
    // then pulls it back.
    const float fall = dt * throttleFallRate;
    if (fall > std::fabs(throttle - throttleTarget)) throttle = throttleTarget;
    if (throttle < throttleTarget) throttle += dt * throttleRiseRate;
    if (throttle > throttleTarget) throttle -= fall;

    if (static_cast<float>(rpm) > limiterRpm) {
        throttle = 0.0f;
        limiterActive = true;
    } else {
        limiterActive = false;
    }

    const float full = fullLoadTorque();
    const float coast = coastCurve.getValue(static_cast<float>(rpm));
    const float torque = (1.0f - throttle) * coast + throttle * full;
    if (running)
        queueOwnTorque(torque, kTorqueTagOrdinary);
    else
        queueOwnTorque(deadResistance(speed), kTorqueTagOrdinary);

    // The speed here is still that of the previous step: the queued torque
    // is applied after every node has stepped.
    rpm = static_cast<int>(speed * kRadPerSecToRpm);
    sputterPhase += dt * speed * kSputterPerRadian;
    if (sputterPhase >= kTwoPi) sputterPhase -= kTwoPi;

    const float power = fullLoadTorque() * kNmToLbFt * static_cast<float>(rpm) * kHpPerLbFtRpm;
    if (power > peakPower) {
        peakPower = power;
        peakPowerRpm = static_cast<float>(rpm);
    }
    outputTorque = torque;
}

float CEngine::getFuelFlow() const { return running ? throttle * fuelRate * speed : 0.0f; }

void CEngine::setDefaultThrottleCurve()
{
    throttleCurve.addValue(0.0f, 0.0f);
    throttleCurve.addValue(0.5f, 0.5f);
    throttleCurve.addValue(1.0f, 1.0f);
}

void CEngine::buildCoastCurve(float refRpm, float percent)
{
    const float k = powerCurve.getValue(refRpm) * percent * 0.01f;
    // The abscissa is a running single-precision sum, like the exported curves.
    for (float x = 0.0f; x <= 15000.0f; x += 500.0f)
        coastCurve.addValue(x, x <= 1000.0f ? 5.0f : -(x / refRpm) * k);
}
