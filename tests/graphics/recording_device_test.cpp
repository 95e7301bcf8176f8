#include "graphics/recording_device.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(RecordingDeviceTest, LocksStayInsideTheBufferAndDrawsInsideTheBoundBuffers) {
    RecordingDevice device;
    RDeviceVertexBuffer* vb = device.createVertexBuffer(4 * 32);
    RDeviceIndexBuffer* ib = device.createIndexBuffer(3 * 2);
    EXPECT_EQ(device.createVertexBuffer(0), nullptr);
    uint8_t* whole = static_cast<uint8_t*>(device.lockVertexBuffer(vb, 0, 128));
    EXPECT_EQ(device.lockVertexBuffer(vb, 0, 4), nullptr);  // still locked
    device.unlockVertexBuffer(vb);
    EXPECT_EQ(device.lockVertexBuffer(vb, 124, 4), whole + 124);
    device.unlockVertexBuffer(vb);
    EXPECT_EQ(device.lockVertexBuffer(vb, 124, 8), nullptr);           // past the end
    EXPECT_EQ(device.lockVertexBuffer(vb, 0xFFFFFFF0u, 32), nullptr);  // wraps in 32 bits
    EXPECT_EQ(device.lockIndexBuffer(reinterpret_cast<RDeviceIndexBuffer*>(vb), 0, 4), nullptr);
    EXPECT_EQ(device.misuseCount, 4);

    const uint16_t indices[3] = {0, 1, 3};
    std::memcpy(device.lockIndexBuffer(ib, 0, 6), indices, 6);
    device.unlockIndexBuffer(ib);
    device.setStreamSource(vb, 32);
    device.setIndices(ib);
    device.beginScene();
    device.drawIndexedTriangles(0, 0, 4, 0, 1);
    device.drawIndexedTriangles(1, 0, 4, 0, 1);  // index 3 reaches vertex 4 of 0..3
    device.endScene();
    EXPECT_TRUE(device.draws[0].inBounds);
    EXPECT_FALSE(device.draws[1].inBounds);

    device.releaseVertexBuffer(vb);
    EXPECT_EQ(device.lockVertexBuffer(vb, 0, 4), nullptr);
    EXPECT_EQ(device.liveBufferCount(), 1);
}
