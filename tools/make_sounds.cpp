// Writes the bundled sounds into a data folder, mono 16-bit at 22050 Hz:
//   cars/solvi/sfx/engine.wav  the engine note, a seamless loop recorded at
//                              the reference rpm of sound.ini
//   cars/solvi/sfx/sound.ini   that reference rpm (CRLF line ends)
//   sfx/hit.wav                an impact: body thud, crack and panel ring
//   sfx/bottom.wav             the underbody scraping the road
//   sfx/road.wav               the host's tyre and road noise, a seamless loop
// Everything is synthesised from fixed seeds, so the files are the same on
// every run. Usage: make_sounds DATA_DIR

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "sound/wav_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 6.283185307179586;

// The engine: a V8 (four firings per crank turn) recorded at 8000 rpm, so
// its firing frequency, the note's fundamental, is 8000 / 60 · 4 = 533.3 Hz.
constexpr int kRpmRef = 8000;
constexpr int kFiringsPerTurn = 4;
// 0.6 s holds exactly 80 crank turns (320 firings), so every component
// below completes whole cycles and the loop has no seam.
constexpr int kEngineSamples = 13230;
constexpr int kCrankCyclesPerLoop = kRpmRef * kEngineSamples / (60 * kRate);  // 80
static_assert(kRpmRef * kEngineSamples % (60 * kRate) == 0, "the loop holds whole crank turns");

class Noise {  // a fixed linear congruential generator, -1..1
public:
    explicit Noise(uint32_t seed) : state(seed) {}
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state;
};

// One-pole low-pass coefficient for a corner frequency.
double onePole(double hz) { return 1.0 - std::exp(-kTwoPi * hz / kRate); }

std::vector<int16_t> toPcm(const std::vector<double>& signal, double peak)
{
    double maxAbs = 1e-12;
    for (double v : signal) maxAbs = std::max(maxAbs, std::fabs(v));
    std::vector<int16_t> pcm(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lround(signal[i] / maxAbs * peak * 32767.0));
    return pcm;
}

// Phase of a component with a whole number of cycles per loop, computed
// from integers so that the last sample joins the first exactly.
double loopPhase(long n, long cyclesPerLoop, long loopSamples)
{
    return kTwoPi * static_cast<double>(n * cyclesPerLoop % loopSamples) / static_cast<double>(loopSamples);
}

std::vector<int16_t> engineNote()
{
    // Firing-frequency harmonics over a clearly dominant fundamental (the
    // exhaust pulses), weaker crank orders between them (cylinder-to-
    // cylinder differences, the uneven note of a real engine), and a little
    // exhaust rasp gated by the firing pulses.
    struct Partial {
        int crankOrder;  // multiple of the crank frequency (firing = 4)
        double amplitude;
        double phase;
    };
    const Partial partials[] = {
        {4, 1.00, 0.0},  {8, 0.42, 1.1},  {12, 0.30, 2.3}, {16, 0.17, 0.4},  {20, 0.11, 1.9},
        {24, 0.07, 2.8}, {28, 0.05, 0.9}, {32, 0.035, 2.0}, {1, 0.05, 0.7},  {2, 0.10, 1.6},
        {3, 0.05, 2.5},  {5, 0.05, 0.2},  {6, 0.06, 1.3},   {7, 0.04, 2.2},  {10, 0.04, 0.5},
    };
    Noise noise(0x5017u);
    std::vector<double> signal(kEngineSamples);
    double rasp = 0.0;
    const double raspPole = onePole(3000.0);
    for (long n = 0; n < kEngineSamples; ++n) {
        double v = 0.0;
        for (const Partial& p : partials)
            v += p.amplitude * std::sin(loopPhase(n, kCrankCyclesPerLoop * p.crankOrder, kEngineSamples) + p.phase);
        // The rasp comes in bursts at each firing.
        const double firing = loopPhase(n, kCrankCyclesPerLoop * kFiringsPerTurn, kEngineSamples);
        const double gate = std::pow(0.5 + 0.5 * std::cos(firing), 4.0);
        rasp += raspPole * (noise.next() - rasp);
        v += 0.25 * gate * rasp;
        signal[static_cast<std::size_t>(n)] = v;
    }
    return toPcm(signal, 0.7);
}

