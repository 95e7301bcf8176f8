// Loads arbitrary bytes as a curve file, samples the result, and checks that
// saving and loading it again gives the same number of points.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "chassis/curve.h"
#include "fuzz_scratch.h"

namespace {

std::optional<FuzzScratch> g_scratch;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("curve");
    // The loader's clamp notice would flood the fuzzer's output.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = g_scratch->write("input.vqcv", data, size);
    const std::string copyPath = g_scratch->path("copy.vqcv");

    CCurve curve;
    curve.load(input);
    // No more points than "[VALUEi]" sections could fit in the input.
    if (curve.size() > size / 8 || curve.X.size() != curve.Y.size()) std::abort();

    for (std::size_t i = 0; i < curve.size(); ++i) {
        (void)curve.getValue(curve.X[i]);
        if (i > 0) (void)curve.getValue(0.5f * (curve.X[i - 1] + curve.X[i]));
    }
    (void)curve.getValue(-1e30f);
    (void)curve.getValue(1e30f);

    curve.save(copyPath);
    CCurve copy;
    copy.load(copyPath);
    if (copy.size() != curve.size()) std::abort();
    return 0;
}
