// Cost of one lookup on a curve the size of the exported engine curves
// (31 points, 0...15000 rpm): the wheels and the engine sample several such
// curves every physics step, and the walk is linear from the first point.

#include <benchmark/benchmark.h>

#include "chassis/curve.h"

namespace {

CCurve engineSizedCurve()
{
    CCurve curve;
    for (int i = 0; i <= 30; ++i) {
        const float rpm = 500.0f * i;
        curve.addValue(rpm, rpm < 4000.0f ? 0.2f * rpm : 800.0f - 0.05f * rpm);
    }
    return curve;
}

// Queries swept across the whole range, so early and late segments both count.
void BM_CurveGetValueSweep(benchmark::State& state)
{
    const CCurve curve = engineSizedCurve();
    float rpm = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(curve.getValue(rpm));
        rpm += 37.0f;
        if (rpm > 15500.0f) rpm = -200.0f;
    }
}
BENCHMARK(BM_CurveGetValueSweep);

// A fixed query in the last segment: the longest walk.
void BM_CurveGetValueHighEnd(benchmark::State& state)
{
    const CCurve curve = engineSizedCurve();
    float rpm = 14800.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rpm);
        benchmark::DoNotOptimize(curve.getValue(rpm));
    }
}
BENCHMARK(BM_CurveGetValueHighEnd);

}  // namespace
