// Loads arbitrary bytes as a tyre file, then runs computeForces over a few
// inputs. Never crashes; and when the file is sane (below), never gives a
// NaN or infinite output from the sane, finite inputs it runs.
//
// The first 68 bytes are the tyre file's record (a shorter input is a short
// file, which keeps the defaults); the bytes after them, if any, choose the
// inputs of extra evaluations. Random bytes are rarely a sane file, so every
// input also runs a sane copy of the tyre: each field that is out of its sane
// range is replaced by a value in range made from its bits. That puts the
// finiteness check to work on a new parameter set for every input.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "chassis/tyre.h"
#include "fuzz_scratch.h"

namespace {

std::optional<FuzzScratch> g_scratch;

bool within(float v, float lo, float hi) { return std::isfinite(v) && v >= lo && v <= hi; }

// A sane tyre: every field finite and within what a real tyre could hold.
// RD > 0 because the longitudinal force is scaled by XPEAK / RD; STIFFX and
// STIFFY > 0 because the shape factor divides by the longitudinal stiffness;
// OPTIMALLOAD below 5e4 N keeps the load scaling of the stiffnesses,
// 1 + (Fz - OPTIMALLOAD) 1e-5, positive for every sane load; E < 1 is the
// Magic Formula's own range.
bool sane(const CTyre& t)
{
    return within(t.RB, 1e-3f, 100.0f) && within(t.RC, 1e-3f, 10.0f) && within(t.RD, 1e-3f, 10.0f) &&
           within(t.RE, -100.0f, 0.999f) && within(t.STIFFX, 1e-2f, 1e3f) && within(t.STIFFY, 1e-2f, 1e3f) &&
           within(t.STIFFG, -1e6f, 1e6f) && within(t.LOADSENS, 0.0f, 1.0f) && within(t.OPTIMALLOAD, 0.0f, 5e4f) &&
           within(t.XPEAK, -100.0f, 100.0f);
}

// A field out of range becomes lo + (hi - lo) * (its low 24 bits / 2^24).
void clampField(float& field, float lo, float hi)
{
    if (within(field, lo, hi)) return;
    uint32_t bits;
    std::memcpy(&bits, &field, 4);
    field = lo + (hi - lo) * (static_cast<float>(bits & 0xFFFFFF) / 16777216.0f);
}

CTyre saneCopy(const CTyre& t)
{
    CTyre c = t;
    clampField(c.RB, 1e-3f, 100.0f);
    clampField(c.RC, 1e-3f, 10.0f);
    clampField(c.RD, 1e-3f, 10.0f);
    clampField(c.RE, -100.0f, 0.999f);
    clampField(c.STIFFX, 1e-2f, 1e3f);
    clampField(c.STIFFY, 1e-2f, 1e3f);
    clampField(c.STIFFG, -1e6f, 1e6f);
    clampField(c.LOADSENS, 0.0f, 1.0f);
    clampField(c.OPTIMALLOAD, 0.0f, 5e4f);
    clampField(c.XPEAK, -100.0f, 100.0f);
    return c;
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

void evaluate(const CTyre& tyre, const Inputs& in, bool mustBeFinite)
{
    CTyre t = tyre;
    t.setInputs(in.alpha, in.kappa, in.gamma, in.load, in.contact, in.blend, in.friction, in.vLong, in.vLat,
                in.gripT, in.gripW, in.surfaceSpeed, 0.0f, in.omega, false);
    t.computeForces();
    if (mustBeFinite && !(std::isfinite(t.forceLong) && std::isfinite(t.forceLat) && std::isfinite(t.alignMoment) &&
                          std::isfinite(t.slipSpeed))) {
        std::fprintf(stderr,
                     "non-finite output: fx %g fy %g mz %g slip %g for alpha %g kappa %g gamma %g load %g omega %g\n",
                     t.forceLong, t.forceLat, t.alignMoment, t.slipSpeed, in.alpha, in.kappa, in.gamma, in.load,
                     in.omega);
        std::abort();
    }
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
    const std::string input = g_scratch->write("input.vqt", data, size);

    CTyre tyre;
    const bool loaded = tyre.loadFile(input);
    if (loaded != (size >= CTyre::kFileSize)) std::abort();
    if (!loaded && tyre.RB != CTyre().RB) std::abort();  // a short file changes nothing
    const bool check = sane(tyre);
    const CTyre clamped = saneCopy(tyre);
    if (!sane(clamped)) std::abort();

    for (const Inputs& in : kFixed) {
        evaluate(tyre, in, check);
        evaluate(clamped, in, true);
    }

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
        evaluate(tyre, in, check);
        evaluate(clamped, in, true);
    }
    return 0;
}
