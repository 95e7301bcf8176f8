// Loading one model of about 4,600 triangles (eight objects with normals,
// texture coordinates and textured materials, as an exporter writes them)
// from its ASE text and from the model file made from it, with its textures
// already in the engine's cache, as on every start after the first. The
// model-file benchmark also reports its speed-up over the ASE parse.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "host/quiet_stream.h"

namespace fs = std::filesystem;

namespace {

constexpr int kObjects = 8;
constexpr int kCellsU = 24, kCellsV = 12;  // 576 triangles per object
const char* const kTextures[] = {"paint", "chrome", "sky"};


// A bumpy half cylinder per object: positions, smooth normals in the
// object's own orientation (here the world's), texture coordinates.
std::string exportedModel() {
    std::string s = "*3DSMAX_ASCIIEXPORT\t200\n*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n";
    for (int m = 0; m < 2; ++m) {
        s += "\t*MATERIAL " + std::to_string(m) + " {\n\t\t*MATERIAL_NAME \"M" + std::to_string(m) +
             "\"\n\t\t*MATERIAL_DIFFUSE 0.8\t0.1\t0.1\n\t\t*MATERIAL_SHINESTRENGTH 0.3\n\t\t*MATERIAL_SHADING Blinn\n"
             "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_AMOUNT 1.0\n\t\t\t*BITMAP \"C:\\maps\\" + kTextures[m] + ".bmp\"\n\t\t}\n";
        if (m == 0) s += "\t\t*MAP_REFLECT {\n\t\t\t*MAP_AMOUNT 0.6\n\t\t\t*BITMAP \"C:\\maps\\sky.bmp\"\n\t\t}\n";
        s += "\t}\n";
    }
    s += "}\n";
    char line[256];
    for (int o = 0; o < kObjects; ++o) {
        const float ox = 30.0f * o;
        s += "*GEOMOBJECT {\n\t*NODE_NAME \"Part " + std::to_string(o) + "\"\n";
        if (o > 0) s += "\t*NODE_PARENT \"Part 0\"\n";
        std::snprintf(line, sizeof line, "\t*NODE_TM {\n\t\t*TM_ROW0 1 0 0\n\t\t*TM_ROW1 0 1 0\n\t\t*TM_ROW2 0 0 1\n\t\t*TM_POS %.4f 0 0\n\t}\n", ox);
        s += line;
        const int nu = kCellsU + 1, nv = kCellsV + 1, faces = 2 * kCellsU * kCellsV;
        s += "\t*MESH {\n\t\t*MESH_NUMVERTEX " + std::to_string(nu * nv) + "\n\t\t*MESH_NUMFACES " + std::to_string(faces) +
             "\n\t\t*MESH_VERTEX_LIST {\n";
        std::vector<float> nx(nu * nv), nz(nu * nv);
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const float a = 3.14159265f * i / kCellsU, r = 10.0f + 0.5f * std::sin(0.7f * j + o);
                nx[j * nu + i] = std::cos(a);
                nz[j * nu + i] = std::sin(a);
                std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", j * nu + i, ox + r * std::cos(a),
                              2.0f * j, r * std::sin(a));
                s += line;
            }
        s += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
        std::vector<int> corner;
        for (int j = 0; j < kCellsV; ++j)
            for (int i = 0; i < kCellsU; ++i) {
                const int a = j * nu + i, b = a + 1, c = a + nu, d = c + 1;
                for (const int k : {a, b, c, c, b, d}) corner.push_back(k);
            }
        for (int f = 0; f < faces; ++f) {
            std::snprintf(line, sizeof line,
                          "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                          f, corner[3 * f], corner[3 * f + 1], corner[3 * f + 2]);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_NUMTVERTEX " + std::to_string(nu * nv) + "\n\t\t*MESH_TVERTLIST {\n";
        for (int k = 0; k < nu * nv; ++k) {
            std::snprintf(line, sizeof line, "\t\t\t*MESH_TVERT %5d\t%.4f\t%.4f\t0.0000\n", k, float(k % nu) / kCellsU,
                          float(k / nu) / kCellsV);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_NUMTVFACES " + std::to_string(faces) + "\n\t\t*MESH_TFACELIST {\n";
        for (int f = 0; f < faces; ++f) {
            std::snprintf(line, sizeof line, "\t\t\t*MESH_TFACE %5d\t%d\t%d\t%d\n", f, corner[3 * f], corner[3 * f + 1],
                          corner[3 * f + 2]);
            s += line;
        }
        s += "\t\t}\n\t\t*MESH_NORMALS {\n";
        for (int f = 0; f < faces; ++f) {
            std::snprintf(line, sizeof line, "\t\t\t*MESH_FACENORMAL %5d\t0.0000\t0.0000\t1.0000\n", f);
            s += line;
            for (int k = 0; k < 3; ++k) {
                const int v = corner[3 * f + k];
                std::snprintf(line, sizeof line, "\t\t\t\t*MESH_VERTEXNORMAL %5d\t%.4f\t0.0000\t%.4f\n", v, nx[v], nz[v]);
                s += line;
            }
        }
        s += "\t\t}\n\t}\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n\t*MATERIAL_REF " + std::to_string(o % 2) + "\n}\n";
    }
    return s;
}

// The model on disk once per process: the ASE file, its textures, and the
// model file the car would cache from it.
struct ModelFiles {
    fs::path dir;
    std::string ase, vqo, texturePath;
    size_t aseBytes = 0, vqoBytes = 0;

    ModelFiles() {
        char pattern[] = "/tmp/solvi_model_bench_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        dir = pattern;
        fs::create_directories(dir / "texture");
        texturePath = (dir / "texture").string() + "/";
        for (const char* name : kTextures) {
            const unsigned char tga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 10, 20, 30};
            std::ofstream(texturePath + name + ".tga", std::ios::binary).write(reinterpret_cast<const char*>(tga), sizeof tga);
        }
        ase = (dir / "model.ase").string();
        vqo = (dir / "model.vqo").string();
        const std::string text = exportedModel();
        std::ofstream(ase) << text;
        aseBytes = text.size();
        QuietStream quiet(stdout);
        REngine engine;
        RAseLoader loader(&engine);
        loader.setTexturePath(texturePath);
        loader.setScale(0.1f);
        if (!loader.read(ase)) std::abort();
        CSceneFrame* root = engine.createFrame();
        for (CSceneFrame* f : loader.frames) root->addChild(f);
        RModelFile file(&engine);
        if (!file.save(vqo, root)) std::abort();
        vqoBytes = fs::file_size(vqo);
    }
    ~ModelFiles() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // A fresh engine with the model's textures in its cache.
    std::unique_ptr<REngine> warmEngine() const {
        auto engine = std::make_unique<REngine>();
        for (const char* name : kTextures) engine->getTexture(texturePath + name + ".tga");
        return engine;
    }
};

const ModelFiles& files() {
    static const ModelFiles f;
    return f;
}

double parseAseOnce(const ModelFiles& f) {
    auto engine = f.warmEngine();
    RAseLoader loader(engine.get());
    loader.setTexturePath(f.texturePath);
    loader.setScale(0.1f);
    const auto start = std::chrono::steady_clock::now();
    if (!loader.read(f.ase)) std::abort();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_AseParse(benchmark::State& state) {
    const ModelFiles& f = files();
    QuietStream quiet(stdout);
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = f.warmEngine();
        RAseLoader loader(engine.get());
        loader.setTexturePath(f.texturePath);
        loader.setScale(0.1f);
        state.ResumeTiming();
        benchmark::DoNotOptimize(loader.read(f.ase));
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
    state.counters["triangles"] = 2 * kCellsU * kCellsV * kObjects;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.aseBytes));
}

void BM_ModelFileLoad(benchmark::State& state) {
    const ModelFiles& f = files();
    QuietStream quiet(stdout);
    // The ASE parse of the same model, timed alongside for the ratio.
    std::vector<double> aseTimes;
    for (int k = 0; k < 7; ++k) aseTimes.push_back(parseAseOnce(f));
    std::sort(aseTimes.begin(), aseTimes.end());
    double modelSeconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = f.warmEngine();
        RModelFile file(engine.get());
        CSceneFrame* root = engine->createFrame();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(file.load(f.vqo, root));
        modelSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
    const double median = aseTimes[aseTimes.size() / 2];
    state.counters["ase_ms"] = median * 1e3;
    state.counters["speedup"] = median / (modelSeconds / static_cast<double>(state.iterations()));
    state.counters["ase_bytes"] = static_cast<double>(f.aseBytes);
    state.counters["vqo_bytes"] = static_cast<double>(f.vqoBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.vqoBytes));
}

}  // namespace

BENCHMARK(BM_AseParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelFileLoad)->Unit(benchmark::kMillisecond);
