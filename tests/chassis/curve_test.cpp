// The lookup curve: sampling, resampling as the exported engine curves are
// made, and its text file (written byte for byte, read back through the
// configuration reader).

#include "chassis/curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

CCurve twoPoints() {
    CCurve c;
    c.addValue(0.0f, 10.0f);
    c.addValue(1000.0f, 250.0f);
    return c;
}

TEST(CurveTest, FlatBeyondEndsLinearBetweenExactOnPointsWhateverTheOrder) {
    CCurve c;
    c.addValue(0.0f, 10.0f);
    c.addValue(100.0f, 30.0f);
    c.addValue(300.0f, 10.0f);
    const float xy[][2] = {{-50, 10}, {1e9f, 10}, {0, 10}, {100, 30}, {300, 10}, {50, 20}, {200, 20}, {25, 15}};
    for (const auto& [x, y] : xy) EXPECT_FLOAT_EQ(c.getValue(x), y) << x;
    // One point, none, and points out of order.
    CCurve one;
    one.addValue(5.0f, 7.0f);
    for (float x : {-1e6f, 0.0f, 5.0f, 6.0f, 1e6f}) EXPECT_FLOAT_EQ(one.getValue(x), 7.0f) << x;
    EXPECT_FLOAT_EQ(CCurve().getValue(3.0f), 0.0f);
    // Nothing sorts: the walk takes the first X[i] >= x.
    CCurve unsorted;
    unsorted.addValue(0.0f, 0.0f);
    unsorted.addValue(10.0f, 100.0f);
    unsorted.addValue(5.0f, -100.0f);
    EXPECT_FLOAT_EQ(unsorted.getValue(5.0f), 50.0f);
    EXPECT_FLOAT_EQ(unsorted.getValue(20.0f), -100.0f);
}

TEST(CurveResampleTest, EngineExportGridASinglePrecisionRunningSumAndBadSteps) {
    CCurve c = twoPoints();
    c.resample(500.0f, 0.0f, 15000.0f);
    ASSERT_EQ(c.size(), 31u);
    ASSERT_EQ(c.Y.size(), 31u);
    for (std::size_t i = 0; i < c.size(); ++i) EXPECT_EQ(c.X[i], 500.0f * i);
    EXPECT_EQ(std::vector<float>({c.Y[0], c.Y[1], c.Y[2], c.Y[30]}), std::vector<float>({10, 130, 250, 250}));
    // 0.1f added ten times in float is 1.0000001 > 1, so the point at 1 is
    // not taken (a double or multiplied abscissa would take it).
    c = twoPoints();
    c.resample(0.1f, 0.0f, 1.0f);
    ASSERT_EQ(c.size(), 10u);
    float x = 0.0f;
    for (std::size_t i = 0; i < c.size(); ++i, x += 0.1f) EXPECT_EQ(c.X[i], x);

    // A step that is not positive leaves the curve alone.
    c = twoPoints();
    testing::internal::CaptureStdout();
    c.resample(0.0f, 0.0f, 10.0f);
    c.resample(-1.0f, 0.0f, 10.0f);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("not positive"), std::string::npos);
    EXPECT_EQ(c.size(), 2u);
    // A step too small to move the running sum stops instead of spinning.
    c.resample(1.0f, 1e9f, 2e9f);
    EXPECT_EQ(c.size(), 1u);
}

class CurveFileTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir / name; }
    std::string slurp(const std::string& name) const { return fileText(dir / name); }
    // Writes the bytes and loads them into a fresh curve.
    CCurve load(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        CCurve c;
        c.load(path(name));
        return c;
    }
    TempDir dir;
};

TEST_F(CurveFileTest, SaveWritesTheExactFormatAndLoadingKeepsSixDecimals) {
    twoPoints().save(path("c.vqcv"));
    EXPECT_EQ(slurp("c.vqcv"),
              "[HEADER]\nVALUES=2\n\n"
              "[VALUE0]\nX=0.000000\nY=10.000000\n\n"
              "[VALUE1]\nX=1000.000000\nY=250.000000\n\n");
    // Saving again truncates the old file.
    CCurve().save(path("c.vqcv"));
    EXPECT_EQ(slurp("c.vqcv"), "[HEADER]\nVALUES=0\n\n");
    // Into a missing folder nothing is written.
    twoPoints().save(path("no_folder/c.vqcv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no_folder"));
    // Saved and loaded back, six decimals are kept.
    CCurve c;
    c.addValue(-12.345678f, 0.001234f);
    c.addValue(7000.5f, 508.25f);
    c.addValue(15000.0f, -3.0f);
    c.save(path("r.exp"));
    CCurve back;
    back.addValue(1.0f, 1.0f);  // load replaces whatever was there
    back.load(path("r.exp"));
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(back.X[i], c.X[i], 1e-6 * std::max(1.0f, std::abs(c.X[i])));
        EXPECT_NEAR(back.Y[i], c.Y[i], 1e-6 * std::max(1.0f, std::abs(c.Y[i])));
    }
}

TEST_F(CurveFileTest, LoadsCrLfFileWithSectionsInAnyOrder) {
    const CCurve c = load("coast.vqcv",
                          "[HEADER]\r\nVALUES=3\r\n\r\n"
                          "[VALUE2]\r\nX=7000.0\r\nY=-40.0\r\n\r\n"
                          "[VALUE0]\r\nX=0.0\r\nY=0.0\r\n\r\n"
                          "[VALUE1]\r\nX=1000.0\r\nY=-5.5\r\n\r\n");
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c.X, (std::vector<float>{0.0f, 1000.0f, 7000.0f}));
    EXPECT_EQ(c.Y, (std::vector<float>{0.0f, -5.5f, -40.0f}));
}

}  // namespace
