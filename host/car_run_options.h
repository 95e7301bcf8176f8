#pragma once
// Options of the commands that load the car plug-in in a run directory.

#include <string>
#include <vector>

struct CarRunOptions {
    std::string pluginPath;  // empty: libsolvi.so beside the executable
    std::string dataDir;     // empty: the data folder the host was built with
    std::string runDir = "run";
    std::vector<std::string> flags;
    bool debug = false;
    unsigned seed = 1;
    bool help = false;
};

// Fills `options` from argv[1..]. Returns false with a message in `error` for
// an unknown option or one missing its value.
bool parseCarRunOptions(int argc, const char* const* argv, CarRunOptions& options, std::string& error);

void printCarRunUsage(const char* command);

// libsolvi.so in the folder of the running executable.
std::string defaultPluginPath();
