// Welding a mesh of about 100,000 corners, the size of a detailed car body:
// once smooth (neighbouring triangles share vertices, 17k unique) and once
// faceted (every quad has its own normal, 64k unique, close to what 16-bit
// indices allow). Welding runs once per mesh when a model is made drawable.

#include <benchmark/benchmark.h>

#include <cmath>

#include "graphics/geometry.h"

namespace {

// A gently rolling height field of cells × cells quads, two triangles each.
void fillGrid(RGeometry& g, int cells, bool faceted) {
    g.allocPositions(cells * cells * 6);
    g.allocNormals(cells * cells * 6);
    g.allocUv(cells * cells * 6);
    auto height = [](int x, int z) { return 0.05f * std::sin(0.3f * x) * std::cos(0.2f * z); };
    int c = 0;
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            const int corner[6][2] = {{x, z}, {x + 1, z}, {x, z + 1}, {x, z + 1}, {x + 1, z}, {x + 1, z + 1}};
            const Vector3 facet = Vector3{height(x, z) - height(x + 1, z), 0.01f, height(x, z) - height(x, z + 1)}.normalised();
            for (const auto& k : corner) {
                const float px = 0.01f * k[0], pz = 0.01f * k[1];
                g.positions[c] = Vector3{px, height(k[0], k[1]), pz};
                g.normals[c] = faceted ? facet : Vector3{0, 1, 0};
                g.setUv(c, px, pz);
                ++c;
            }
        }
    }
}

void weldGrid(benchmark::State& state, int cells, bool faceted, bool twoUv) {
    RGeometry g;
    fillGrid(g, cells, faceted);
    if (twoUv) g.allocLightmapUv(g.cornerCount);
    for (auto _ : state) {
        g.weld(twoUv);
        benchmark::DoNotOptimize(g.indices.data());
    }
    state.counters["corners"] = g.cornerCount;
    state.counters["unique"] = g.uniqueVertexCount;
    state.SetItemsProcessed(state.iterations() * g.cornerCount);
}

void BM_WeldSmooth100k(benchmark::State& state) { weldGrid(state, 129, false, false); }
void BM_WeldFaceted96k(benchmark::State& state) { weldGrid(state, 126, true, false); }
void BM_WeldFaceted96kTwoUv(benchmark::State& state) { weldGrid(state, 126, true, true); }

}  // namespace

BENCHMARK(BM_WeldSmooth100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldFaceted96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldFaceted96kTwoUv)->Unit(benchmark::kMillisecond);
