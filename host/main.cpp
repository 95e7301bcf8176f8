// vqsim: the reference host of the car plug-in, and the users' toolbox for
// the car's data.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/commands.h"

namespace {
void printUsage()
{
    std::printf("usage: vqsim [COMMAND] [ARGUMENTS]\n\n"
                "The reference host of the Solvi car plug-in.\n\nCommands:\n");
    for (const Command& command : allCommands())
        std::printf("  %-8s %-28s %s\n", command.name, command.arguments, command.summary);
    std::printf("\nWithout a command vqsim drives. 'vqsim COMMAND --help' describes a command.\n"
                "The commands that load the car keep its console lines in console.log in the run\n"
                "directory and show vqsim's own lines; --verbose shows the car's lines too.\n");
}
}  // namespace

int main(int argc, char** argv)
{
    const char* const* args = argv;
    // A reader of vqsim's output that goes away early ("vqsim drive | head")
    // or an ffmpeg that quits must not end the process in the middle of a
    // run: writes to the closed pipe fail instead, and the car still unloads
    // and writes its files.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage();
        return 0;
    }
    if (argc > 1 && argv[1][0] != '-') {
        const Command* command = findCommand(argv[1]);
        if (!command) return commandLineError("", std::string("unknown command '") + argv[1] + "'");
        return command->run(argc - 1, args + 1);
    }
    // Options alone belong to the default command.
    return runDriveCommand(argc, args);
}
