#pragma once
// The commands of vqsim. Each parses its own arguments (those after the
// command word) and returns the process exit code: 0 success, 1 failure of
// the work, 2 a bad command line.

#include <string>
#include <vector>

struct Command {
    const char* name;
    const char* arguments;  // what follows the name in the usage line
    const char* summary;
    int (*run)(int argc, const char* const* argv);  // argv[0] is the command word
};

const std::vector<Command>& allCommands();
const Command* findCommand(const std::string& name);

// Prints "vqsim: MESSAGE" and the hint to ask for help; returns 2.
int commandLineError(const std::string& command, const std::string& message);

// The car-loading commands (drive_command.cpp, probe.cpp).
int runDriveCommand(int argc, const char* const* argv);
int runProbeCommand(int argc, const char* const* argv);

// The straight-line scenarios (scenario_command.cpp).
int runAccelCommand(int argc, const char* const* argv);
int runBrakeCommand(int argc, const char* const* argv);
int runSkidpadCommand(int argc, const char* const* argv);

// The data sheet and the whole battery (report_command.cpp).
int runReportCommand(int argc, const char* const* argv);

// The tyre rig (in tyre_command.cpp).
int runTyreCommand(int argc, const char* const* argv);

// What a data file holds (in inspect_command.cpp).
int runInspectCommand(int argc, const char* const* argv);

// The car's data checked as a drive checks it (in check_command.cpp).
int runCheckCommand(int argc, const char* const* argv);

// ASE model to model file (in convert_command.cpp).
int runConvertCommand(int argc, const char* const* argv);
