// Loads arbitrary bytes as a curve file, samples the result, and checks that
// saving and loading it again gives the same number of points.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chassis/curve.h"

namespace {

std::string g_dir;
std::string g_input;
std::string g_copy;

void removeScratch()
{
    std::remove(g_input.c_str());
    std::remove(g_copy.c_str());
    rmdir(g_dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/solvi_fuzz_curve_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    g_input = g_dir + "/input.vqcv";
    g_copy = g_dir + "/copy.vqcv";
    std::atexit(removeScratch);
    // The loader's clamp notice would flood the fuzzer's output.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(g_input.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CCurve curve;
    curve.load(g_input);
    // No more points than "[VALUEi]" sections could fit in the input.
    if (curve.size() > size / 8 || curve.X.size() != curve.Y.size()) std::abort();

    for (std::size_t i = 0; i < curve.size(); ++i) {
        (void)curve.getValue(curve.X[i]);
        if (i > 0) (void)curve.getValue(0.5f * (curve.X[i - 1] + curve.X[i]));
    }
    (void)curve.getValue(-1e30f);
    (void)curve.getValue(1e30f);

    curve.save(g_copy);
    CCurve copy;
    copy.load(g_copy);
    if (copy.size() != curve.size()) std::abort();
    return 0;
}
