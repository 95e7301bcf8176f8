#include <gtest/gtest.h>

#include <set>

#include "graphics/image.h"
#include "tests/support/run_vqsim.h"
#include "tests/support/temp_dir.h"

// The bundled car drawn by `vqsim inspect --png` from another folder: seen
// from outside (culling that hid its outer faces would leave mostly the
// dark inside), textured in the skin its cfg.ini names, and in another skin
// when asked.
TEST(ModelPictureTest, TheCarIsDrawnFromOutsideInItsSkin) {
    TempDir dir;
    struct { const char* options; bool red; } const cases[] = {{"", true}, {"--skin blue", false}};
    for (const auto& c : cases) {
        const std::string png = (dir / "car.png").string();
        const VqsimResult run = runVqsim("inspect " + std::string(SOLVI_DATA_DIR) + "/cars/solvi/solvi.ase --png " +
                                         png + " " + c.options, "cd " + dir.path().string() + " &&");
        if (run.exitCode != 0 && contains(run.output, "no picture")) GTEST_SKIP() << run.output;
        ASSERT_EQ(run.exitCode, 0) << run.output;
        RImage picture;
        ASSERT_TRUE(picture.loadPng(png));
        std::set<uint32_t> colours;
        int red = 0;
        const int pixels = picture.width * picture.height;
        for (int i = 0; i < pixels; ++i) {
            const uint8_t* p = &picture.pixels[static_cast<size_t>(i) * picture.bytesPerPixel];
            colours.insert(uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
            red += p[0] > 90 && p[0] > 1.6 * p[1] && p[0] > 1.6 * p[2];
        }
        EXPECT_GE(colours.size(), 32u) << c.options;
        EXPECT_EQ(red >= pixels / 50, c.red) << c.options << ": " << red << " red pixels of " << pixels;
    }
}
