#pragma once
// The command line of vqsim: a command and its options.

#include <cstdio>
#include <string>
#include <vector>

struct HostOptions {
    std::string command = "drive";
    std::string pluginPath;  // empty: libsolvi.so beside the executable
    std::string dataDir;     // empty: the data folder the host was built with
    std::string runDir = "run";
    std::vector<std::string> flags;
    bool debug = false;
    unsigned seed = 1;
    bool help = false;
};

// Fills `options` from argv. Returns false with a message in `error` for an
// unknown command or option, or an option missing its value.
bool parseOptions(int argc, const char* const* argv, HostOptions& options, std::string& error);

void printUsage(std::FILE* out);

// libsolvi.so in the folder of the running executable.
std::string defaultPluginPath();
