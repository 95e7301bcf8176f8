#pragma once
// The options of the commands that drive the car: vqsim drive and the
// straight-line scenarios.

#include <string>

#include "host/car_run_options.h"
#include "host/drive_session.h"

struct DriveOptions {
    CarRunOptions car;
    DriveSettings session;
    unsigned laps = 0;
    double seconds = 0;
    std::string script;  // empty: the autopilot
    std::string summaryPath;
    bool plots = false;  // PNG plots from the run's telemetry
    std::string replay;  // play this replay back instead of driving
    bool runDirGiven = false;  // --run-dir was on the command line
};

// Fills `o` from argv[1..]; a scenario refuses the options that only a free
// drive has (laps, seconds, script, track).
bool parseDriveOptions(int argc, const char* const* argv, DriveOptions& o, bool scenario, std::string& error);

// The option lines every driving command shares.
void printDriveOptionHelp();
