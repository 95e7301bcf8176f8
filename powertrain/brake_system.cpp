#include "powertrain/brake_system.h"

#include <cmath>

#include "car/car.h"
#include "chassis/wheel.h"

CBrakeSystem::~CBrakeSystem() = default;

void CBrakeSystem::addWheel(CWheel* wheel)
{
    wheels.push_back(wheel);
    units.push_back(std::make_unique<CBrakeUnit>());
}

void CBrakeSystem::setFrontBias(float v)
{
    if (v < 0.0f) v = 0.0f;
    if (v > 1.0f) v = 1.0f;
    frontBias = v;
}

void CBrakeSystem::step(float dt)
{
    for (std::size_t i = 0; i < wheels.size(); ++i) {
        CWheel* wheel = wheels[i];
        CBrakeUnit& unit = *units[i];

        const float share = isFrontWheel(i) ? frontBias : 1.0f - frontBias;
        unit.demand = share * input;
        unit.wheelSpeed = wheel->angularSpeed;
        unit.carSpeed = wheel->car ? wheel->car->speed : wheel->referenceSpeed;
        unit.step(dt);

        // A slow wheel is gripped harder so that the brake can bring it to
        // rest and hold it: half again at a standing wheel, falling linearly
        // to nothing extra at 10 rad/s.
        const float w = std::fabs(unit.wheelSpeed);
        const float boost = w < 10.0f ? (1.0f - 0.1f * w) * 0.5f : 0.0f;
        wheel->brakeTorque = unit.torque * (1.0f + boost);
    }
}
