// vqsim check: the checks a drive makes on the car's data before the car is
// given it, alone, over every file the car can read (also the coast curve it
// reads only with LOADENGINECURVE, and the sounds).

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/arg_reader.h"
#include "host/commands.h"
#include "host/data_check.h"

int runCheckCommand(int argc, const char* const* argv)
{
    std::string dataDir = SOLVI_DEFAULT_DATA_DIR;
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string arg = args.word();
        if (arg == "-h" || arg == "--help") {
            std::printf("usage: vqsim check [--data DIR]\n\n"
                        "Checks the car's data with the rules the car reads it by: the tyre records,\n"
                        "the setup, the engine's coast curve, cfg.ini and the textures of the skin it\n"
                        "names, the models, sound.ini and the waves. Prints each file it checked and\n"
                        "what is wrong; exits with 1 when anything is.\n\nOptions:\n"
                        "  --data DIR     folder holding cars/solvi/ and sfx/ (default: the bundled data)\n");
            return 0;
        }
        if (arg != "--data") return commandLineError("check", "unknown option '" + arg + "'");
        if (!args.value(dataDir)) return commandLineError("check", args.error);
    }
    std::error_code ec;
    const std::string root = std::filesystem::absolute(dataDir, ec).string();
    if (!std::filesystem::is_directory(root + "/cars/solvi", ec)) {
        std::fprintf(stderr, "vqsim: the car's data folder %s/cars/solvi does not exist\n", root.c_str());
        return 1;
    }
    DataCheckSettings settings;
    settings.engineCurve = true;
    settings.sound = true;
    const DataCheckResult result = checkCarData(root, settings);
    std::printf("vqsim: checked %zu files of the car's data in %s:\n", result.checked.size(), root.c_str());
    for (const std::string& file : result.checked) std::printf("  %s\n", file.c_str());
    for (const std::string& problem : result.problems) std::fprintf(stderr, "vqsim: %s\n", problem.c_str());
    if (!result.ok()) {
        std::fprintf(stderr, "vqsim: %zu problem%s in %s\n", result.problems.size(),
                     result.problems.size() == 1 ? "" : "s", root.c_str());
        return 1;
    }
    std::printf("vqsim: the car's data is usable\n");
    return 0;
}
