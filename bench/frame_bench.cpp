// One headless picture of the car on the bundled circuit at 1280x720, seen by
// the chase camera: the track, the car, its shadow and the heads-up display
// drawn through the off-screen OpenGL device, and the picture read back, as
// a drive with --frames or --video makes it.

#include <memory>

#include <benchmark/benchmark.h>

#include "bench/bench_run.h"
#include "car/physics_world.h"
#include "car/solvi.h"
#include "graphics/gl/headless_gl.h"
#include "graphics/engine.h"
#include "host/scene_renderer.h"
#include "host/sim_host.h"
#include "host/track.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;

struct CarOnCircuit {
    CarOnCircuit() : gl(kWidth, kHeight)
    {
        enterBenchRun("solvi-bench-frame");
        std::string error;
        track.load(SOLVI_DATA_DIR "/tracks/valley/track.txt", error);
        world.create();
        withoutConsole([&] {
            engine = std::make_unique<REngine>();
            engine->deviceFactory = &gl;
            drawing = engine->init(nullptr, nullptr);
            car = std::make_unique<CSolvi>();
            car->init(engine.get(), &world, &track, &host);
            car->reset(track.centreAt(track.finishAt() - 15), track.tangentAt(track.finishAt() - 15));
            if (drawing)
                scene = std::make_unique<SceneRenderer>(*engine, track, host, kWidth, kHeight, CameraView::Chase);
        });
    }
    ~CarOnCircuit()
    {
        scene.reset();
        car.reset();
        engine.reset();
    }

    HeadlessGl gl;
    Track track;
    CPhysicsWorld world;
    SimHost host;
    std::unique_ptr<REngine> engine;
    std::unique_ptr<CSolvi> car;
    std::unique_ptr<SceneRenderer> scene;
    bool drawing = false;
};

void BM_HeadlessFrame(benchmark::State& state)
{
    static CarOnCircuit rig;
    if (!rig.drawing) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (auto _ : state) {
        rig.scene->draw(*rig.car);
        benchmark::DoNotOptimize(rig.gl.readPixels());
    }
    state.counters["frames/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HeadlessFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
