// The model readers on ordinary and hostile input of the same order of size:
// time per MB of file and the peak memory a load adds (resident set high-water
// mark, reset before each load). Hostile files are generated here: an ASE of
// thousands of objects with unknown parents, declared counts of 100 million
// and braces never closed; a model file of nothing but minimal frame records.
// Both should cost about what an ordinary file of their size costs.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "host/quiet_stream.h"

namespace fs = std::filesystem;

namespace {

// A kB figure from /proc/self/status ("VmHWM", "VmRSS").
double statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key) + 1));
    return 0;
}

// Lowers the high-water mark to the current resident set.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Ordinary objects: a grid of triangles each, about `bytes` in all.
std::string ordinaryAse(size_t bytes) {
    std::string s = "*3DSMAX_ASCIIEXPORT\t200\n";
    for (int o = 0; s.size() < bytes; ++o) {
        constexpr int n = 20;  // (n+1)^2 vertices, 2 n^2 faces
        s += "*GEOMOBJECT {\n\t*NODE_NAME \"part" + std::to_string(o) + "\"\n\t*MESH {\n";
        s += "\t\t*MESH_NUMVERTEX " + std::to_string((n + 1) * (n + 1)) + "\n";
        s += "\t\t*MESH_NUMFACES " + std::to_string(2 * n * n) + "\n\t\t*MESH_VERTEX_LIST {\n";
        for (int v = 0; v < (n + 1) * (n + 1); ++v) {
            char line[96];
            std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX %d\t%d.0\t%d.0\t%d.5\n", v, v % (n + 1), v / (n + 1), o);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
        for (int f = 0; f < n * n; ++f) {
            const int a = f / n * (n + 1) + f % n, b = a + 1, c = a + n + 1, d = c + 1;
            char line[128];
            std::snprintf(line, sizeof line, "\t\t\t*MESH_FACE %d: A: %d B: %d C: %d\n\t\t\t*MESH_FACE %d: A: %d B: %d C: %d\n",
                          2 * f, a, b, c, 2 * f + 1, c, b, d);
            s += line;
        }
        s += "\t\t}\n\t}\n}\n";
    }
    return s;
}

std::string hostileAse() {
    std::string s = "*3DSMAX_ASCIIEXPORT 200\n";
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        s += "*GEOMOBJECT {\n*NODE_NAME \"o" + n + "\"\n*NODE_PARENT \"nobody" + n +
             "\"\n*MESH {\n*MESH_NUMVERTEX 100000000\n*MESH_NUMFACES 100000000\n*MESH_NUMTVERTEX 100000000\n"
             "*MESH_NUMTVFACES 100000000\n*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1 2 3\n}\n}\n}\n";
    }
    for (int i = 0; i < 20000; ++i) s += "{\n";
    return s;
}

void put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// 10 MB of frame records with no name and no mesh, each under the one before.
std::string hostileModelFile() {
    std::string s = "zt666";
    put32(s, RModelFile::kVersion);
    put32(s, RModelFile::kTagMaterials);
    put32(s, 0);
    put32(s, RModelFile::kTagFrames);
    const uint32_t frames = 10u * 1024 * 1024 / 56;
    put32(s, frames);
    const float pose[9] = {0, 0, 0, 0, 0, 1, 0, 1, 0};
    for (uint32_t i = 0; i < frames; ++i) {
        put32(s, RModelFile::kTagFrame);
        put32(s, 0);
        for (float f : pose) {
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            put32(s, bits);
        }
        put32(s, i - 1);
        put32(s, 0);
    }
    return s;
}

fs::path writeFile(const std::string& name, const std::string& bytes) {
    const fs::path path = fs::temp_directory_path() / ("solvi_bench_" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// The ordinary ASE saved as a model file.
fs::path ordinaryModelFile(const fs::path& ase) {
    const fs::path path = fs::temp_directory_path() / "solvi_bench_ordinary.vqo";
    QuietStream quiet(stdout);
    REngine engine;
    RAseLoader loader(&engine);
    loader.read(ase.string());
    CSceneFrame* root = engine.createFrame();
    for (CSceneFrame* f : loader.frames) root->addChild(f);
    RModelFile(&engine).save(path.string(), root);
    return path;
}

template <class Load>
void measure(benchmark::State& state, const fs::path& path, Load load) {
    const double mb = static_cast<double>(fs::file_size(path)) / (1024.0 * 1024.0);
    double peak = 0;
    for (auto _ : state) {
        QuietStream quiet(stdout);
        malloc_trim(0);  // what the last load freed leaves the resident set
        const double before = statusKb("VmRSS:");
        resetPeak();
        {
            REngine engine;
            load(engine);
        }
        peak = std::max(peak, statusKb("VmHWM:") - before);
    }
    state.counters["file_MB"] = mb;
    state.counters["peak_MB"] = peak / 1024.0;
    state.counters["s_per_MB"] =
        benchmark::Counter(mb, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

const std::string& ordinaryAseText() {
    static const std::string text = ordinaryAse(600 * 1024);
    return text;
}

void BM_AseOrdinary(benchmark::State& state) {
    const fs::path path = writeFile("ordinary.ase", ordinaryAseText());
    measure(state, path, [&](REngine& e) { RAseLoader(&e).read(path.string()); });
}
BENCHMARK(BM_AseOrdinary)->Unit(benchmark::kMillisecond);

void BM_AseHostile(benchmark::State& state) {
    const fs::path path = writeFile("hostile.ase", hostileAse());
    measure(state, path, [&](REngine& e) { RAseLoader(&e).read(path.string()); });
}
BENCHMARK(BM_AseHostile)->Unit(benchmark::kMillisecond);

void BM_ModelFileOrdinary(benchmark::State& state) {
    const fs::path path = ordinaryModelFile(writeFile("ordinary.ase", ordinaryAseText()));
    measure(state, path, [&](REngine& e) { RModelFile(&e).load(path.string(), e.createFrame()); });
}
BENCHMARK(BM_ModelFileOrdinary)->Unit(benchmark::kMillisecond);

void BM_ModelFileHostile(benchmark::State& state) {
    const fs::path path = writeFile("hostile.vqo", hostileModelFile());
    measure(state, path, [&](REngine& e) { RModelFile(&e).load(path.string(), e.createFrame()); });
}
BENCHMARK(BM_ModelFileHostile)->Unit(benchmark::kMillisecond);

}  // namespace
