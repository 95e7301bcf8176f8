#include "powertrain/brake_unit.h"

#include <cmath>

CBrakeUnit::CBrakeUnit()
{
    // Pads bite best at a working temperature and fade away when the disc
    // glows; a cold disc still brakes at four fifths.
    frictionCurve.addValue(0.0f, 0.8f);
    frictionCurve.addValue(200.0f, 0.9f);
    frictionCurve.addValue(400.0f, 1.0f);
    frictionCurve.addValue(600.0f, 0.9f);
    frictionCurve.addValue(1000.0f, 0.0f);
}

void CBrakeUnit::step(float dt)
{
    const float mu = frictionCurve.getValue(temperature);
    const float force = clampForce * padFriction * demand * mu;  // N at the pads
    const float capacity = heatFactor * heatCapacity;

    // A locked or crawling wheel does no rubbing work on the disc.
    float heat = std::fabs(wheelSpeed) > 3.0f ? force / capacity : 0.0f;

    // The cooling target sits on the far side of the ambient temperature and
    // moves further out with speed, so a hot disc cools faster the faster the
    // car goes, and the temperature settles at ambient when nothing brakes.
    if (temperature != ambient) {
        const float offset = (speedCooling * carSpeed + 1.0f) * ambient;
        const float target = temperature < ambient ? ambient + offset : ambient - offset;
        heat += (target - temperature) * coolingRate / capacity;
    }

    temperature += heat * dt;
    torque = force * radius;
}
