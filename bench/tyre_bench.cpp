// Cost of one CTyre::computeForces: every wheel runs it once a physics step,
// four wheels at 333 steps per simulated second or more. The car's front
// tyre at a cornering-and-driving slip with camber (both slip evaluations,
// the camber term and the aligning moment), and at a low wheel speed (the
// extra 90-degree evaluation).

#include <benchmark/benchmark.h>

#include "car/solvi_tyres.h"
#include "chassis/tyre.h"

namespace {

CTyre carFrontTyre()
{
    CTyre tyre;
    setSolviTyreParameters(tyre, true);
    tyre.STIFFG = 2000.0f;
    tyre.OPTIMALLOAD = 2450.0f;
    return tyre;
}

void BM_TyreComputeForces(benchmark::State& state)
{
    CTyre tyre = carFrontTyre();
    float alpha = 0.5f;
    for (auto _ : state) {
        tyre.setInputs(alpha, 0.04f, -1.2f, 4200.0f, true, 1.0f, 1.0f, 30.0f, 1.2f, 0.98f, 0.97f, 31.2f, 30.0f,
                       92.0f, false);
        tyre.computeForces();
        benchmark::DoNotOptimize(tyre.forceLat);
        benchmark::DoNotOptimize(tyre.alignMoment);
        alpha += 0.37f;
        if (alpha > 12.0f) alpha = -12.0f;
    }
}
BENCHMARK(BM_TyreComputeForces);

void BM_TyreComputeForcesLowWheelSpeed(benchmark::State& state)
{
    CTyre tyre = carFrontTyre();
    for (auto _ : state) {
        tyre.setInputs(3.0f, -1.0f, 0.0f, 4200.0f, true, 1.0f, 1.0f, 0.4f, 0.1f, 1.0f, 1.0f, 0.0f, 0.4f, 0.0f, true);
        tyre.computeForces();
        benchmark::DoNotOptimize(tyre.forceLong);
    }
}
BENCHMARK(BM_TyreComputeForcesLowWheelSpeed);

}  // namespace
