#pragma once
// One named car setup (springs, dampers, anti-roll bars, brakes, gear and
// final-drive ratios, steering ratio, shift speed) with its fixed defaults,
// read from a little-endian binary file "setups/<name>" in either of the two
// layouts: the current one (192 bytes, marked 666) and the older one (184).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Damper rate in N·s/m for a damper setting: 1 -> 1500, 2 -> 3000,
// 3 -> 5500, 4 -> 7300, 5 -> 8500. The table has no other entries; a setting
// outside 1...5 is clamped to the nearest end, so a damaged setup file gives a
// damper at one end of its range rather than none at all.
float dampingForSetting(int setting);

class CSetupStore {
public:
    static constexpr int32_t kCurrentVersion = 666;
    static constexpr std::size_t kCurrentLayoutBytes = 192;  // 48 fields
    static constexpr std::size_t kOlderLayoutBytes = 184;    // 46 fields

    // name "default", version 666, then the defaults.
    CSetupStore();
    virtual ~CSetupStore() = default;

    // Every default value (leaves name and version alone).
    void resetDefaults();
    void setName(std::string text) { name = std::move(text); }
    // "default" restores the defaults without reading anything. Any other
    // name reads "setups/<name>" relative to the working directory. A file
    // that is missing or too short for its layout is reported, and the
    // store holds the defaults: no field is ever taken from a partial read.
    void load();
    // The first field the car cannot use, in words: a float that is not a
    // finite number, a negative spring, bar or pad, a disc size, forward
    // ratio or steering ratio that is not positive, a bias outside 0...100.
    // Empty when every field is usable. load refuses such a file whole.
    std::string checkValues() const;

    std::array<float, 4> springRates;          // N/m, units 0-3
    std::array<int32_t, 4> extensionSettings;   // damper setting 1...5
    std::array<int32_t, 4> compressionSettings; // damper setting 1...5
    float antiRollFront;                        // N/m
    float antiRollRear;
    std::array<float, 8> gearRatios;            // reverse, gears 1-5, two unused
    int32_t gearCount;
    int32_t flagA;
    std::array<float, 8> extraValues;
    int32_t valueA;
    int32_t valueB;
    int32_t steeringRatio;
    std::array<float, 4> padFriction;
    int32_t valueC;
    float brakeBiasPercent;                     // front share, percent
    std::array<float, 4> discDiameters;         // m
    float finalDrive;
    int32_t version;
    int32_t shiftSpeed;                         // 0: 0.35 s, 1: 0.15 s, 2: 0.09 s
    std::string name;

private:
    // The fields from a record of the current (marked) or older layout.
    void read(const unsigned char* bytes, bool current);
};
