// Reads arbitrary bytes as a model file (plain, mirrored, and with texture
// names looked up along a search path), checks that every mesh is within
// its arrays, then saves what was read and reads that back: the same frames
// and triangles. Textures go through a recording resolver:
// nothing here ends the process.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"

namespace {

std::string g_dir;
std::string g_input;
std::string g_copy;

void removeScratch()
{
    std::remove(g_input.c_str());
    std::remove(g_copy.c_str());
    rmdir(g_dir.c_str());
}

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
    char pattern[] = "/tmp/solvi_fuzz_model_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    g_input = g_dir + "/input.vqo";
    g_copy = g_dir + "/copy.vqo";
    std::atexit(removeScratch);
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(g_input.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    REngine engine;
    RecordingTextureResolver resolver;
    RModelFile in(&engine);
    in.setTextureResolver(&resolver);
    in.mirror = size % 2;
    if (size % 3 == 0) in.addTexturePath(g_dir);
    if (size % 5 == 0) in.envOverride = 0.3f;
    CSceneFrame* root = engine.createFrame();
    if (in.load(g_input, root) != root) std::abort();
    int frames = 0, triangles = 0;
    count(root, frames, triangles);

    RModelFile out(&engine);
    if (!out.save(g_copy, root)) std::abort();
    REngine second;
    RModelFile again(&second);
    again.setTextureResolver(&resolver);
    CSceneFrame* back = second.createFrame();
    if (again.load(g_copy, back) != back) std::abort();
    int framesBack = 0, trianglesBack = 0;
    count(back, framesBack, trianglesBack);
    if (framesBack != frames || trianglesBack != triangles) std::abort();
    return 0;
}
