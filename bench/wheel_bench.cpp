// Cost of one wheel step (slip, tyre forces, spin, heat, wear, dirt): the car
// runs four per physics frame. Cornering on tarmac is the common case; a
// locked wheel takes the tyre's extra low-wheel-speed evaluation.

#include <benchmark/benchmark.h>

#include "chassis/wheel.h"

namespace {

void setUpWheel(CWheel& w)
{
    const float temp[][2] = {{-10, 0.2f}, {15, 0.9f}, {25, 0.95f}, {35, 0.97f}, {50, 0.99f},
                             {70, 1.0f},  {90, 1.0f}, {95, 0.99f}, {100, 0.9f}};
    for (const auto& p : temp) w.temperatureGripCurve.addValue(p[0], p[1]);
    const float wear[][2] = {{0, 0.96f}, {100, 1.0f}, {1000, 0.98f}, {3000, 0.95f}, {6000, 0.82f}};
    for (const auto& p : wear) w.wearGripCurve.addValue(p[0], p[1]);
    const float skid[][2] = {{0, 0}, {4, 0.1f}, {6, 0.3f}, {7, 0.6f}, {10, 1.0f}};
    for (const auto& p : skid) w.skidAngleCurve.addValue(p[0], p[1]);
    w.radius = 0.347f;
    w.partMasses[0] = 11.5f;
    w.partMasses[1] = 13.5f;
    w.partMasses[2] = 7.0f;
    w.inertia = 32.0f * 0.347f * 0.347f * 0.5f;
    w.groundNormal = {0, 1, 0};
    w.load = 3500.0f;
    w.inContact = true;
    w.brakeTorque = 0.0f;
}

// The ground contact refreshes the contact velocity every frame; so does
// this loop, and it puts the spin back so every iteration sees the same slip.
void runSteps(benchmark::State& state, const Vector3& contactVelocity, float omega)
{
    CWheel w;
    setUpWheel(w);
    for (auto _ : state) {
        w.setContactVelocity(contactVelocity);
        w.angularSpeed = omega;
        w.step(0.003f, 26.0f, 30.0f);
        benchmark::DoNotOptimize(w.forceLat);
    }
}

void BM_WheelStepCornering(benchmark::State& state) { runSteps(state, {-1.6f, 0, 30.0f}, 30.0f * 1.02f / 0.347f); }
BENCHMARK(BM_WheelStepCornering);

void BM_WheelStepLocked(benchmark::State& state) { runSteps(state, {0.0f, 0, 30.0f}, 0.0f); }
BENCHMARK(BM_WheelStepLocked);

}  // namespace
