#include "host/run_directory.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// Makes every file of `from` present in `to` as it is in `from`: a file is
// copied when it is missing or differs in size or modification time, in
// either direction, so a run after one with other data (another --data, a
// file restored to an older version) reads what the data folder holds now.
// Files only `to` has - the car's own results and caches - stay, but the
// cache the car made from an ASE model that is copied now goes (unless the
// data folder brings a cache of its own), and is named in `stale`.
void mirror(const fs::path& from, const fs::path& to, std::vector<fs::path>& stale, std::error_code& ec)
{
    fs::create_directories(to, ec);
    if (ec) return;
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path target = to / fs::relative(it->path(), from, ec);
        if (ec) return;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (it->is_regular_file(ec)) {
            std::error_code missing;
            const auto time = it->last_write_time(ec);
            if (fs::exists(target, missing) && fs::file_size(target, missing) == it->file_size(ec) &&
                fs::last_write_time(target, missing) == time && !missing)
                continue;
            fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
            if (!ec) fs::last_write_time(target, time, ec);
            if (!ec && target.extension() == ".ase") {
                const fs::path cache = fs::path(target).replace_extension(".vqo");
                if (!fs::exists(fs::path(it->path()).replace_extension(".vqo"), missing) &&
                    fs::remove(cache, missing))
                    stale.push_back(cache);
            }
        }
        if (ec) return;
    }
}
}  // namespace

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

    std::vector<fs::path> stale;
    mirror(carData, run / "cars" / "solvi", stale, ec);
    if (ec) {
        error = "cannot copy the car's data into " + run.string() + ": " + ec.message();
        return false;
    }
    if (fs::is_directory(data / "sfx", ec)) {
        mirror(data / "sfx", run / "sfx", stale, ec);
        if (ec) {
            error = "cannot copy the shared sounds into " + run.string() + ": " + ec.message();
            return false;
        }
    }
    path = fs::canonical(run, ec).string();
    for (const fs::path& cache : stale) staleCaches.push_back(fs::relative(cache, run, ec).string());
    return true;
}
