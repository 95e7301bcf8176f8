#include "graphics/geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/engine.h"
#include "graphics/material.h"

namespace {

// --- welding ---------------------------------------------------------------
//
// The rule is a scan of the unique vertices in order for the first one close
// enough with equal normal and texture coordinate; done literally it is
// quadratic, which a 100,000-corner mesh cannot afford. Instead each unique
// vertex is filed under a hash of (grid cell of its position, exact normal,
// exact texture coordinate), and a corner looks only in the cells its weld
// distance can reach, under its own normal and coordinate. Chains grow in
// vertex order, so the first match in a chain is its lowest index; the
// lowest over all chains searched is what the scan would have found.

// Four weld distances: the reach of a corner (two weld distances wide) then
// spans one or two cells per axis, never three.
constexpr double kCellSize = 4.0 * static_cast<double>(RGeometry::kWeldDistance);
// A little more than the weld distance, so that the rounding of the float
// distance test can never accept a vertex outside the cells searched.
constexpr double kReach = static_cast<double>(RGeometry::kWeldDistance) * (1.0 + 1e-5);
// Far outside any model, and clamping keeps cell numbers in range for huge
// or infinite coordinates (NaN lands on the low end; it never matches).
constexpr double kCellLimit = 4.0e18;

int64_t cellOf(double v) {
    const double c = std::floor(v / kCellSize);
    if (!(c > -kCellLimit)) return static_cast<int64_t>(-kCellLimit);
    if (c > kCellLimit) return static_cast<int64_t>(kCellLimit);
    return static_cast<int64_t>(c);
}

uint64_t mix(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 31;
    return h;
}

// Bits of a float for hashing values that compare equal: -0 and +0 are one.
uint64_t keyBits(float f) { return std::bit_cast<uint32_t>(f == 0.0f ? 0.0f : f); }

uint64_t attributeKey(const RVertex40& v) {
    uint64_t h = mix(0x9E3779B97F4A7C15ull ^ keyBits(v.normal.x));
    h = mix(h ^ (keyBits(v.normal.y) << 32 | keyBits(v.normal.z)));
    return mix(h ^ (keyBits(v.u) << 32 | keyBits(v.v)));
}

uint64_t cellKey(uint64_t attributes, int64_t cx, int64_t cy, int64_t cz) {
    uint64_t h = mix(attributes ^ static_cast<uint64_t>(cx));
    h = mix(h ^ static_cast<uint64_t>(cy));
    return mix(h ^ static_cast<uint64_t>(cz));
}

bool closeEnough(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) < RGeometry::kWeldDistance;
}

bool sameVertex(const RVertex40& a, const RVertex40& b) {
    return a.normal.x == b.normal.x && a.normal.y == b.normal.y && a.normal.z == b.normal.z && a.u == b.u &&
           a.v == b.v && closeEnough(a.position, b.position);
}

// Open-addressed table from a 64-bit key to a chain of vertex indices in
// ascending order. Keys that collide share a chain; every candidate is
// checked against the full rule anyway.
class WeldTable {
public:
    explicit WeldTable(size_t maxVertices) {
        size_t capacity = 16;
        while (capacity < 2 * maxVertices) capacity *= 2;
        slots.assign(capacity, Slot{0, -1, -1});
        mask = capacity - 1;
        next.reserve(maxVertices);
    }

    int first(uint64_t key) const {
        for (size_t i = key & mask;; i = (i + 1) & mask) {
            if (slots[i].head < 0) return -1;
            if (slots[i].key == key) return slots[i].head;
        }
    }
    int following(int vertex) const { return next[vertex]; }

    // Vertices arrive in increasing order, one call each.
    void append(uint64_t key, int vertex) {
        next.push_back(-1);
        for (size_t i = key & mask;; i = (i + 1) & mask) {
            Slot& s = slots[i];
            if (s.head < 0) {
                s = Slot{key, vertex, vertex};
                return;
            }
            if (s.key == key) {
                next[s.tail] = vertex;
                s.tail = vertex;
                return;
            }
        }
    }

private:
    struct Slot {
        uint64_t key;
        int head;  // -1: empty
        int tail;
    };
    std::vector<Slot> slots;
    std::vector<int> next;
    size_t mask = 0;
};

}  // namespace

RGeometry::~RGeometry() {
    if (!ownsBuffers) return;
    RDevice* d = device();
    if (d == nullptr) return;
    if (vertexBuffer != nullptr) d->releaseVertexBuffer(vertexBuffer);
    if (indexBuffer != nullptr) d->releaseIndexBuffer(indexBuffer);
}

RDevice* RGeometry::device() const { return engine != nullptr ? engine->device : nullptr; }

