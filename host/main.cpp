// vqsim: the reference host of the car plug-in.

#include <cstdio>
#include <string>

#include "host/options.h"
#include "host/probe.h"

int main(int argc, char** argv)
{
    HostOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vqsim: %s\nTry 'vqsim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    // Driving needs the physics, the track and the drivers; until they are
    // here a drive loads the car, reports it and unloads it.
    return runProbe(options);
}
