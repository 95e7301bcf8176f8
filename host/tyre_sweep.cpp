#include "host/tyre_sweep.h"

#include <cmath>
#include <filesystem>

#include "car/solvi_tyres.h"

namespace fs = std::filesystem;

const char* const kTyreCsvHeader = "slip_angle_deg,slip_ratio,load_n,camber_deg,fx_n,fy_n,mz_nm";

const char* describeParameterSet(TyreParameterSet set)
{
    switch (set) {
    case TyreParameterSet::CarFront: return "the car's front tyre values (the car's loadTyres), then the file";
    case TyreParameterSet::CarRear: return "the car's rear tyre values (the car's loadTyres), then the file";
    case TyreParameterSet::Raw: break;
    }
    return "raw: the tyre model's defaults, then the file";
}

TyreParameterSet carTyreFor(const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    if (name == fs::path(kSolviFrontTyreFile).filename().string()) return TyreParameterSet::CarFront;
    if (name == fs::path(kSolviRearTyreFile).filename().string()) return TyreParameterSet::CarRear;
    return TyreParameterSet::Raw;
}

bool prepareTyre(const std::string& path, bool raw, CTyre& tyre, TyreParameterSet& set, std::string& error)
{
    tyre = CTyre();
    set = raw ? TyreParameterSet::Raw : carTyreFor(path);
    if (set != TyreParameterSet::Raw) setSolviTyreParameters(tyre, set == TyreParameterSet::CarFront);

    // Check first, so that the caller gets the reason and the tyre's own
    // diagnostic is not the only word on it.
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "cannot read the tyre file " + path + ": " + (fs::exists(path, ec) ? "not a file" : "no such file");
        return false;
    }
    const auto size = fs::file_size(path, ec);
    if (ec || size < CTyre::kFileSize) {
        error = "the tyre file " + path + " holds " + std::to_string(ec ? 0 : size) + " bytes, a tyre file holds " +
                std::to_string(CTyre::kFileSize);
        return false;
    }
    error = CTyre::checkFile(path);
    if (!error.empty() || !tyre.loadFile(path)) {
        if (error.empty()) error = "cannot read the tyre file " + path;
        return false;
    }
    return true;
}

TyreSample sampleTyre(const CTyre& tyre, float slipAngleDeg, float slipRatio, const TyreConditions& conditions)
{
    CTyre t = tyre;
    t.setInputs(slipAngleDeg, slipRatio, conditions.camber, conditions.load, /*inContact*/ true,
                /*surfaceBlend*/ 1.0f, /*surfaceFriction*/ 1.0f, /*vLong*/ 0.0f, /*vLat*/ 0.0f,
                /*gripTemperature*/ 1.0f, /*gripWear*/ 1.0f, /*surfaceSpeed*/ 0.0f, /*carSpeed*/ 0.0f,
                conditions.wheelSpeed, /*braking*/ false);
    t.computeForces();
    return {slipAngleDeg, slipRatio, conditions.load, conditions.camber, t.forceLong, t.forceLat, t.alignMoment};
}

namespace {
std::vector<float> lateralAngles()
{
    // Both sides, so the curve is seen passing through the origin; fine steps
    // where the force builds up and peaks.
    std::vector<float> angles;
    for (int deg = -90; deg <= -21; ++deg) angles.push_back(static_cast<float>(deg));
    for (int i = -200; i <= 200; ++i) angles.push_back(static_cast<float>(i) * 0.1f);
    for (int deg = 21; deg <= 90; ++deg) angles.push_back(static_cast<float>(deg));
    return angles;
}

std::vector<float> gridAngles()
{
    std::vector<float> angles;
    for (int deg = 0; deg <= 20; ++deg) angles.push_back(static_cast<float>(deg));
    for (int deg = 25; deg <= 90; deg += 5) angles.push_back(static_cast<float>(deg));
    return angles;
}

std::vector<float> ratios(int halfCount)
{
    std::vector<float> values;
    for (int i = -halfCount; i <= halfCount; ++i) values.push_back(static_cast<float>(i) / halfCount);
    return values;
}
}  // namespace

std::vector<TyreSample> sweepSlipAngle(const CTyre& tyre, const TyreConditions& conditions)
{
    std::vector<TyreSample> samples;
    for (float angle : lateralAngles()) samples.push_back(sampleTyre(tyre, angle, 0.0f, conditions));
    return samples;
}

std::vector<TyreSample> sweepSlipRatio(const CTyre& tyre, const TyreConditions& conditions)
{
    std::vector<TyreSample> samples;
    for (float ratio : ratios(200)) samples.push_back(sampleTyre(tyre, 0.0f, ratio, conditions));
    return samples;
}

std::vector<TyreSample> combinedGrid(const CTyre& tyre, const TyreConditions& conditions)
{
    std::vector<TyreSample> samples;
    for (float angle : gridAngles())
        for (float ratio : ratios(20)) samples.push_back(sampleTyre(tyre, angle, ratio, conditions));
    return samples;
}

std::size_t combinedGridSize() { return gridAngles().size() * ratios(20).size(); }

TyrePeak lateralPeak(const std::vector<TyreSample>& samples)
{
    TyrePeak peak;
    for (const TyreSample& s : samples)
        if (s.slipAngle >= 0 && std::fabs(s.fy) > std::fabs(peak.force)) peak = {s.slipAngle, s.fy};
    return peak;
}

TyrePeak longitudinalPeak(const std::vector<TyreSample>& samples, bool braking)
{
    TyrePeak peak;
    for (const TyreSample& s : samples) {
        const bool side = braking ? s.slipRatio < 0.0f : s.slipRatio > 0.0f;
        if (side && std::fabs(s.fx) > std::fabs(peak.force)) peak = {s.slipRatio, s.fx};
    }
    return peak;
}

void writeTyreCsvRows(std::FILE* out, const std::vector<TyreSample>& samples)
{
    for (const TyreSample& s : samples)
        std::fprintf(out, "%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g\n", s.slipAngle, s.slipRatio, s.load, s.camber, s.fx,
                     s.fy, s.mz);
}

bool writeTyreCsv(const std::string& path, const std::vector<TyreSample>& samples)
{
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return false;
    std::fprintf(out, "%s\n", kTyreCsvHeader);
    writeTyreCsvRows(out, samples);
    const bool ok = !std::ferror(out);
    return std::fclose(out) == 0 && ok;
}
