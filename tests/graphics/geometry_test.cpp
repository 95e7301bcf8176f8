#include "graphics/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/material.h"
#include "graphics_rig.h"

using Call = RecordingDevice::Call;

TEST(GeometryWeldTest, OnlyCornersCloserThanATenthOfAMillimetreMergeWithTheFirstNotTheNearest) {
    GraphicsRig rig;
    auto unique = [&](Vector3 second) {
        RGeometry* g = makeMesh(rig.e(), {{1, 2, 3}, {1, 2, 3}, second});
        g->weld(false);
        return g->uniqueVertexCount;
    };
    EXPECT_EQ(unique({1.00005f, 2, 3}), 1);
    EXPECT_EQ(unique({1, 2.00003f, 3.00004f}), 1);  // 0.00005 along a diagonal
    EXPECT_EQ(unique({1.0002f, 2, 3}), 2);
    EXPECT_EQ(unique({1, 2, 2.9998f}), 2);
    // 0 at x = 0, 1 at x = 0.00015 (too far from 0), then 0.00008: within
    // reach of both, it takes vertex 0; 0.00014 takes 1.
    RGeometry g;
    g.allocPositions(4);
    g.allocNormals(4);
    g.positions = {{0, 0, 0}, {0.00015f, 0, 0}, {0.00008f, 0, 0}, {0.00014f, 0, 0}};
    ASSERT_TRUE(g.weld(false));
    EXPECT_EQ(g.indices, (std::vector<uint16_t>{0, 1, 0, 1}));
    // Coordinates too large for float to hold points 0.0001 apart weld
    // only when identical; infinities and NaN never weld.
    g.positions = {{4096, 0, 0}, {4096.0005f, 0, 0}, {INFINITY, 0, 0}, {NAN, 0, 0}};
    ASSERT_TRUE(g.weld(false));
    EXPECT_EQ(g.uniqueVertexCount, 4);
}

TEST(GeometryWeldTest, NormalAndUvMustMatchExactlyButTheLightmapDoesNot) {
    GraphicsRig rig;
    RGeometry* g = makeMesh(rig.e(), {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
                            {{0.5f, 0.0f}, {0.5f, -0.0f}, {0.5f, 0.25f}, {0.5f, 0.0f}},
                            {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 0.99999f, 0}});
    g->allocLightmapUv(4);
    for (int i = 0; i < 4; ++i) g->setLightmapUv(i, 0.1f * (i + 1), 0.9f);
    ASSERT_TRUE(g->weld(true));
    // Corner 1 differs only in the sign of a zero; 2 has another uv, 3
    // another normal; the lightmap coordinate is never compared.
    EXPECT_EQ(g->indices, (std::vector<uint16_t>{0, 0, 1, 2}));
    ASSERT_EQ(g->vertices40.size(), 3u);
    EXPECT_FLOAT_EQ(g->vertices40[0].lightmapU, 0.1f);  // the first one's wins
    EXPECT_FLOAT_EQ(g->vertices40[0].lightmapV, 0.9f);  // not negated
    EXPECT_FLOAT_EQ(g->vertices40[1].v, -0.25f);        // the uv's v is
}

TEST(GeometryWeldTest, MoreUniqueVerticesThanSixteenBitIndicesHoldIsRefused) {
    GraphicsRig rig;
    RGeometry* g = rig.e().createGeometry();
    g->name = "grid";
    const int n = 65537;
    g->allocPositions(n);
    for (int i = 0; i < n; ++i) g->positions[i] = Vector3{0.01f * (i % 300), 0.01f * (i / 300), 0};
    testing::internal::CaptureStdout();
    g->upload(nullptr, 0, nullptr, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "**** ERROR geometry grid needs 65537 unique vertices, more than 65536 ****\n");
    EXPECT_TRUE(g->indices.empty());
    EXPECT_FALSE(g->uploaded);
    EXPECT_EQ(rig.device.calls(Call::CreateVertexBuffer), 0);

    g->positions[n - 1] = g->positions[0];  // exactly the limit
    EXPECT_TRUE(g->weld(false));
    EXPECT_EQ(g->indices[n - 2], 65535);
}

