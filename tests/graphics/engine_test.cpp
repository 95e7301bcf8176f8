#include "graphics/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/camera.h"
#include "graphics/light.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"
#include "graphics_rig.h"

namespace {

using Call = RecordingDevice::Call;

// Milliseconds set by the test, advancing by `step` on every read so that
// a waiting loop comes to an end.
struct TestClock : RClockSource {
    uint64_t ms = 0;
    uint64_t step = 0;
    int reads = 0;
    uint64_t nowNanoseconds() override {
        ++reads;
        const uint64_t now = ms;
        ms += step;
        return now * 1000000ull;
    }
};

const char kBanner[] =
    "***************************************************************\n"
    "* NOCTURA GAME GRAPHICS ENGINE v0.1                           *\n"
    "* D3D Win32 Version                                        *\n"
    "***************************************************************\n\n\n";

// Counts its own destruction so the engine's ownership shows.
struct CountedFrame : CSceneFrame {
    int* deaths;
    explicit CountedFrame(int* d) : deaths(d) {}
    ~CountedFrame() override { ++*deaths; }
};

}  // namespace

// The banner, the timer, the frames the engine owns and the lists its
// destructor reports, in order.
TEST(EngineTest, OwnsItsFramesFromBannerToFarewell) {
    int deaths = 0;
    testing::internal::CaptureStdout();
    REngine* engine = new REngine();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kBanner) + "Init high performance timer...\n");
    EXPECT_GT(engine->system.getTimeMs(), 0u);
    CSceneFrame* a = engine->createFrame();
    EXPECT_EQ(engine->frames, (std::vector<CSceneFrame*>{a}));
    EXPECT_EQ(a->engine, engine);
    EXPECT_EQ(a->parent, nullptr);
    engine->frames.push_back(new CountedFrame(&deaths));
    engine->frames.push_back(new CountedFrame(&deaths));
    testing::internal::CaptureStdout();
    delete engine;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Deleting texture\nDeleting frames\nDeleting geometries\nDeleting materials\nDeleting cameras\n"
              "Deleting device\nDeleting direct3d\n");
    EXPECT_EQ(deaths, 2);
}

TEST(EngineFrameTest, TimeScaleFollowsTheFrameTimeAndTheLimiterHoldsFramesTo33Ms) {
    GraphicsRig rig;
    REngine& e = rig.e();
    TestClock clock;
    e.system.setClockSource(&clock);
    e.lastFrameMs = e.lastFpsMs = 1000;
    auto frameAt = [&](uint64_t ms) {
        clock.ms = ms;
        e.beginFrame();
        e.endFrame();
    };
    frameAt(1200);
    EXPECT_EQ(e.timeScale, 5.0f);  // clamped
    EXPECT_EQ(e.frameTime100, 606);
    frameAt(1233);
    EXPECT_NEAR(e.timeScale, 0.99999f, 1e-4f);

    e.setFrameLimiter(true);
    clock.step = 1;
    clock.reads = 0;
    frameAt(1243);  // 10 ms after the last frame: waits, re-reading the clock
    EXPECT_EQ(e.frameTimeMs, 33);
    EXPECT_EQ(e.timeScale, 1.0f);
    EXPECT_EQ(e.frameTime100, 30);  // measured before the wait
    EXPECT_EQ(clock.reads, 24);
    e.setFrameLimiter(false);
    clock.step = 0;

    e.addTriangles(12);
    clock.ms = 1990;
    e.markSectionStart();
    clock.ms = 1998;
    e.markSectionEnd();
    EXPECT_EQ(e.fps, 0);
    frameAt(2000);  // a second after counting began, with three frames in it
    EXPECT_EQ(e.fps, 3);
    EXPECT_EQ(e.trianglesLastFrame, 12);
    EXPECT_EQ(e.triangleCounter, 0);
    frameAt(2040);
    EXPECT_EQ(e.sectionPercent, 20.0f);  // 8 of 40 ms
    EXPECT_EQ(rig.device.calls(Call::BeginScene), 5);
    e.system.setClockSource(nullptr);
}

