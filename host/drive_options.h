#pragma once
// The options of the commands that drive the car: vqsim drive and the
// straight-line scenarios.

#include <string>

#include "host/car_run_options.h"
#include "host/drive_session.h"
#include "host/window/controller_driver.h"

// The physics step, in whole milliseconds.
inline constexpr int kShortestStepMs = 1;
inline constexpr int kLongestStepMs = 20;

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
    bool window = false;       // drive in a window, at the wall clock's pace
    // Who drives: "auto", "keyboard", "gamepad" or "wheel"; empty: the
    // keyboard in a window, the autopilot without (or --script).
    std::string driver;
    std::string keysPath;      // timed key presses for the window (absolute)
    ControllerSettings controller;  // --controls, --ffb-gain
};

// Fills `o` from argv[1..]; a scenario refuses the options that only a free
// drive has (laps, seconds, script, track).
bool parseDriveOptions(int argc, const char* const* argv, DriveOptions& o, bool scenario, std::string& error);

// The option lines every driving command shares.
void printDriveOptionHelp();
