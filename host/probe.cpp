#include "host/probe.h"

#include <cstdio>
#include <filesystem>

#include "car/icar.h"
#include "host/plugin_library.h"
#include "host/commands.h"
#include "host/car_run.h"
#include "host/car_console.h"

namespace fs = std::filesystem;

namespace {
// What the car writes when it is destroyed without having been initialised.
const char* const kUnloadFiles[] = {"out/power.exp", "out/coast.exp", "cars/solvi/engine/power.exp"};
}  // namespace

int runProbe(const CarRunOptions& options)
{
    CarRunPaths paths;
    if (!enterCarRun(options, paths)) return 1;
    const std::string& plugin = paths.plugin;

    // The car's destructor may destroy physics geometry, so the physics
    // library stays initialised until the plug-in is gone.
    PhysicsLibrary physics;

    int status = 0;
    {
        PluginLibrary library;
        if (!library.open(plugin)) {
            std::fprintf(stderr, "vqsim: %s\n", library.error().c_str());
            return 1;
        }
        ICar* car = library.car();
        hostPrintf("vqsim: plug-in %s\n", plugin.c_str());
        hostPrintf("vqsim: car \"%s\", constant %.1f, available: %s\n", car->getShortName(),
                   car->getConstant(), car->isAvailable() ? "yes" : "no");
        std::fflush(stdout);

        // Clear what an earlier run left, so the files prove this unload.
        for (const char* file : kUnloadFiles) fs::remove(file);

        const bool unloaded = library.close();
        std::fflush(stdout);
        int written = 0;
        for (const char* file : kUnloadFiles) written += fs::exists(file) ? 1 : 0;
        if (!unloaded) {
            std::fprintf(stderr, "vqsim: the plug-in is still loaded after dlclose; its car was not destroyed\n");
            status = 1;
        } else if (written != 3) {
            std::fprintf(stderr, "vqsim: the plug-in unloaded but its car wrote %d of its 3 result files\n",
                         written);
            status = 1;
        } else {
            hostPrintf("vqsim: plug-in unloaded; the car's destructor wrote out/power.exp, out/coast.exp "
                       "and cars/solvi/engine/power.exp\n");
        }
    }
    return status;
}

namespace {
int runCarCommand(const char* name, int argc, const char* const* argv)
{
    CarRunOptions options;
    std::string error;
    if (!parseCarRunOptions(argc, argv, options, error)) return commandLineError(name, error);
    if (options.help) {
        printCarRunUsage(name);
        return 0;
    }
    return runProbe(options);
}
}  // namespace

int runProbeCommand(int argc, const char* const* argv) { return runCarCommand("probe", argc, argv); }
