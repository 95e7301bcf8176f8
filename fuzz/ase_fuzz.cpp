// Reads arbitrary bytes as an ASE file, with and without frames and mirror,
// checks that every mesh it built is whole (positions, normals and texture
// coordinates one per corner, whole triangles), makes the tree drawable, and
// writes it as a model file that must read back with the same triangles.
// Textures go through a recording resolver: nothing here ends the process.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"

namespace {

std::optional<FuzzScratch> g_scratch;

int trianglesUnder(const CSceneFrame* frame)
{
    int n = 0;
    for (const RGeometry* g : frame->geometries) n += g->cornerCount / 3;
    for (const CSceneFrame* child : frame->children) n += trianglesUnder(child);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("ase");
    // The engine's banner and the loader's notes would flood the output.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    REngine engine;
    RecordingTextureResolver resolver;
    RAseLoader loader(&engine);
    loader.setTextureResolver(&resolver);
    loader.setScale(0.1f);
    loader.setTexturePath(g_scratch->dir() + "/");
    loader.setMirror(size % 2 == 1);
    loader.setCreateFrames(size % 3 != 0);
    if (!loader.readText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.ase")) {
        if (loader.problems.empty()) std::abort();  // refused without saying why
        return 0;
    }
    int triangles = 0;
    for (const RGeometry* g : loader.geometries) {
        const int corners = g->cornerCount;
        if (corners % 3 != 0 || static_cast<int>(g->positions.size()) != corners || g->normalCount != corners ||
            static_cast<int>(g->normals.size()) != corners || (g->uvCount != 0 && g->uvCount != corners) ||
            static_cast<int>(g->uv.size()) != g->uvCount)
            std::abort();
        triangles += corners / 3;
    }

    CSceneFrame* root = engine.createFrame();
    if (loader.createFrames) {
        for (CSceneFrame* f : loader.frames) root->addChild(f);
    } else {
        for (RGeometry* g : loader.geometries) root->addGeometry(g);
    }
    if (trianglesUnder(root) != triangles) std::abort();
    const std::string copy = g_scratch->path("copy.vqo");
    RModelFile out(&engine);
    if (!out.save(copy, root)) std::abort();
    root->buildBuffers();

    REngine second;
    RModelFile in(&second);
    in.setTextureResolver(&resolver);
    CSceneFrame* back = second.createFrame();
    if (in.load(copy, back) != back || in.problemCount != 0 || trianglesUnder(back) != triangles) std::abort();
    return 0;
}
