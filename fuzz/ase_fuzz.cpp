// Reads arbitrary bytes as an ASE file, with and without frames and mirror,
// checks that every mesh it built is whole (positions, normals and texture
// coordinates one per corner, whole triangles), makes the tree drawable, and
// writes it as a model file that must read back with the same triangles.
// Textures go through a recording resolver: nothing here ends the process.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"

namespace {

std::string g_dir;
std::string g_copy;

void removeScratch()
{
    std::remove(g_copy.c_str());
    rmdir(g_dir.c_str());
}

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
    char pattern[] = "/tmp/solvi_fuzz_ase_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    g_copy = g_dir + "/copy.vqo";
    std::atexit(removeScratch);
    // The engine's banner and the loader's notes would flood the output.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    REngine engine;
    RecordingTextureResolver resolver;
    RAseLoader loader(&engine);
    loader.setTextureResolver(&resolver);
    loader.setScale(0.1f);
    loader.setTexturePath(g_dir + "/");
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
    RModelFile out(&engine);
    if (!out.save(g_copy, root)) std::abort();
    root->buildBuffers();

    REngine second;
    RModelFile in(&second);
    in.setTextureResolver(&resolver);
    CSceneFrame* back = second.createFrame();
    if (in.load(g_copy, back) != back || in.problemCount != 0 || trianglesUnder(back) != triangles) std::abort();
    return 0;
}
