#pragma once
// What every command that loads the car does first: prepare the run
// directory, work inside it, seed the C library's random numbers, and keep
// the physics library initialised for as long as the car may touch it.

#include <string>

#include "host/car_run_options.h"

struct CarRunPaths {
    std::string runDir;   // absolute
    std::string plugin;   // absolute path of the plug-in to load
    std::string dataDir;  // absolute path of the data folder
};

// Prepares and enters the run directory and prints its path. On failure
// prints the reason and returns false.
bool enterCarRun(const CarRunOptions& options, CarRunPaths& paths);

// ODE initialised for this thread from construction to destruction.
class PhysicsLibrary {
public:
    PhysicsLibrary();
    ~PhysicsLibrary();
    PhysicsLibrary(const PhysicsLibrary&) = delete;
    PhysicsLibrary& operator=(const PhysicsLibrary&) = delete;
};
