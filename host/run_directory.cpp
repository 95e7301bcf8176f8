#include "host/run_directory.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool RunDirectory::prepare(const std::string& runDir, const std::string& dataDir)
{
    std::error_code ec;
    const fs::path data = fs::absolute(dataDir, ec);
    const fs::path carData = data / "cars" / "solvi";
    if (!fs::is_directory(carData, ec)) {
        error = "the car's data folder " + carData.string() + " does not exist (use --data DIR)";
        return false;
    }

    const fs::path run = fs::absolute(runDir, ec);
    for (const char* sub : {"out", "replay", "cfg", "cars"}) {
        fs::create_directories(run / sub, ec);
        if (ec) {
            error = "cannot create " + (run / sub).string() + ": " + ec.message();
            return false;
        }
    }

    const auto options = fs::copy_options::recursive | fs::copy_options::update_existing;
    fs::copy(carData, run / "cars" / "solvi", options, ec);
    if (ec) {
        error = "cannot copy the car's data into " + run.string() + ": " + ec.message();
        return false;
    }
    if (fs::is_directory(data / "sfx", ec)) {
        fs::copy(data / "sfx", run / "sfx", options, ec);
        if (ec) {
            error = "cannot copy the shared sounds into " + run.string() + ": " + ec.message();
            return false;
        }
    }
    path = fs::canonical(run, ec).string();
    return true;
}