std::vector<int16_t> impact()
{
    const int samples = kRate * 45 / 100;
    Noise noise(0x417u);
    std::vector<double> signal(samples);
    double crack = 0.0;
    double thudPhase = 0.0;
    const double crackPole = onePole(2500.0);
    // Inharmonic panel modes give the ring of struck sheet metal.
    const double ring[][2] = {{420.0, 0.30}, {1130.0, 0.22}, {1870.0, 0.15}, {2650.0, 0.10}};
    for (int n = 0; n < samples; ++n) {
        const double t = static_cast<double>(n) / kRate;
        const double thudHz = 55.0 + 60.0 * std::exp(-t / 0.05);  // the body's thump sags in pitch
        thudPhase += kTwoPi * thudHz / kRate;
        double v = 1.0 * std::sin(thudPhase) * std::exp(-t / 0.08);
        crack += crackPole * (noise.next() - crack);
        v += 1.6 * crack * std::exp(-t / 0.012);
        for (const auto& mode : ring) v += mode[1] * std::sin(kTwoPi * mode[0] * t) * std::exp(-t / 0.11);
        signal[static_cast<std::size_t>(n)] = v * std::min(1.0, t / 0.001);
    }
    return toPcm(signal, 0.9);
}

std::vector<int16_t> scrape()
{
    const int samples = kRate * 7 / 10;
    Noise noise(0xB0770u);
    std::vector<double> signal(samples);
    double low = 0.0, band = 0.0, grind = 0.0;
    const double lowPole = onePole(4000.0), bandPole = onePole(700.0), grindPole = onePole(25.0);
    double squeal = 0.0;
    for (int n = 0; n < samples; ++n) {
        const double t = static_cast<double>(n) / kRate;
        // Band-limited noise (4 kHz low-pass minus 700 Hz low-pass) is the
        // grit; a slowly wandering level is the chassis catching and
        // sliding; a wobbling partial is the metal's squeal.
        low += lowPole * (noise.next() - low);
        band += bandPole * (low - band);
        grind += grindPole * (noise.next() - grind);
        squeal += kTwoPi * (2300.0 + 120.0 * std::sin(kTwoPi * 7.0 * t)) / kRate;
        double v = (low - band) * (0.6 + 6.0 * std::fabs(grind)) + 0.05 * std::sin(squeal);
        const double envelope = std::min({1.0, t / 0.02, (0.7 - t) / 0.25});
        signal[static_cast<std::size_t>(n)] = v * std::max(0.0, envelope);
    }
    return toPcm(signal, 0.8);
}

std::vector<int16_t> roadNoise()
{
    // Tyre roar: low-passed noise with a little hiss on top. The filters
    // run over the loop twice and the second pass is kept, so their state
    // at the end flows into the start and the loop has no click.
    const int samples = kRate;
    Noise noise(0x20AD);
    std::vector<double> white(samples);
    for (double& w : white) w = noise.next();
    std::vector<double> signal(samples);
    double roar = 0.0, roar2 = 0.0, hissLow = 0.0, hiss = 0.0;
    const double roarPole = onePole(350.0), hissPole = onePole(2500.0), hissHigh = onePole(900.0);
    for (int pass = 0; pass < 2; ++pass) {
        for (int n = 0; n < samples; ++n) {
            roar += roarPole * (white[static_cast<std::size_t>(n)] - roar);
            roar2 += roarPole * (roar - roar2);
            hissLow += hissPole * (white[static_cast<std::size_t>(n)] - hissLow);
            hiss += hissHigh * (hissLow - hiss);
            signal[static_cast<std::size_t>(n)] = 3.0 * roar2 + 0.35 * (hissLow - hiss);
        }
    }
    return toPcm(signal, 0.7);
}

bool writeText(const fs::path& path, const char* text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const std::size_t length = std::char_traits<char>::length(text);
    const bool ok = std::fwrite(text, 1, length, f) == length;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds DATA_DIR\n");
        return 2;
    }
    const fs::path data = argv[1];
    const fs::path carSfx = data / "cars" / "solvi" / "sfx";
    const fs::path sharedSfx = data / "sfx";
    std::error_code ec;
    fs::create_directories(carSfx, ec);
    fs::create_directories(sharedSfx, ec);

    char description[64];
    std::snprintf(description, sizeof description, "[ENGINE]\r\nRPMREF=%d\r\n", kRpmRef);
    struct Wave {
        fs::path path;
        std::vector<int16_t> samples;
    };
    const Wave waves[] = {
        {carSfx / "engine.wav", engineNote()},
        {sharedSfx / "hit.wav", impact()},
        {sharedSfx / "bottom.wav", scrape()},
        {sharedSfx / "road.wav", roadNoise()},
    };
    bool ok = writeText(carSfx / "sound.ini", description);
    if (!ok) std::fprintf(stderr, "make_sounds: cannot write %s\n", (carSfx / "sound.ini").c_str());
    for (const Wave& wave : waves) {
        if (RWavWriter::writeFile(wave.path.string(), 1, kRate, wave.samples)) continue;
        std::fprintf(stderr, "make_sounds: cannot write %s\n", wave.path.c_str());
        ok = false;
    }
    return ok ? 0 : 1;
}
