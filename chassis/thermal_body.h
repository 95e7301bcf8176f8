#pragma once
// A lumped heat store: one temperature, pulled towards a cooling target and
// towards each pending heat input, integrated once per step. No conduction
// between layers or parts; the tyre uses it for its tread temperature.

#include <vector>

class CThermalBody {
public:
    CThermalBody() = default;
    virtual ~CThermalBody() = default;

    // Queues a heat input for the next stepHeat. The input acts as a
    // temperature (°C) the body is drawn towards with weight 0.5.
    void addHeat(float value);
    // dt in seconds, ambient in °C, speed in m/s (raises the cooling target).
    // Applies the cooling pull and every pending input, then empties the queue.
    void stepHeat(float dt, float ambient, float speed);

    float heatMass = 2.0f;            // with specificHeat, divides the heat rate
    float temperature = 0.0f;         // °C; owners set their start value
    float specificHeat = 1.0f;
    float coolingSpeedCoeff = 0.001f; // per m/s, scales the cooling target
    std::vector<float> pendingHeat;   // inputs queued since the last stepHeat
};
