// vqsim inspect FILE [--json]: what a data file holds; for a model,
// --png OUT.png draws a picture of it instead.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "host/arg_reader.h"
#include "host/commands.h"
#include "host/inspect.h"
#include "host/model_picture.h"

namespace {
void printInspectUsage()
{
    std::printf("usage: vqsim inspect FILE [--json]\n"
                "       vqsim inspect MODEL --png OUT.png [--skin NAME]\n\n"
                "Shows what a data file holds. Known kinds:\n");
    for (const InspectKind& kind : inspectKinds()) std::printf("  %-8s %s\n", kind.extension, kind.what);
    std::printf("\nOptions:\n"
                "  --json         one JSON object instead of text\n"
                "  --png OUT.png  a lit three-quarter picture of an .ase or .vqo model, 1280x720,\n"
                "                 drawn off screen with OpenGL (EGL); textures from the skin folder\n"
                "                 the cfg.ini beside the model names, then from texture/\n"
                "  --skin NAME    with --png: the textures of skins/NAME instead\n"
                "  -h, --help     show this text\n");
}

int drawModelPicture(const std::string& file, const std::string& png, const ModelPictureOptions& options)
{
    ModelPictureResult result;
    std::string error;
    if (!writeModelPicture(file, png, options, result, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("vqsim: drawing with %s\n", result.platform.c_str());
    for (const std::string& note : result.notes) std::printf("vqsim: %s\n", note.c_str());
    std::printf("vqsim: %s (%d triangles) drawn into %s\n", file.c_str(), result.triangles, png.c_str());
    return 0;
}
}  // namespace

int runInspectCommand(int argc, const char* const* argv)
{
    std::string file;
    bool json = false;
    std::string png;
    ModelPictureOptions picture;
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string arg = args.word();
        if (arg == "--json") {
            json = true;
        } else if (arg == "--png" || arg == "--skin") {
            if (!args.value(arg == "--png" ? png : picture.skin)) return commandLineError("inspect", args.error);
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
    if (!picture.skin.empty() && png.empty()) return commandLineError("inspect", "--skin goes with --png");
    if (!png.empty()) {
        if (extension != ".ase" && extension != ".vqo")
            return commandLineError("inspect", "--png draws models (.ase, .vqo), not " + extension + " files");
        return drawModelPicture(file, png, picture);
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
