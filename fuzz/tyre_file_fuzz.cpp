// Loads arbitrary bytes as a tyre file, then runs computeForces over a few
// inputs. Never crashes, and never gives a NaN or infinite output from the
// sane, finite inputs it runs: the loader takes no record the force law
// cannot use, and a refused record leaves the car's values.
//
// The first 68 bytes are the tyre file's record (a shorter input is a short
// file, which keeps the defaults); the bytes after them, if any, choose the
// inputs of extra evaluations. Random bytes are rarely a record the loader
// takes, so every input also runs made-up records: the bytes' record with
// one of its fields set to zero, a negative, a huge, a tiny or a NaN value,
// and a record with every field forced into its bounds from its bits.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "chassis/tyre.h"
#include "fuzz_scratch.h"

namespace {

std::optional<FuzzScratch> g_scratch;

// The record with field `index` (0...9, in file order) set to `value`.
std::string withField(const uint8_t* record, int index, float value)
{
    std::string bytes(reinterpret_cast<const char*>(record), CTyre::kFileSize);
    std::memcpy(&bytes[CTyre::kFileFields[index].offset], &value, 4);
    return bytes;
}

// Sane inputs: loads 0 ... 1e7 N, slip angles within +-180 degrees, slip
// ratios within +-100, camber within +-90 degrees, speeds within +-1e4.
struct Inputs {
    float alpha, kappa, gamma, load;
    bool contact;
    float blend, friction, vLong, vLat, gripT, gripW, surfaceSpeed, omega;
};

const Inputs kFixed[] = {
    {0, 0, 0, 0, true, 1, 1, 0, 0, 1, 1, 0, 0},
    {5, 0.05f, 1, 4000, true, 1, 1, 20, 1, 1, 1, 21, 60},
    {-8, -0.2f, -3, 2450, true, 0.6f, 0.8f, 15, -2, 0.9f, 0.95f, 12, 40},
    {90, 1, 10, 18000, true, 1, 1, 30, 30, 1, 1, 0, 0},
    {-90, -1, -10, 1e-3f, true, 0.2f, 1, -3, 0.5f, 1, 1, 0, 0.05f},
    {135, 0, 2, 1e7f, false, 1, 1, 5, 5, 1, 1, 5, 10},
    {0.001f, 1e-6f, 0.01f, 1e-40f, true, 1, 1, 1e-3f, 0, 1, 1, 1e-3f, 1},
    {3, 0, 5, 1.4e-45f, true, 1, 1, 0, 0, 1, 1, 0, 50},
};

float fromBytes(const uint8_t* p, float lo, float hi)
{
    uint16_t raw;
    std::memcpy(&raw, p, 2);
    return lo + (hi - lo) * (static_cast<float>(raw) / 65535.0f);
}

void evaluate(const CTyre& tyre, const Inputs& in)
{
    CTyre t = tyre;
    t.setInputs(in.alpha, in.kappa, in.gamma, in.load, in.contact, in.blend, in.friction, in.vLong, in.vLat,
                in.gripT, in.gripW, in.surfaceSpeed, 0.0f, in.omega, false);
    t.computeForces();
    if (!(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) && std::isfinite(t.alignMoment) &&
          std::isfinite(t.slipSpeed))) {
        std::fprintf(stderr,
                     "non-finite output: fx %g fy %g mz %g slip %g for alpha %g kappa %g gamma %g load %g omega %g\n",
                     t.forceLong, t.forceLat, t.alignMoment, t.slipSpeed, in.alpha, in.kappa, in.gamma, in.load,
                     in.omega);
        std::abort();
    }
}

// Loads the bytes as a tyre file and runs the inputs through the force law.
void loadAndRun(const std::string& name, const std::string& bytes, const std::vector<Inputs>& inputs)
{
    const std::string path = g_scratch->write(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    CTyre tyre;
    const bool loaded = tyre.loadFile(path);
    if (loaded != (bytes.size() >= CTyre::kFileSize && CTyre::checkFile(path).empty())) std::abort();
    if (!loaded && tyre.RB != CTyre().RB) std::abort();  // a refused record changes nothing
    for (const Inputs& in : inputs) evaluate(tyre, in);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("tyre");
    // The loader's notices would flood the fuzzer's output.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<Inputs> inputs(std::begin(kFixed), std::end(kFixed));
    // Inputs from the bytes after the record: 26 bytes an evaluation.
    for (size_t at = CTyre::kFileSize; at + 26 <= size && at < CTyre::kFileSize + 26 * 8; at += 26) {
        const uint8_t* p = data + at;
        Inputs in;
        in.alpha = fromBytes(p, -180, 180);
        in.kappa = fromBytes(p + 2, -100, 100);
        in.gamma = fromBytes(p + 4, -90, 90);
        in.load = (p[24] & 1) ? fromBytes(p + 6, 0, 1e7f) : fromBytes(p + 6, 0, 50);
        in.contact = (p[24] & 2) != 0;
        in.blend = fromBytes(p + 8, 0, 1);
        in.friction = fromBytes(p + 10, 0, 2);
        in.vLong = fromBytes(p + 12, -1e4f, 1e4f);
        in.vLat = (p[24] & 4) ? fromBytes(p + 14, -1e4f, 1e4f) : 0.0f;
        in.gripT = fromBytes(p + 16, 0, 1.5f);
        in.gripW = fromBytes(p + 18, 0, 1.5f);
        in.surfaceSpeed = fromBytes(p + 20, -1e4f, 1e4f);
        in.omega = (p[24] & 8) ? fromBytes(p + 22, -0.2f, 0.2f) : fromBytes(p + 22, -500, 500);
        if (p[25] & 1) in.alpha = 90.0f;
        if (p[25] & 2) in.kappa = 0.0f;
        if (p[25] & 4) in.gamma = 0.0f;
        inputs.push_back(in);
    }

    loadAndRun("input.vqt", std::string(reinterpret_cast<const char*>(data), size), inputs);
    if (size < CTyre::kFileSize) return 0;

    // One field of the record at a time set to a value no tyre has; the
    // byte after the record (or the first) picks the field.
    static const float kBadValues[] = {0.0f, -1.0f, -1e30f, 1e30f, 1e-30f, std::nanf(""), INFINITY};
    const int field = (size > CTyre::kFileSize ? data[CTyre::kFileSize] : data[0]) % 10;
    for (float value : kBadValues) loadAndRun("field.vqt", withField(data, field, value), inputs);

    // Every field forced into its bounds: a record the loader must take.
    std::string forced(reinterpret_cast<const char*>(data), CTyre::kFileSize);
    for (const CTyre::FileField& f : CTyre::kFileFields) {
        float v;
        std::memcpy(&v, &forced[f.offset], 4);
        if (std::isfinite(v) && v >= f.lowest && v <= f.highest) continue;
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        v = f.lowest + (f.highest - f.lowest) * (static_cast<float>(bits & 0xFFFFFF) / 16777216.0f);
        std::memcpy(&forced[f.offset], &v, 4);
    }
    loadAndRun("forced.vqt", forced, inputs);
    if (!CTyre::checkFile(g_scratch->path("forced.vqt")).empty()) std::abort();
    return 0;
}
