// Drawing off screen: building the text atlas, and one 1280 x 720 frame of
// the bundled car body (about 4,600 triangles, textured, lit) drawn by the
// engine through the OpenGL device on EGL, read back as RGB rows the way
// frames for pictures and videos are. The frame benchmark reports frames per
// second; on Mesa's llvmpipe the pixels are the cost, not the calls.

#include <benchmark/benchmark.h>

#include <string>

#include "graphics/font.h"
#include "graphics/recording_device.h"
#include "host/inspect_model.h"
#include "host/model_picture.h"

namespace {

void BM_TextAtlas(benchmark::State& state) {
    const int pointSize = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RecordingDevice device;
        RFont font("Arial Black", pointSize, 0);
        benchmark::DoNotOptimize(font.initDeviceObjects(&device));
        state.counters["atlas_side"] = font.texWidth;
    }
}
BENCHMARK(BM_TextAtlas)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_ModelFrame(benchmark::State& state) {
    ModelPicture picture(ModelPictureOptions{});
    std::string error;
    if (!picture.load(std::string(SOLVI_DATA_DIR) + "/cars/solvi/solvi.ase", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        picture.draw();
        benchmark::DoNotOptimize(picture.pixels().data());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ModelFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
