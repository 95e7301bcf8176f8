// Writes the car's two tyre files into a data folder:
//   cars/solvi/tyres/michelin_255_40_ZR_18.vqt  front tyre (wheels 0 and 1)
//   cars/solvi/tyres/michelin_345_35_18.vqt     rear tyre (wheels 2 and 3)
// Each is the 68-byte tyre record (seventeen little-endian floats):
// the ten fields the reader takes, 0 in the seven words it skips.
// Usage: make_tyre_files DATA_DIR

#include <cstdio>
#include <filesystem>

#include "chassis/tyre.h"

namespace fs = std::filesystem;

namespace {

// The car's own tyre values (what loadTyres sets before reading the file), so that reading the
// file over them changes nothing; camber stiffness and optimal load are the
// model's defaults.
CTyre tyreRecord(float peakLateral)
{
    CTyre tyre;
    tyre.RB = 1.31f;
    tyre.RC = 1.4f;
    tyre.RD = peakLateral;
    tyre.RE = -0.2f;
    tyre.STIFFX = 15.0f;
    tyre.STIFFY = 11.0f;
    tyre.STIFFG = 2000.0f;
    tyre.LOADSENS = 7.91e-5f;
    tyre.OPTIMALLOAD = 2450.0f;
    tyre.XPEAK = 1.6f;
    return tyre;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tyre_files DATA_DIR\n");
        return 2;
    }
    const fs::path tyres = fs::path(argv[1]) / "cars" / "solvi" / "tyres";
    std::error_code ec;
    fs::create_directories(tyres, ec);

    const struct {
        const char* name;
        float peakLateral;
    } files[] = {{"michelin_255_40_ZR_18.vqt", 1.28f}, {"michelin_345_35_18.vqt", 1.35f}};
    for (const auto& file : files) {
        const fs::path path = tyres / file.name;
        if (!tyreRecord(file.peakLateral).save(path.string())) {
            std::fprintf(stderr, "make_tyre_files: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s\n", path.c_str());
    }
    return 0;
}
