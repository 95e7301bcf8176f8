#pragma once
// A graphics engine drawing into a RecordingDevice, with the engine's own
// banner and farewell kept out of the test output, and small mesh builders.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/recording_device.h"

struct GraphicsRig {
    RecordingDevice device;  // outlives the engine: meshes release into it
    std::unique_ptr<REngine> engine;

    explicit GraphicsRig(bool withDevice = true) {
        testing::internal::CaptureStdout();
        engine = std::make_unique<REngine>();
        testing::internal::GetCapturedStdout();
        if (withDevice) engine->setDevice(&device);
        device.resetCounts();
    }
    ~GraphicsRig() { close(); }
    void close() {
        testing::internal::CaptureStdout();
        engine.reset();
        testing::internal::GetCapturedStdout();
    }
    REngine& e() { return *engine; }
};

// An engine-owned mesh, normals +Y unless given.
inline RGeometry* makeMesh(REngine& engine, const std::vector<Vector3>& corners, const std::vector<RUv>& uvs = {},
                           const std::vector<Vector3>& normals = {}) {
    RGeometry* g = engine.createGeometry();
    const int n = static_cast<int>(corners.size());
    g->allocPositions(n);
    g->positions = corners;
    g->allocNormals(n);
    g->allocUv(uvs.empty() ? 0 : n);
    for (int i = 0; i < n; ++i) {
        g->normals[i] = normals.empty() ? Vector3{0, 1, 0} : normals[i];
        if (!uvs.empty()) g->setUv(i, uvs[i].u, uvs[i].v);
    }
    return g;
}

// Two triangles sharing an edge, 1 m square in x and z, corner at `at`.
inline RGeometry* makeQuad(REngine& engine, Vector3 at = {0, 0, 0}) {
    const Vector3 a = at, b = at + Vector3{1, 0, 0}, c = at + Vector3{0, 0, 1}, d = at + Vector3{1, 0, 1};
    return makeMesh(engine, {a, b, c, c, b, d}, {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}});
}

inline std::vector<uint16_t> indicesIn(const RecordingDevice& device, const RDeviceIndexBuffer* ib) {
    const std::vector<uint8_t>* bytes = device.contents(ib);
    std::vector<uint16_t> out(bytes ? bytes->size() / 2 : 0);
    if (bytes) std::memcpy(out.data(), bytes->data(), out.size() * 2);
    return out;
}