void RGeometry::allocPositions(int n) {
    n = std::max(n, 0);
    positions.assign(n, Vector3{0.0f, 0.0f, 0.0f});
    cornerCount = n;
}

void RGeometry::allocNormals(int n) {
    if (!normals.empty()) return;
    n = std::max(n, 0);
    normals.assign(n, Vector3{0.0f, 0.0f, 0.0f});
    normalCount = n;
}

void RGeometry::allocUv(int n) {
    n = std::max(n, 0);
    uv.assign(n, RUv{0.0f, 0.0f});
    uvCount = n;
}

void RGeometry::allocLightmapUv(int n) {
    lightmapUv.assign(std::max(n, 0), RUv{0.0f, 0.0f});
    hasLightmapUv = 1;
}

void RGeometry::setUv(int i, float u, float v) {
    if (i >= 0 && i < static_cast<int>(uv.size())) uv[i] = RUv{u, v};
}

void RGeometry::setLightmapUv(int i, float u, float v) {
    if (i >= 0 && i < static_cast<int>(lightmapUv.size())) lightmapUv[i] = RUv{u, v};
}

void RGeometry::addTriangle(const float c[9]) {
    if (addCursor < 0 || addCursor + 3 > static_cast<int>(positions.size())) return;
    for (int k = 0; k < 3; ++k) positions[addCursor + k] = Vector3{c[3 * k], c[3 * k + 1], c[3 * k + 2]};
    addCursor += 3;
}

// Corners beyond an array read as zero, so a mesh whose counts and arrays
// disagree (a damaged file) still welds and draws without reading past them.
Vector3 RGeometry::cornerPosition(int i) const {
    return i >= 0 && i < static_cast<int>(positions.size()) ? positions[i] : Vector3{0.0f, 0.0f, 0.0f};
}

Vector3 RGeometry::cornerNormal(int i) const {
    return i >= 0 && i < normalCount && i < static_cast<int>(normals.size()) ? normals[i] : Vector3{0.0f, 0.0f, 0.0f};
}

RUv RGeometry::cornerUv(int i) const {
    return i >= 0 && i < uvCount && i < static_cast<int>(uv.size()) ? uv[i] : RUv{0.0f, 0.0f};
}

void RGeometry::recenter() {
    for (Vector3& p : positions) p -= boundCenter;
    boundCenter = Vector3{0.0f, 0.0f, 0.0f};
}

void RGeometry::computeBounds() {
    const int n = std::max(cornerCount, 0);
    if (n == 0) {
        boundCenter = Vector3{0.0f, 0.0f, 0.0f};
        boundRadius = 0.0f;
        return;
    }
    double sum[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < n; ++i) {
        const Vector3 p = cornerPosition(i);
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
    }
    boundCenter = Vector3{static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n), static_cast<float>(sum[2] / n)};
    float radius = 0.0f;
    for (int i = 0; i < n; ++i) radius = std::max(radius, (cornerPosition(i) - boundCenter).length());
    boundRadius = radius;
}

bool RGeometry::cornersEqualIgnoringUv(int i, int j) const {
    const Vector3 pi = cornerPosition(i), pj = cornerPosition(j);
    const Vector3 ni = cornerNormal(i), nj = cornerNormal(j);
    return pi.x == pj.x && pi.y == pj.y && pi.z == pj.z && ni.x == nj.x && ni.y == nj.y && ni.z == nj.z;
}

bool RGeometry::cornersEqual(int i, int j) const {
    const RUv a = cornerUv(i), b = cornerUv(j);
    return cornersEqualIgnoringUv(i, j) && a.u == b.u && a.v == b.v;
}

