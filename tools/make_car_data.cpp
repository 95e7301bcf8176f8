// Writes the car's engine and setup data files into a data folder:
//   cars/solvi/engine/coast.vqcv  the coast (engine-braking) torque over rpm
//   cars/solvi/setup/default.vqs  the car's fixed 8-byte setup record
// Usage: make_car_data DATA_DIR

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "chassis/curve.h"

namespace fs = std::filesystem;

namespace {

// Engine braking of the car: a small push up to 1000 rpm, then a drag growing
// linearly with rpm that reaches 40 % of the full-load torque at 7000 rpm
// (508 N·m there). Sampled every 500 rpm up to 15000 so that the curve covers
// every speed the engine can reach.
CCurve coastCurve()
{
    const float refRpm = 7000.0f;
    const float dragAtRef = 508.0f * 0.40f;
    CCurve curve;
    for (float rpm = 0.0f; rpm <= 15000.0f; rpm += 500.0f)
        curve.addValue(rpm, rpm <= 1000.0f ? 5.0f : -(rpm / refRpm) * dragAtRef);
    return curve;
}

bool writeSetupRecord(const fs::path& path)
{
    // A 32-bit integer and a 32-bit float, little-endian; the car keeps them
    // but no behaviour depends on them.
    const uint8_t bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_car_data DATA_DIR\n");
        return 2;
    }
    const fs::path car = fs::path(argv[1]) / "cars" / "solvi";
    std::error_code ec;
    fs::create_directories(car / "engine", ec);
    fs::create_directories(car / "setup", ec);

    const fs::path coast = car / "engine" / "coast.vqcv";
    coastCurve().save(coast.string());
    if (!fs::exists(coast)) {
        std::fprintf(stderr, "make_car_data: cannot write %s\n", coast.c_str());
        return 1;
    }
    const fs::path setup = car / "setup" / "default.vqs";
    if (!writeSetupRecord(setup)) {
        std::fprintf(stderr, "make_car_data: cannot write %s\n", setup.c_str());
        return 1;
    }
    std::printf("wrote %s and %s\n", coast.c_str(), setup.c_str());
    return 0;
}
