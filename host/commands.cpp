#include "host/commands.h"

#include <cstdio>

const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = {
        {"drive", "[OPTIONS]", "prepare a run directory, load the car and run it (the default)", runDriveCommand},
        {"accel", "[OPTIONS]", "standing start on the test strip: 0-100, 0-200 km/h, quarter mile", runAccelCommand},
        {"brake", "[OPTIONS]", "full stop from 100 km/h on the test strip: braking distance", runBrakeCommand},
        {"skidpad", "[OPTIONS]", "steady cornering on a 40 m circle: lateral acceleration held", runSkidpadCommand},
        {"probe", "[OPTIONS]", "load the car plug-in, report what it is, unload it", runProbeCommand},
        {"tyre", "FILE [OPTIONS]", "tyre forces over slip for a tyre file: tables, CSV, plot", runTyreCommand},
        {"inspect", "FILE [--json] | MODEL --png OUT.png", "what a data file holds; a picture of a model", runInspectCommand},
        {"convert", "IN.ase OUT.vqo [OPTIONS]", "turn an ASE model into a model file that loads fast", runConvertCommand},
    };
    return commands;
}

const Command* findCommand(const std::string& name)
{
    for (const Command& command : allCommands())
        if (name == command.name) return &command;
    return nullptr;
}

int commandLineError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "vqsim: %s\nTry 'vqsim %s--help'.\n", message.c_str(),
                 command.empty() ? "" : (command + " ").c_str());
    return 2;
}
