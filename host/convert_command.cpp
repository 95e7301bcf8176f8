// vqsim convert IN.ase OUT.vqo [--scale S] [--texture-dir DIR] [--allow-missing]:
// reads an ASE model the way the car does and writes it as a model file,
// then reads that back to check it holds the same model.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "host/arg_reader.h"
#include "host/commands.h"
#include "host/inspect_model.h"
#include "host/quiet_stream.h"
#include "host/car_console.h"

namespace fs = std::filesystem;

namespace {

struct ConvertOptions {
    std::string in;
    std::string out;
    ModelLoadOptions load;
    bool allowMissing = false;
    bool help = false;
};

void printConvertUsage()
{
    std::printf(
        "usage: vqsim convert IN.ase OUT.vqo [--scale S] [--texture-dir DIR] [--allow-missing]\n\n"
        "Reads an ASE model as the car reads it (one frame per object under a root frame\n"
        "named after the file, positions times the scale) and writes it as a model file,\n"
        "which loads many times faster. Every texture the model names must be found:\n"
        "the model file keeps a texture's name only when it was loaded. Names are stored\n"
        "as they were found (DIR/NAME.tga).\n\n"
        "Options:\n"
        "  --scale S          multiply every position by S (default 0.1, the car's)\n"
        "  --texture-dir DIR  look for textures in DIR (default: texture/ beside IN)\n"
        "  --allow-missing    write the model file even when textures are missing;\n"
        "                     their materials lose them\n"
        "  -h, --help         this text\n");
    std::fputs(kNoCarConsoleHelp, stdout);
}

bool hasExtension(const std::string& path, const std::string& extension)
{
    std::string e = fs::path(path).extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == extension;
}

int parseConvertOptions(int argc, const char* const* argv, ConvertOptions& o)
{
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string word = args.word();
        if (word == "-h" || word == "--help") {
            o.help = true;
        } else if (word == "--allow-missing") {
            o.allowMissing = true;
        } else if (word == "--scale") {
            double scale;
            if (!args.number(scale)) return commandLineError("convert", args.error);
            if (!(scale > 0.0)) return commandLineError("convert", "--scale must be greater than 0");
            o.load.scale = static_cast<float>(scale);
        } else if (word == "--texture-dir") {
            std::string dir;
            if (!args.value(dir)) return commandLineError("convert", args.error);
            o.load.textureDir = dir.empty() || dir.back() == '/' ? dir : dir + "/";
        } else if (!word.empty() && word[0] == '-') {
            return commandLineError("convert", "unknown option '" + word + "'");
        } else if (o.in.empty()) {
            o.in = word;
        } else if (o.out.empty()) {
            o.out = word;
        } else {
            return commandLineError("convert", "one model at a time, not '" + word + "' too");
        }
    }
    if (o.help) return 0;
    if (o.in.empty() || o.out.empty()) return commandLineError("convert", "which files? (vqsim convert IN.ase OUT.vqo)");
    if (!hasExtension(o.in, ".ase")) return commandLineError("convert", "'" + o.in + "' is not an .ase file");
    if (!hasExtension(o.out, ".vqo")) return commandLineError("convert", "'" + o.out + "' does not end in .vqo");
    return 0;
}

}  // namespace

int runConvertCommand(int argc, const char* const* argv)
{
    ConvertOptions o;
    if (const int bad = parseConvertOptions(argc, argv, o)) return bad;
    if (o.help) {
        printConvertUsage();
        return 0;
    }
    if (!fs::is_regular_file(o.in)) {
        std::fprintf(stderr, "vqsim: cannot open %s\n", o.in.c_str());
        return 1;
    }

    ToolboxModel model;
    std::string error;
    if (!loadToolboxModel(o.in, o.load, model, error)) {
        std::fprintf(stderr, "vqsim: convert: %s\n", error.c_str());
        return 1;
    }
    int missing = 0;
    for (const ModelTexture& t : model.textures) {
        if (t.found) continue;
        ++missing;
        std::fprintf(stderr, "vqsim: convert: texture %s not found (the file names %s)\n", t.name.c_str(),
                     t.bitmap.c_str());
    }
    if (missing > 0 && !o.allowMissing) {
        std::fprintf(stderr,
                     "vqsim: convert: %d texture(s) missing; the model file would lose them. Put them there, "
                     "give --texture-dir or --allow-missing\n",
                     missing);
        return 1;
    }
    for (const std::string& p : model.problems) {
        if (p.rfind("texture ", 0) == 0) continue;  // reported above
        std::fprintf(stderr, "vqsim: convert: warning: %s\n", p.c_str());
    }

    bool saved;
    {
        QuietStream quiet(stdout);
        RModelFile file(model.engine.get());
        saved = file.save(o.out, model.root);
    }
    if (!saved) {
        std::fprintf(stderr, "vqsim: convert: cannot write %s\n", o.out.c_str());
        return 1;
    }

    // Read back what was written: the same meshes and triangles, or it is
    // not a conversion.
    ToolboxModel check;
    const int frames = static_cast<int>(modelFrames(model).size());
    const int triangles = modelTriangles(model);
    if (!loadToolboxModel(o.out, ModelLoadOptions(), check, error) || modelTriangles(check) != triangles ||
        static_cast<int>(modelFrames(check).size()) != frames) {
        std::fprintf(stderr, "vqsim: convert: %s does not read back as the model written%s%s\n", o.out.c_str(),
                     error.empty() ? "" : ": ", error.c_str());
        return 1;
    }
    int geometries = 0;
    for (const CSceneFrame* f : modelFrames(model)) geometries += static_cast<int>(f->geometries.size());
    std::error_code ec;
    const auto bytes = fs::file_size(o.out, ec);
    std::printf("%s -> %s: %d frames, %d meshes, %d triangles, %d materials, %zu textures%s, %llu bytes\n",
                o.in.c_str(), o.out.c_str(), frames, geometries, triangles, model.topMaterials, model.textures.size(),
                missing > 0 ? (" (" + std::to_string(missing) + " missing)").c_str() : "",
                static_cast<unsigned long long>(ec ? 0 : bytes));
    return 0;
}