TEST(GeometryTest, TrianglesBoundsAndCornerEquality) {
    GraphicsRig rig;
    RGeometry* g = rig.e().createGeometry();
    g->allocPositions(6);
    const float t1[9] = {0, 0, 0, 2, 0, 0, 0, 2, 0};
    const float t2[9] = {2, 2, 0, 2, 2, 2, 0, 0, 2};
    for (const float* t : {t1, t2, t1}) g->addTriangle(t);  // the third has no room
    EXPECT_EQ(g->addCursor, 6);
    g->computeBounds();
    EXPECT_FLOAT_EQ(g->boundCenter.z, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(g->boundRadius, (Vector3{1, 1, 4.0f / 3.0f}).length());
    g->recenter();
    EXPECT_FLOAT_EQ(g->positions[1].x, 1.0f);

    RGeometry* h = makeMesh(rig.e(), {{1, 1, 1}, {1, 1, 1}, {1, 1, 1.00001f}}, {{0, 0}, {0, 1}, {0, 0}});
    EXPECT_FALSE(h->cornersEqual(0, 1));
    EXPECT_TRUE(h->cornersEqualIgnoringUv(0, 1));
    EXPECT_FALSE(h->cornersEqualIgnoringUv(0, 2));  // exact, no tolerance
}

TEST(GeometryUploadTest, OwnBuffersHoldTheWeldedMeshAndDrawIt) {
    GraphicsRig rig;
    RGeometry* quad = makeQuad(rig.e(), {0, 0, 5});
    quad->setMaterial(rig.e().createMaterial());
    testing::internal::CaptureStdout();
    quad->upload(nullptr, 0, nullptr, 0);
    quad->upload(nullptr, 0, nullptr, 0);  // once only
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "created index buffer for 6 vertex\n");
    ASSERT_TRUE(quad->uploaded);
    EXPECT_FLOAT_EQ(quad->boundCenter.z, 5.5f);
    ASSERT_EQ(rig.device.contents(quad->vertexBuffer)->size(), 4u * 32u);
    EXPECT_EQ(std::memcmp(rig.device.contents(quad->vertexBuffer)->data(), quad->vertices32.data(), 128), 0);
    EXPECT_EQ(quad->indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));  // welded to four corners
    EXPECT_EQ(quad->vertices32[3].v, -1.0f);                                // v is stored negated
    EXPECT_EQ(indicesIn(rig.device, quad->indexBuffer), quad->indices);

    rig.e().beginFrame();
    quad->draw(true);
    quad->draw(false);
    rig.e().endFrame();
    ASSERT_EQ(rig.device.draws.size(), 2u);
    const RecordingDevice::Draw& d = rig.device.draws[0];
    EXPECT_EQ(d.stride, 32u);
    EXPECT_EQ(d.vertexCount, 4u);
    EXPECT_EQ(d.primitiveCount, 2u);
    EXPECT_EQ(rig.device.calls(Call::SetVertexFormat), 1);  // cached the second time
    EXPECT_EQ(rig.e().triangleCounter, 4);
    EXPECT_EQ(rig.device.misuseCount, 0);
    rig.close();
    EXPECT_EQ(rig.device.liveBufferCount(), 0);
}

TEST(GeometryUploadTest, DeviceFailuresAreReportedAndLeaveNothingToDraw) {
    GraphicsRig rig;
    auto attempt = [&](bool& failure, const char* name) {
        RGeometry* g = makeQuad(rig.e());
        g->name = name;
        failure = true;
        testing::internal::CaptureStdout();
        g->upload(nullptr, 0, nullptr, 0);
        failure = false;
        EXPECT_FALSE(g->uploaded) << name;
        return testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ(attempt(rig.device.failVertexBufferCreation, "a"), "error creating vertex buffer in a\n");
    EXPECT_EQ(attempt(rig.device.failIndexBufferCreation, "b"), "error creating frame index buffer in b\n");
    EXPECT_EQ(attempt(rig.device.failLocks, "c"), "created index buffer for 6 vertex\nLock buffer failed in c\n");

    GraphicsRig headless(false);  // no device: triangles are counted, nothing drawn
    RGeometry* g = makeQuad(headless.e());
    g->upload(nullptr, 0, nullptr, 0);
    g->draw(true);
    EXPECT_EQ(headless.e().triangleCounter, 2);
    EXPECT_EQ(headless.device.totalCalls(), 0);
}
