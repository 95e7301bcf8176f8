#include "host/car_run_options.h"

#include <cstdio>
#include <filesystem>

#include "host/arg_reader.h"
#include "host/commands.h"

bool parseCarRunOptions(int argc, const char* const* argv, CarRunOptions& options, std::string& error)
{
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string arg = args.word();
        std::string text;
        bool ok = true;
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--plugin") {
            ok = args.value(options.pluginPath);
        } else if (arg == "--data") {
            ok = args.value(options.dataDir);
        } else if (arg == "--run-dir") {
            ok = args.value(options.runDir);
        } else if (arg == "--flag") {
            ok = args.value(text);
            options.flags.push_back(text);
        } else if (arg == "--debug") {
            options.debug = true;
        } else if (arg == "--seed") {
            ok = args.whole(options.seed);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (!ok) {
            error = args.error;
            return false;
        }
    }
    return true;
}

void printCarRunUsage(const char* command)
{
    const Command* c = findCommand(command);
    std::printf("usage: vqsim %s [OPTIONS]\n\n%s.\n\n", command, c ? c->summary : "");
    std::printf("Options:\n"
                "  --plugin PATH  car plug-in to load (default: libsolvi.so beside vqsim)\n"
                "  --data DIR     folder holding cars/solvi/ and sfx/ (default: the bundled data)\n"
                "  --run-dir DIR  folder the run works and writes in (default: ./run)\n"
                "  --flag NAME    switch a named host flag on, e.g. LOADENGINECURVE (repeatable)\n"
                "  --debug        set the host's debug flag: the car prints its debug lines\n"
                "  --seed N       seed of the C library's random numbers (default 1)\n"
                "  -h, --help     show this text\n");
}

std::string defaultPluginPath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "libsolvi.so";
    return (exe.parent_path() / "libsolvi.so").string();
}