TEST(EngineStateTest, AmbientVertexFormatCacheAlphaTestStageCacheMatrixStackAndDepthOffset) {
    GraphicsRig rig;
    REngine& e = rig.e();
    RecordingDevice& d = rig.device;
    e.setAmbient(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(d.renderState(RRenderState::Ambient), 0xFFFF7F00u);

    e.setVertexFormat(RVertexFormat::TwoUv);
    e.setVertexFormat(RVertexFormat::TwoUv);
    EXPECT_EQ(d.calls(Call::SetVertexFormat), 1);
    e.setDefaultVertexFormat();
    e.setDefaultVertexFormat();  // bypasses the cache
    e.setVertexFormat(RVertexFormat::OneUv);
    EXPECT_EQ(d.calls(Call::SetVertexFormat), 3);

    e.setAlphaTest(true, 100.7f);
    EXPECT_EQ(d.renderState(RRenderState::AlphaFunc), deviceValue(RCompare::Greater));
    EXPECT_EQ(d.renderState(RRenderState::AlphaRef), 100u);
    e.setAlphaTest(false, 5.0f);
    EXPECT_EQ(d.renderState(RRenderState::AlphaTestEnable), 0u);
    EXPECT_EQ(d.renderState(RRenderState::AlphaRef), 100u);

    RTexture t;
    t.engine = &e;
    t.bind();
    t.bind();  // cached
    e.unbindTextures(false);
    e.unbindTextures(false);  // nothing left to unbind
    EXPECT_EQ(d.calls(Call::SetTexture), 2);

    Matrix4 a;
    a.setPosition(1, 0, 0);
    e.matrixStack.push();
    e.matrixStack.multiplyLocal(a);
    e.matrixStack.multiplyLocal(Matrix4::rotationY(1.5707964f));  // acts first
    const Vector3 p = e.matrixStack.top().transformPoint({0, 0, 1});
    EXPECT_NEAR(p.x, 2.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
    e.resetTransforms();
    e.matrixStack.pop();  // the last entry stays
    EXPECT_EQ(e.matrixStack.depth(), 1);

    auto depthTerm = [&] { return rig.device.transform(RTransform::Projection).at(2, 2); };
    e.setDepthOffset(0.0f, 1.0f);  // built-in camera: far 100, near 1
    EXPECT_NEAR(depthTerm(), 100.0f / 99.0f, 1e-6f);
    e.currentCamera = e.createCamera();
    e.currentCamera->farPlane = 50.0f;
    e.setDepthOffset(2.0f, 0.5f);
    EXPECT_NEAR(depthTerm(), 50.0f / 49.0f * (1.0f - 50.0f / (51.0f * 2.5f * 2.0f)), 1e-6f);
}

// Running without a device: a mesh's upload and draw in geometry_test.
TEST(EngineObjectsTest, LightZero) {
    GraphicsRig rig;
    rig.e().createLight()->apply();
    EXPECT_NEAR(rig.device.lights[0].direction.y, -1.0f / std::sqrt(1.5f), 1e-6f);
    EXPECT_TRUE(rig.device.lightEnabled[0]);
    EXPECT_TRUE(rig.e().materials.empty());  // the default material is not in the list
}

namespace {

// A platform that offers only the depth formats it is given.
struct FakeFactory : RDeviceFactory {
    std::vector<RDepthFormat> usable;
    bool interface = true;
    RecordingDevice device;
    bool createInterface() override { return interface; }
    bool readDisplayMode() override { return true; }
    bool hardwareTnL() override { return false; }
    bool depthFormatUsable(RDepthFormat f) override {
        return std::find(usable.begin(), usable.end(), f) != usable.end();
    }
    RDevice* createDevice(void*, RDepthFormat, bool, int& w, int& h) override {
        w = 640, h = 480;
        return &device;
    }
};

std::string initLines(FakeFactory& factory, bool& made) {
    GraphicsRig rig(false);
    rig.e().deviceFactory = &factory;
    testing::internal::CaptureStdout();
    made = rig.e().init(nullptr, nullptr);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(EngineInitTest, DeviceLinesNameTheFirstUsableDepthFormatAndAFailureLeavesNoDevice) {
    FakeFactory only24S8;
    only24S8.usable = {RDepthFormat::D24S8, RDepthFormat::D16};
    bool made = false;
    EXPECT_EQ(initLines(only24S8, made),
              "initDirect3D()\ncreating direct3d object\ngetting display adapter mode\nno TnL\n"
              "creating device 24S8depth\ncreating matrix stack\n");
    EXPECT_TRUE(made);

    FakeFactory none;
    none.interface = false;
    EXPECT_EQ(initLines(none, made), "initDirect3D()\ncreating direct3d object\n");
    EXPECT_FALSE(made);
}
