#include "host/options.h"

#include <cstdlib>
#include <filesystem>

namespace {
bool isCommand(const std::string& word) { return word == "drive" || word == "probe"; }
}  // namespace

bool parseOptions(int argc, const char* const* argv, HostOptions& options, std::string& error)
{
    int i = 1;
    if (i < argc && argv[i][0] != '-') {
        if (!isCommand(argv[i])) {
            error = std::string("unknown command '") + argv[i] + "'";
            return false;
        }
        options.command = argv[i++];
    }
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--plugin") {
            if (!value(options.pluginPath)) return false;
        } else if (arg == "--data") {
            if (!value(options.dataDir)) return false;
        } else if (arg == "--run-dir") {
            if (!value(options.runDir)) return false;
        } else if (arg == "--flag") {
            if (!value(text)) return false;
            options.flags.push_back(text);
        } else if (arg == "--debug") {
            options.debug = true;
        } else if (arg == "--seed") {
            if (!value(text)) return false;
            char* end = nullptr;
            const unsigned long seed = std::strtoul(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0') {
                error = "--seed needs a whole number, not '" + text + "'";
                return false;
            }
            options.seed = static_cast<unsigned>(seed);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

void printUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: vqsim [COMMAND] [OPTIONS]\n"
                 "\n"
                 "The reference host of the Solvi car plug-in.\n"
                 "\n"
                 "Commands:\n"
                 "  drive          prepare a run directory, load the car and run it (default)\n"
                 "  probe          load the car plug-in, report what it is, unload it\n"
                 "\n"
                 "Options:\n"
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
