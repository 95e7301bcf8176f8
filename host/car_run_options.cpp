#include "host/car_run_options.h"

#include <cstdio>
#include <filesystem>

#include "host/arg_reader.h"
#include "host/commands.h"

bool parseCarRunOption(ArgReader& args, CarRunOptions& options, bool& known)
{
    const std::string arg = args.word();
    std::string text;
    known = true;
    if (arg == "-h" || arg == "--help") {
        options.help = true;
        return true;
    }
    if (arg == "--plugin") return args.value(options.pluginPath);
    if (arg == "--data") return args.value(options.dataDir);
    if (arg == "--run-dir") return args.value(options.runDir);
    if (arg == "--flag") {
        if (!args.value(text)) return false;
        options.flags.push_back(text);
        return true;
    }
    if (arg == "--debug") {
        options.debug = true;
        return true;
    }
    if (arg == "--seed") return args.whole(options.seed);
    if (arg == "--verbose") {
        options.verbose = true;
        return true;
    }
    known = false;
    return true;
}

bool parseCarRunOptions(int argc, const char* const* argv, CarRunOptions& options, std::string& error)
{
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        bool known = false;
        if (!parseCarRunOption(args, options, known)) {
            error = args.error;
            return false;
        }
        if (!known) {
            error = "unknown option '" + args.word() + "'";
            return false;
        }
    }
    return true;
}

void printCarRunUsage(const char* command)
{
    const Command* c = findCommand(command);
    std::printf("usage: vqsim %s [OPTIONS]\n\n%s.\n\nOptions:\n", command, c ? c->summary : "");
    printCarRunOptionHelp();
}

void printCarRunOptionHelp()
{
    std::printf(                "  --plugin PATH  car plug-in to load (default: libsolvi.so beside vqsim)\n"
                "  --data DIR     folder holding cars/solvi/ and sfx/ (default: the bundled data)\n"
                "  --run-dir DIR  folder the run works and writes in (default: ./run)\n"
                "  --flag NAME    switch a named host flag on, e.g. LOADENGINECURVE (repeatable)\n"
                "  --debug        set the host's debug flag: the car prints its debug lines\n"
                "  --seed N       seed of the C library's random numbers (default 1)\n"
                "  --verbose      show the car's console lines on the terminal too\n"
                "  -h, --help     show this text\n"
                "\nThe car's console lines (its start-up banner, loading lines, fuel, resets,\n"
                "damage, teardown) go verbatim to console.log in the run directory; the\n"
                "terminal shows vqsim's own lines only, unless --verbose.\n");
}

std::string defaultPluginPath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "libsolvi.so";
    return (exe.parent_path() / "libsolvi.so").string();
}
