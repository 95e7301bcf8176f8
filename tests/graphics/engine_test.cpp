#include "graphics/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/scene_frame.h"

namespace {

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

TEST(EngineTest, ConstructorPrintsBannerThenStartsTimer) {
    testing::internal::CaptureStdout();
    REngine* engine = new REngine();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kBanner) + "Init high performance timer...\n");
    EXPECT_GT(engine->system.getTimeMs(), 0u);
    testing::internal::CaptureStdout();
    delete engine;
    testing::internal::GetCapturedStdout();
}

TEST(EngineTest, CreateFrameAppendsOwnedFramesLinkedToEngine) {
    testing::internal::CaptureStdout();
    {
        REngine engine;
        CSceneFrame* a = engine.createFrame();
        CSceneFrame* b = engine.createFrame();
        EXPECT_NE(a, b);
        EXPECT_EQ(engine.frames, (std::vector<CSceneFrame*>{a, b}));
        EXPECT_EQ(a->engine, &engine);
        EXPECT_EQ(b->engine, &engine);
        EXPECT_EQ(a->parent, nullptr);
    }
    testing::internal::GetCapturedStdout();
}

TEST(EngineTest, DestructorReportsEachListInOrderAndDeletesFrames) {
    int deaths = 0;
    testing::internal::CaptureStdout();
    REngine* engine = new REngine();
    engine->createFrame();
    engine->frames.push_back(new CountedFrame(&deaths));
    engine->frames.push_back(new CountedFrame(&deaths));
    testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    delete engine;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Deleting texture\n"
              "Deleting frames\n"
              "Deleting geometries\n"
              "Deleting materials\n"
              "Deleting cameras\n"
              "Deleting device\n"
              "Deleting direct3d\n");
    EXPECT_EQ(deaths, 2);
}
