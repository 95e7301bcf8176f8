// vqsim inspect FILE [--json]: what a data file holds.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "host/arg_reader.h"
#include "host/commands.h"
#include "host/inspect.h"
#include "host/car_console.h"

namespace {
void printInspectUsage()
{
    std::printf("usage: vqsim inspect FILE [--json]\n\nShows what a data file holds. Known kinds:\n");
    for (const InspectKind& kind : inspectKinds()) std::printf("  %-8s %s\n", kind.extension, kind.what);
    std::printf("\nOptions:\n  --json       one JSON object instead of text\n  -h, --help   show this text\n");
    std::fputs(kNoCarConsoleHelp, stdout);
}
}  // namespace

int runInspectCommand(int argc, const char* const* argv)
{
    std::string file;
    bool json = false;
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string arg = args.word();
        if (arg == "--json") {
            json = true;
        } else if (arg == "-h" || arg == "--help") {
            printInspectUsage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return commandLineError("inspect", "unknown option '" + arg + "'");
        } else if (file.empty()) {
            file = arg;
        } else {
            return commandLineError("inspect", "one file at a time, not '" + arg + "' too");
        }
    }
    if (file.empty()) return commandLineError("inspect", "which file? (vqsim inspect FILE)");

    std::string extension = std::filesystem::path(file).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // Files the car writes without an extension: its replay "replay/cr" and
    // the setups in "setups/".
    const std::filesystem::path filePath(file);
    if (filePath.filename() == "cr") extension = ".replay";
    if (filePath.parent_path().filename() == "setups") extension = ".vqs";
    const auto& kinds = inspectKinds();
    const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                   [&](const InspectKind& k) { return extension == k.extension; });
    if (kind == kinds.end()) {
        std::fprintf(stderr, "vqsim: inspect does not know %s files ('vqsim inspect --help' lists the kinds)\n",
                     extension.empty() ? "extension-less" : extension.c_str());
        return 1;
    }
    if (!std::filesystem::is_regular_file(file)) {
        std::fprintf(stderr, "vqsim: cannot open %s\n", file.c_str());
        return 1;
    }
    InspectReport report;
    std::string error;
    if (!kind->read(file, report, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return 1;
    }
    std::fputs(json ? (report.toJson() + "\n").c_str() : report.toText().c_str(), stdout);
    return 0;
}
