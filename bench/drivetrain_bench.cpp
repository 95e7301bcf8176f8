// Cost of one drivetrain step on the car's power path (engine, clutch,
// gearbox, final drive, limited-slip differential, two driven wheels), run
// once per physics frame. Measured locked in first gear, where every torque
// walks the whole tree, and in neutral, where the gearbox cuts it short.

#include <benchmark/benchmark.h>

#include "powertrain/clutch.h"
#include "powertrain/drivetrain.h"
#include "powertrain/drivetrain_topology.h"
#include "powertrain/engine.h"
#include "powertrain/gearbox.h"
#include "powertrain/limited_slip_differential.h"

namespace {

struct CarPowerPath {
    CarPowerPath()
    {
        engine.inertia = 0.25f;
        clutch.inertia = finalDrive.inertia = 0.001f;
        gearbox.inertia = differential.inertia = 0.02f;
        wheelA.inertia = wheelB.inertia = 2.0f;
        // The car's full-size curves: the lookups are part of the cost.
        const float power[] = {0.37f, 125.185f, 250, 437.5f, 625, 650, 655, 690, 750, 720, 690, 670, 650,
                               550,   508,      400.321f, 292.643f, 184.964f, 77.285f, 17.66f, 12.66f,
                               7.66f, 2.66f};
        for (int i = 0; i <= 30; ++i) engine.powerCurve.addValue(500.0f * i, i < 23 ? power[i] : 0.0f);
        engine.buildCoastCurve(7000.0f, 40.0f);
        engine.setDefaultThrottleCurve();
        engine.limiterRpm = 7000.0f;
        engine.resetThrottle(0.6f);
        clutch.pressure = 1900.0f;
        clutch.engageRate = 20.0f;
        clutch.engagementTarget = clutch.engagement = 1.0f;
        gearbox.addGear(-3.0f, 1.0f, "R");
        gearbox.addGear(0.0f, 0.0f, "N");
        for (float r : {2.88f, 1.77f, 1.27f, 1.0f, 0.83f, 0.71f}) gearbox.addGear(r, 1.0f, "");
        gearbox.selectNextGear();
        finalDrive.setRatio(3.36f, 1.0f);
        differential.torqueGain = 0.2f;
        differential.lockSetting = 2;
        parts = {&engine, &clutch, &gearbox, &finalDrive, &differential, &wheelA, &wheelB};
        connectPowerPath(drivetrain, parts);
    }
    CDrivetrain drivetrain;
    CEngine engine{&drivetrain};
    CClutch clutch{&drivetrain};
    CGearbox gearbox{&drivetrain};
    CRatioNode finalDrive{&drivetrain};
    CLimitedSlipDifferential differential{&drivetrain};
    CGearNode wheelA{&drivetrain}, wheelB{&drivetrain};
    DrivetrainParts parts;
};

constexpr float kDt = 0.003f;

void BM_DrivetrainStepLockedInFirst(benchmark::State& state)
{
    CarPowerPath car;
    car.gearbox.selectNextGear();
    car.engine.speed = 300.0f;  // about 2900 rpm
    car.wheelA.speed = car.wheelB.speed = car.differential.speed = 300.0f / (2.88f * 3.36f);
    // Road torques that hold the car near a steady speed, unequal so the
    // split and the coupling both do work.
    for (auto _ : state) {
        const DrivenWheelFeedback out = runPowerPathStep(car.drivetrain, car.parts, kDt, 2400.0f, 2200.0f);
        benchmark::DoNotOptimize(out);
        // Keep the engine in its band so the state does not drift away.
        if (car.engine.speed > 500.0f || car.engine.speed < 150.0f) {
            car.engine.speed = 300.0f;
            car.wheelA.speed = car.wheelB.speed = car.differential.speed = 300.0f / (2.88f * 3.36f);
        }
    }
    state.counters["locked"] = car.clutch.state == 2 ? 1 : 0;
}
BENCHMARK(BM_DrivetrainStepLockedInFirst);

void BM_DrivetrainStepNeutral(benchmark::State& state)
{
    CarPowerPath car;
    car.engine.resetThrottle(0.0f);
    car.engine.speed = 200.0f;
    for (auto _ : state) {
        const DrivenWheelFeedback out = runPowerPathStep(car.drivetrain, car.parts, kDt, 0.0f, 0.0f);
        benchmark::DoNotOptimize(out);
        if (car.engine.speed < 120.0f || car.engine.speed > 400.0f) car.engine.speed = 200.0f;
    }
}
BENCHMARK(BM_DrivetrainStepNeutral);

}  // namespace
