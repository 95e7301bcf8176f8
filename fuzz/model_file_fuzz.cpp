// Reads arbitrary bytes as a model file (plain, mirrored, and with texture
// names looked up along a search path), checks that every mesh is within
// its arrays, then saves what was read and reads that back: the same frames
// and triangles. Textures go through a recording resolver:
// nothing here ends the process.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"

namespace {

std::optional<FuzzScratch> g_scratch;

void count(const CSceneFrame* frame, int& frames, int& triangles)
{
    ++frames;
    for (const RGeometry* g : frame->geometries) {
        if (static_cast<int>(g->positions.size()) != g->cornerCount || static_cast<int>(g->normals.size()) != g->normalCount ||
            static_cast<int>(g->uv.size()) != g->uvCount || g->material == nullptr)
            std::abort();
        triangles += g->cornerCount / 3;
    }
    for (const CSceneFrame* child : frame->children) count(child, frames, triangles);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("model");
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = g_scratch->write("input.vqo", data, size);
    const std::string copy = g_scratch->path("copy.vqo");

    REngine engine;
    RecordingTextureResolver resolver;
    RModelFile in(&engine);
    in.setTextureResolver(&resolver);
    in.mirror = size % 2;
    if (size % 3 == 0) in.addTexturePath(g_scratch->dir());
    if (size % 5 == 0) in.envOverride = 0.3f;
    CSceneFrame* root = engine.createFrame();
    if (in.load(input, root) != root) std::abort();
    int frames = 0, triangles = 0;
    count(root, frames, triangles);

    RModelFile out(&engine);
    if (!out.save(copy, root)) std::abort();
    REngine second;
    RModelFile again(&second);
    again.setTextureResolver(&resolver);
    CSceneFrame* back = second.createFrame();
    if (again.load(copy, back) != back) std::abort();
    int framesBack = 0, trianglesBack = 0;
    count(back, framesBack, trianglesBack);
    if (framesBack != frames || trianglesBack != triangles) std::abort();
    return 0;
}