bool RGeometry::weld(bool twoUv) {
    vertices32.clear();
    vertices40.clear();
    indices.clear();
    uniqueVertexCount = 0;
    const int corners = std::max(cornerCount, 0);
    const bool withLightmap = twoUv && hasLightmapUv != 0;

    std::vector<RVertex40> unique;
    std::vector<int> cornerIndex(corners);
    WeldTable table(static_cast<size_t>(corners));
    for (int i = 0; i < corners; ++i) {
        const RUv t = cornerUv(i);
        RUv l{0.0f, 0.0f};
        if (withLightmap && i < static_cast<int>(lightmapUv.size())) l = lightmapUv[i];
        const RVertex40 vertex{cornerPosition(i), cornerNormal(i), t.u, -t.v, l.u, l.v};

        const uint64_t attributes = attributeKey(vertex);
        const Vector3& p = vertex.position;
        int best = -1;
        for (int64_t cx = cellOf(p.x - kReach), xEnd = cellOf(p.x + kReach); cx <= xEnd; ++cx) {
            for (int64_t cy = cellOf(p.y - kReach), yEnd = cellOf(p.y + kReach); cy <= yEnd; ++cy) {
                for (int64_t cz = cellOf(p.z - kReach), zEnd = cellOf(p.z + kReach); cz <= zEnd; ++cz) {
                    for (int k = table.first(cellKey(attributes, cx, cy, cz)); k >= 0; k = table.following(k)) {
                        if (best >= 0 && k >= best) break;
                        if (sameVertex(unique[k], vertex)) {
                            best = k;
                            break;
                        }
                    }
                }
            }
        }
        if (best < 0) {
            best = static_cast<int>(unique.size());
            unique.push_back(vertex);
            table.append(cellKey(attributes, cellOf(p.x), cellOf(p.y), cellOf(p.z)), best);
        }
        cornerIndex[i] = best;
    }

    if (unique.size() > static_cast<size_t>(kMaxUniqueVertices)) {
        printf("**** ERROR geometry %s needs %d unique vertices, more than %d ****\n", name.c_str(),
               static_cast<int>(unique.size()), kMaxUniqueVertices);
        return false;
    }
    indices.assign(cornerIndex.begin(), cornerIndex.end());
    uniqueVertexCount = static_cast<int>(unique.size());
    if (twoUv) {
        vertices40 = std::move(unique);
    } else {
        vertices32.reserve(unique.size());
        for (const RVertex40& v : unique) vertices32.push_back(RVertex32{v.position, v.normal, v.u, v.v});
    }
    return true;
}

void RGeometry::upload(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset) {
    if (uploaded || cornerCount <= 0) return;
    computeBounds();
    RDevice* d = device();

    if (vb == nullptr && ib == nullptr) {
        // A mesh drawn on its own: its own buffers in the one-UV layout.
        useTwoUv = false;
        if (!weld(false) || d == nullptr) return;
        vb = d->createVertexBuffer(static_cast<uint32_t>(uniqueVertexCount) * sizeof(RVertex32));
        if (vb == nullptr) {
            printf("error creating vertex buffer in %s\n", name.c_str());
            return;
        }
        vertexBuffer = vb;
        ownsBuffers = true;
        ib = d->createIndexBuffer(static_cast<uint32_t>(cornerCount) * 2u);
        if (ib == nullptr) {
            printf("error creating frame index buffer in %s\n", name.c_str());
            return;
        }
        printf("created index buffer for %d vertex\n", cornerCount);
        indexBuffer = ib;
        vertexOffset = 0;
        indexOffset = 0;
    } else {
        vertexBuffer = vb;
        indexBuffer = ib;
    }
    if (d == nullptr || vb == nullptr || ib == nullptr) return;

    // Welded in the layout it is about to be written in, or refused.
    const uint32_t stride = useTwoUv ? sizeof(RVertex40) : sizeof(RVertex32);
    const size_t layoutCount = useTwoUv ? vertices40.size() : vertices32.size();
    if (indices.size() != static_cast<size_t>(cornerCount) || layoutCount != static_cast<size_t>(uniqueVertexCount))
        return;

    baseVertex = vertexOffset;
    startIndex = indexOffset;
    const uint32_t vertexBytes = static_cast<uint32_t>(uniqueVertexCount) * stride;
    void* target = d->lockVertexBuffer(vb, static_cast<uint32_t>(baseVertex) * stride, vertexBytes);
    if (target == nullptr) {
        printf("Lock buffer failed in %s\n", name.c_str());
        return;
    }
    if (useTwoUv)
        std::memcpy(target, vertices40.data(), vertexBytes);
    else
        std::memcpy(target, vertices32.data(), vertexBytes);
    d->unlockVertexBuffer(vb);

    const uint32_t indexBytes = static_cast<uint32_t>(cornerCount) * 2u;
    target = d->lockIndexBuffer(ib, static_cast<uint32_t>(startIndex) * 2u, indexBytes);
    if (target == nullptr) {
        printf("Lock buffer failed in %s\n", name.c_str());
        return;
    }
    std::memcpy(target, indices.data(), indexBytes);
    d->unlockIndexBuffer(ib);
    uploaded = true;
}

void RGeometry::draw(bool applyMaterial) {
    if (applyMaterial && material != nullptr) material->apply();
    RDevice* d = device();
    if (uploaded && d != nullptr) {
        if (ownsBuffers) {
            d->setStreamSource(vertexBuffer, sizeof(RVertex32));
            engine->setVertexFormat(RVertexFormat::OneUv);
            d->setIndices(indexBuffer);
        }
        d->drawIndexedTriangles(baseVertex, 0, static_cast<uint32_t>(uniqueVertexCount),
                                static_cast<uint32_t>(startIndex), static_cast<uint32_t>(cornerCount / 3));
    }
    if (engine != nullptr) engine->addTriangles(cornerCount / 3);
}
