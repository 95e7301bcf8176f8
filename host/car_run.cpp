#include "host/car_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <ode/ode.h>
#include <unistd.h>

#include "host/run_directory.h"
#include "host/car_console.h"

namespace fs = std::filesystem;

bool enterCarRun(const CarRunOptions& options, CarRunPaths& paths)
{
    RunDirectory run;
    paths.dataDir = fs::absolute(options.dataDir.empty() ? SOLVI_DEFAULT_DATA_DIR : options.dataDir).string();
    if (!run.prepare(options.runDir, paths.dataDir)) {
        std::fprintf(stderr, "vqsim: %s\n", run.error.c_str());
        return false;
    }
    paths.runDir = run.path;
    hostPrintf("vqsim: run directory %s\n", run.path.c_str());
    for (const std::string& cache : run.staleCaches)
        hostPrintf("vqsim: removed %s: its model changed in the data folder, and the car rebuilds it\n", cache.c_str());
    std::fflush(stdout);
    // Resolved before leaving the caller's working directory.
    paths.plugin = fs::absolute(options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath).string();
    if (chdir(run.path.c_str()) != 0) {
        std::fprintf(stderr, "vqsim: cannot enter the run directory %s\n", run.path.c_str());
        return false;
    }
    std::string error;
    if (!redirectCarConsole(run.path + "/console.log", options.verbose, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return false;
    }
    // The car's damage draws on rand(): a fixed seed keeps runs repeatable.
    std::srand(options.seed);
    return true;
}

PhysicsLibrary::PhysicsLibrary()
{
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
}

PhysicsLibrary::~PhysicsLibrary() { dCloseODE(); }
