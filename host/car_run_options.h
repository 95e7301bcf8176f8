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
    bool verbose = false;  // echo the car's console lines on the terminal too
    unsigned seed = 1;
    bool help = false;
};

class ArgReader;

// Takes the option at the reader's current word if it is one of these:
// `known` tells whether it was; false is returned (with the reader's error)
// for a known option with a bad value.
bool parseCarRunOption(ArgReader& args, CarRunOptions& options, bool& known);

// Fills `options` from argv[1..]. Returns false with a message in `error` for
// an unknown option or one missing its value.
bool parseCarRunOptions(int argc, const char* const* argv, CarRunOptions& options, std::string& error);

void printCarRunUsage(const char* command);
void printCarRunOptionHelp();  // the option lines alone

// libsolvi.so in the folder of the running executable.
std::string defaultPluginPath();
