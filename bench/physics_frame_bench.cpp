// One physics frame of the whole car lapping the bundled circuit with the
// autopilot: the car's own step (controls, sub-steps, frame sync) and the
// world step together, and the car's share alone.

#include <chrono>
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "bench/bench_run.h"
#include "car/physics_world.h"
#include "car/solvi.h"
#include "graphics/engine.h"
#include "host/autopilot.h"
#include "host/car_run.h"
#include "host/controls.h"
#include "host/sim_host.h"
#include "host/track.h"

namespace {

constexpr float kDt = 0.003f;

// The car on the circuit, already rolling: a few seconds of driving happen
// before any timing.
struct LappingCar {
    LappingCar()
    {
        enterBenchRun("solvi-bench-run");
        std::string error;
        track.load(SOLVI_DATA_DIR "/tracks/valley/track.txt", error);
        world.create();
        // The car's set-up lines would disturb the report: they go nowhere.
        withoutConsole([&] {
            car = std::make_unique<CSolvi>();
            car->init(&engine, &world, &track, &host);
            car->reset(track.centreAt(track.finishAt() - 15), track.tangentAt(track.finishAt() - 15));
            pilot = std::make_unique<Autopilot>(track);
            for (int i = 0; i < 3000; ++i) frame();
        });
    }

    void controlsIn()
    {
        pilot->drive(readCarState(*car, time), kDt, controls.inputs);
        car->setControls(&controls);
    }
    void frame()
    {
        controlsIn();
        car->stepPhysics(kDt);
        world.step(kDt);
        car->syncFrames();
        time += kDt;
    }

    PhysicsLibrary physics;
    Track track;
    CPhysicsWorld world;
    REngine engine;
    SimHost host{std::tmpfile()};
    HostControls controls;
    std::unique_ptr<CSolvi> car;
    std::unique_ptr<Autopilot> pilot;
    float time = 0;
};

LappingCar& lappingCar()
{
    static LappingCar rig;
    return rig;
}

void BM_WholePhysicsFrame(benchmark::State& state)
{
    LappingCar& rig = lappingCar();
    for (auto _ : state) rig.frame();
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholePhysicsFrame);

// The car's own work per frame: everything but the world step, timed by hand
// around the car's calls.
void BM_CarStepAlone(benchmark::State& state)
{
    LappingCar& rig = lappingCar();
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        rig.controlsIn();
        rig.car->stepPhysics(kDt);
        const auto t1 = Clock::now();
        rig.world.step(kDt);
        const auto t2 = Clock::now();
        rig.car->syncFrames();
        rig.time += kDt;
        const auto t3 = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>((t1 - t0) + (t3 - t2)).count());
    }
}
BENCHMARK(BM_CarStepAlone)->UseManualTime();

}  // namespace
