#include "system/system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace {

// A scratch directory with one readable file.
class SystemFiles : public testing::Test {
protected:
    void SetUp() override { std::ofstream(file) << "x"; }
    TempDir temp;
    std::string dir = temp.path().string(), file = dir + "/present.bin";
    RSystem sys;
};

}  // namespace

TEST(SystemTimerTest, DivisorsAreTruncatedFrequencyFractionsAndClocksAdvance) {
    RSystem native, slow;
    EXPECT_EQ(native.getTimeMs(), 0u);  // no divisor yet: no division by zero
    testing::internal::CaptureStdout();
    native.initTimer();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Init high performance timer...\n");
    EXPECT_EQ(native.ticksPerMs, 1000000u);
    EXPECT_EQ(native.ticksPer10Us, 10000u);

    testing::internal::CaptureStdout();
    slow.initTimer(3579545);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(slow.ticksPerMs, 3579u);
    EXPECT_EQ(slow.ticksPer10Us, 35u);
    // The truncated divisor makes that clock run 0.015 % fast.
    const uint64_t before = native.getTimeMs();
    const uint64_t fast = slow.getTimeMs();
    const uint64_t after = native.getTimeMs();
    EXPECT_GE(fast, before);
    EXPECT_LE(fast, static_cast<uint64_t>(after * (3579545.0 / 3579000.0)) + 1);
    // The millisecond and 10-microsecond clocks agree.
    const uint64_t ms1 = native.getTimeMs(), t10 = native.getTime10Us(), ms2 = native.getTimeMs();
    EXPECT_LE(ms1, t10 / 100);
    EXPECT_LE(t10 / 100, ms2);
}

TEST_F(SystemFiles, FileExistsOnlyForReadableRegularFiles) {
    EXPECT_TRUE(sys.fileExists(file));
    testing::internal::CaptureStdout();
    sys.autoCheckFile(file);  // silent when present
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(sys.fileExists(dir));
    EXPECT_FALSE(sys.fileExists(dir + "/absent.bin"));
    EXPECT_FALSE(sys.fileExists(""));
    if (geteuid() != 0) {  // root reads anything
        chmod(file.c_str(), 0);
        EXPECT_FALSE(sys.fileExists(file));
        chmod(file.c_str(), 0644);
    }
}

TEST_F(SystemFiles, AutoCheckFileEndsProcessWhenMissing) {
    const std::string missing = dir + "/absent.tga";
    // The message goes to standard output; check it in a child with stdout
    // pointed at stderr, where the death test looks.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            sys.autoCheckFile(missing);
        },
        testing::ExitedWithCode(0), "RSystem::autoCheckFile : file not found " + missing + "\n");
}

TEST(SystemInputTest, NothingDownUntilAWindowSuppliesInputNothingWrittenUntilAConsoleOpens) {
    RSystem sys;
    bool left = true, right = true;
    int x = 7, y = 7;
    EXPECT_FALSE(sys.isKeyDown('A'));
    sys.getMouseButtons(left, right);
    EXPECT_FALSE(left || right);
    sys.getCursorPos(x, y);
    EXPECT_EQ(x + y, 0);
    // The console writes only once it is open.
    testing::internal::CaptureStdout();
    sys.writeConsole("lost\n");
    printf("first ");
    sys.openConsole();
    sys.writeConsole(std::string("lap 1\0b\n", 8));
    sys.writeConsole("");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("first lap 1\0b\n", 14));
}

TEST(SystemRandomTest, UnitRangeIsClosed) {
    EXPECT_EQ(RSystem::unitFromRand(32767), 1.0);
    EXPECT_EQ(RSystem::unitFromRand(0), 0.0);
    EXPECT_NEAR(RSystem::unitFromRand(16383), 0.5 - 0.5 / 32767, 1e-7);
}
