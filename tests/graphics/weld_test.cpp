// The welding rule written the plain way, a linear scan of the unique
// vertices for each corner, as the reference for RGeometry::weld on random
// meshes full of near-duplicates.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/geometry.h"

namespace {

struct Reference {
    std::vector<RVertex40> vertices;
    std::vector<int> indices;
    // Corner-vertex pairs with equal attributes whose distance lies within
    // 10 % of the weld distance, on either side: the cases that matter.
    int nearThreshold = 0;
};

Reference weldByScan(const RGeometry& g, bool twoUv) {
    Reference r;
    for (int i = 0; i < g.cornerCount; ++i) {
        RVertex40 v{g.positions[i], g.normals[i], g.uv[i].u, -g.uv[i].v, 0.0f, 0.0f};
        if (twoUv) {
            v.lightmapU = g.lightmapUv[i].u;
            v.lightmapV = g.lightmapUv[i].v;
        }
        int found = -1;
        for (size_t k = 0; k < r.vertices.size() && found < 0; ++k) {
            const RVertex40& u = r.vertices[k];
            const float dx = u.position.x - v.position.x;
            const float dy = u.position.y - v.position.y;
            const float dz = u.position.z - v.position.z;
            const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
            const bool sameAttributes = u.normal.x == v.normal.x && u.normal.y == v.normal.y &&
                                        u.normal.z == v.normal.z && u.u == v.u && u.v == v.v;
            if (sameAttributes && distance > 0.00009f && distance < 0.00011f) ++r.nearThreshold;
            if (distance < 0.0001f && sameAttributes) found = static_cast<int>(k);
        }
        if (found < 0) {
            found = static_cast<int>(r.vertices.size());
            r.vertices.push_back(v);
        }
        r.indices.push_back(found);
    }
    return r;
}

// Corners clustered round a few seed points, each displaced by about the
// weld distance (just under, just over, exactly) in a random direction or
// along one axis, with seeds on and beside the hash grid's cell borders,
// and a small choice of normals and uvs so that some clusters split.
void fillRandomMesh(std::mt19937& rng, int corners, RGeometry& g) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> pick(0, 1 << 30);
    std::vector<Vector3> seeds;
    for (int s = 0; s < 40; ++s) {
        Vector3 p{unit(rng) * 2, unit(rng) * 2, unit(rng) * 2};
        if (s % 3 == 0) p.x = 0.0004f * static_cast<float>(pick(rng) % 50 - 25);  // on a cell border
        if (s % 5 == 0) p.y = 0.0004f * static_cast<float>(pick(rng) % 50) - 0.00005f;
        seeds.push_back(p);
    }
    const float steps[] = {0.0f, 0.00005f, 0.0000999f, 0.0001f, 0.0001001f, 0.00015f, 0.0002f, 0.00035f};
    const Vector3 normals[] = {{0, 1, 0}, {0, -1, 0}, {0.6f, 0.8f, 0}, {-0.0f, 1, 0}};
    const RUv uvs[] = {{0, 0}, {0.5f, 0.5f}, {-0.0f, 0.0f}, {1, 0.25f}};

    g.allocPositions(corners);
    g.allocNormals(corners);
    g.allocUv(corners);
    g.allocLightmapUv(corners);
    for (int i = 0; i < corners; ++i) {
        Vector3 p = seeds[pick(rng) % seeds.size()];
        const float step = steps[pick(rng) % 8];
        if (pick(rng) % 2 == 0) {
            Vector3 d{unit(rng), unit(rng), unit(rng)};
            p += d.normalised() * step;
        } else {
            p[pick(rng) % 3] += (pick(rng) % 2 ? step : -step);
        }
        // Often reuse an earlier corner's position exactly, or from it.
        if (i > 0 && pick(rng) % 4 == 0) p = g.positions[pick(rng) % i] + Vector3{step * 0.5f, 0, 0};
        g.positions[i] = p;
        g.normals[i] = normals[pick(rng) % 10 < 7 ? 0 : pick(rng) % 4];
        const RUv t = uvs[pick(rng) % 10 < 7 ? 0 : pick(rng) % 4];
        g.setUv(i, t.u, t.v);
        g.setLightmapUv(i, unit(rng), unit(rng));
    }
}

}  // namespace

TEST(WeldReferenceTest, GridWeldEqualsTheLinearScanOnRandomMeshes) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 12; ++round) {
        RGeometry g;
        fillRandomMesh(rng, 300 + 250 * round, g);
        const bool twoUv = round % 2 == 1;
        const Reference expected = weldByScan(g, twoUv);
        ASSERT_TRUE(g.weld(twoUv));
        ASSERT_EQ(std::vector<int>(g.indices.begin(), g.indices.end()), expected.indices) << "round " << round;
        ASSERT_EQ(g.uniqueVertexCount, static_cast<int>(expected.vertices.size()));
        for (size_t k = 0; k < expected.vertices.size(); ++k) {  // the one-UV layout is the two-UV one cut short
            const void* got = twoUv ? static_cast<const void*>(&g.vertices40[k]) : &g.vertices32[k];
            ASSERT_EQ(std::memcmp(got, &expected.vertices[k], twoUv ? 40 : 32), 0) << "round " << round;
        }
        // The meshes must exercise both outcomes near the threshold.
        EXPECT_GT(expected.nearThreshold, 30);
        EXPECT_LT(g.uniqueVertexCount, g.cornerCount * 4 / 5);
    }
}

TEST(WeldReferenceTest, ChainsOfNearNeighboursWeldToTheFirstMatchNotTheNearest) {
    // 0 at x = 0, 1 at x = 0.00015 (too far from 0), then a corner at
    // 0.00008: close to both, it takes vertex 0, the first in order.
    RGeometry g;
    g.allocPositions(4);
    g.allocNormals(4);
    g.positions = {{0, 0, 0}, {0.00015f, 0, 0}, {0.00008f, 0, 0}, {0.00014f, 0, 0}};
    ASSERT_TRUE(g.weld(false));
    EXPECT_EQ(g.indices, (std::vector<uint16_t>{0, 1, 0, 1}));
    // Coordinates too large for float to hold points 0.0001 apart weld
    // only when identical; infinities and NaN never weld.
    const float inf = INFINITY;
    g.positions = {{4096, 0, 0}, {4096.0005f, 0, 0}, {inf, 0, 0}, {NAN, 0, 0}};
    ASSERT_TRUE(g.weld(false));
    EXPECT_EQ(g.uniqueVertexCount, 4);
}
