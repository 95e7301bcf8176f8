#include "services/setup_store.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Reads little-endian 32-bit fields one after another, whatever the host's
// byte order. The caller has already checked the buffer is long enough.
class LittleEndianReader {
public:
    explicit LittleEndianReader(const unsigned char* bytes) : at(bytes) {}

    uint32_t bits()
    {
        const uint32_t value = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
        at += 4;
        return value;
    }
    int32_t i32() { return static_cast<int32_t>(bits()); }
    float f32()
    {
        const uint32_t raw = bits();
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    template <std::size_t N> void fill(std::array<float, N>& out)
    {
        for (float& v : out) v = f32();
    }
    template <std::size_t N> void fill(std::array<int32_t, N>& out)
    {
        for (int32_t& v : out) v = i32();
    }

private:
    const unsigned char* at;
};

}  // namespace

float dampingForSetting(int setting)
{
    static constexpr float kTable[5] = {1500.0f, 3000.0f, 5500.0f, 7300.0f, 8500.0f};
    if (setting < 1) setting = 1;
    if (setting > 5) setting = 5;
    return kTable[setting - 1];
}

CSetupStore::CSetupStore() : version(kCurrentVersion), name("default") { resetDefaults(); }

void CSetupStore::resetDefaults()
{
    springRates = {47000.0f, 47000.0f, 42000.0f, 42000.0f};
    extensionSettings = {4, 4, 3, 3};
    compressionSettings = {3, 3, 2, 2};
    antiRollFront = 16000.0f;
    antiRollRear = 8000.0f;
    gearRatios = {-3.0f, 3.75f, 2.32f, 1.51f, 1.13f, 1.02f, 0.0f, 0.0f};
    gearCount = 6;
    flagA = 1;
    extraValues = {18.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    valueA = 100;
    valueB = 60;
    steeringRatio = 12;
    padFriction = {0.35f, 0.35f, 0.35f, 0.35f};
    valueC = 0;
    brakeBiasPercent = 75.0f;
    discDiameters = {0.25f, 0.25f, 0.25f, 0.25f};
    finalDrive = 2.95f;
    shiftSpeed = 0;
}

void CSetupStore::load()
{
    if (name == "default") {
        resetDefaults();
        return;
    }
    const std::string path = "setups/" + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::printf("CSetupStore::load : cannot open setup %s, keeping defaults\n", path.c_str());
        resetDefaults();
        return;
    }
    // Read everything a record can need before looking at any of it, so that
    // a short file is refused whole instead of leaving a half-read record.
    unsigned char bytes[kCurrentLayoutBytes];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);

    const bool current = got >= 4 && LittleEndianReader(bytes).i32() == kCurrentVersion;
    const std::size_t needed = current ? kCurrentLayoutBytes : kOlderLayoutBytes;
    if (got < needed) {
        std::printf("CSetupStore::load : setup %s holds %d bytes, its layout needs %d, keeping defaults\n",
                    path.c_str(), static_cast<int>(got), static_cast<int>(needed));
        resetDefaults();
        return;
    }
    // The record is read into a copy and taken only when the car can use it.
    CSetupStore r = *this;
    r.read(bytes, current);
    const std::string problem = r.checkValues();
    if (!problem.empty()) {
        std::printf("CSetupStore::load : setup %s: %s, keeping defaults\n", path.c_str(), problem.c_str());
        resetDefaults();
        return;
    }
    *this = r;
}

void CSetupStore::read(const unsigned char* bytes, bool current)
{
    LittleEndianReader in(bytes);
    // The older layout has no marker: its first field is the brake bias.
    if (current) version = in.i32();
    brakeBiasPercent = in.f32();
    in.fill(discDiameters);
    in.fill(extensionSettings);
    in.fill(compressionSettings);
    valueC = in.i32();
    gearCount = in.i32();
    in.fill(gearRatios);
    in.fill(padFriction);
    valueA = in.i32();
    valueB = in.i32();
    steeringRatio = in.i32();
    in.fill(springRates);
    antiRollFront = in.f32();
    antiRollRear = in.f32();
    in.fill(extraValues);
    flagA = in.i32();
    finalDrive = in.f32();
    // Only the current layout carries the shift speed; the older one leaves it.
    if (current) shiftSpeed = in.i32();
}

std::string CSetupStore::checkValues() const
{
    // Finite everywhere; no negative spring, bar or pad; positive where the
    // car divides by the value (disc size, forward ratios, steering ratio).
    constexpr float kLargest = 1e7f;
    char text[128];
    auto bad = [&](const char* field, int index, double v, const char* rule) {
        std::snprintf(text, sizeof text, "%s[%d] is %g; it must be %s", field, index, v, rule);
        return std::string(text);
    };
    auto check = [&](const char* field, const float* values, int count, float lowest, bool above,
                     const char* rule) -> std::string {
        for (int i = 0; i < count; ++i) {
            const float v = values[i];
            if (!std::isfinite(v) || v > kLargest || v < lowest || (above && v == lowest))
                return bad(field, i, v, rule);
        }
        return "";
    };
    const std::string problems[] = {
        check("springRates", springRates.data(), 4, 0.0f, false, "0 or more"),
        check("antiRollFront", &antiRollFront, 1, 0.0f, false, "0 or more"),
        check("antiRollRear", &antiRollRear, 1, 0.0f, false, "0 or more"),
        check("gearRatios", gearRatios.data(), 1, -kLargest, false, "a finite number"),
        check("gearRatios", gearRatios.data() + 1, 5, 0.0f, true, "positive"),
        check("gearRatios", gearRatios.data() + 6, 2, -kLargest, false, "a finite number"),
        check("extraValues", extraValues.data(), 8, -kLargest, false, "a finite number"),
        check("padFriction", padFriction.data(), 4, 0.0f, false, "0 or more"),
        check("discDiameters", discDiameters.data(), 4, 0.0f, true, "positive"),
        check("finalDrive", &finalDrive, 1, 0.0f, true, "positive"),
        brakeBiasPercent >= 0.0f && brakeBiasPercent <= 100.0f ? ""
                                                               : bad("brakeBiasPercent", 0, brakeBiasPercent,
                                                                     "between 0 and 100"),
        steeringRatio > 0 ? "" : bad("steeringRatio", 0, steeringRatio, "positive"),
    };
    for (const std::string& p : problems)
        if (!p.empty()) return p;
    return "";
}
