#include "chassis/thermal_body.h"

void CThermalBody::addHeat(float value) { pendingHeat.push_back(value); }

void CThermalBody::stepHeat(float dt, float ambient, float speed)
{
    const float t = temperature;
    float h = 0.0f;
    if (t != ambient) {
        // The target lies beyond ambient on the far side: at speed 0 a hot
        // body is drawn towards 0 °C and a cold one towards twice ambient,
        // and speed pushes both targets further out, so it cools faster.
        const float a = (1.0f + speed * coolingSpeedCoeff) * ambient;
        if (t > ambient)
            h = 0.9f * ((ambient - a) - t);
        else
            h = 0.9f * ((a + ambient) - t);
    }
    for (float p : pendingHeat) h += (p - t) * 0.5f;
    temperature = t + h / (specificHeat * heatMass) * dt;
    pendingHeat.clear();
}
