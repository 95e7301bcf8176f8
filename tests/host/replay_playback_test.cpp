// vqsim drive --replay and vqsim inspect for replays and setups, as a user
// runs them: a recorded drive played back from a copy, the source untouched.

#include <cstdint>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The first whole number after `pattern` (a regex with one group), or -1.
long firstNumber(const std::string& text, const std::string& pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? std::stol(m[1].str()) : -1;
}

}  // namespace

TEST(ReplayPlayback, PlaysADriveBackFromACopyAndInspectCountsTheSameFrames) {
    TempDir dir;
    const fs::path a = dir / "A", b = dir / "B";
    const VqsimResult drive = runVqsim("drive --seconds 15 --quiet --run-dir " + a.string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(drive.exitCode, 0) << drive.output;
    const fs::path source = a / "replay/cr";
    const std::string before = fileText(source);
    ASSERT_GT(before.size(), 372u);

    // The source's own run directory is refused, and nothing is written.
    const VqsimResult same = runVqsim("drive --replay " + source.string() + " --run-dir " + a.string() +
                                 " --data " SOLVI_DATA_DIR);
    EXPECT_EQ(same.exitCode, 1) << same.output;
    EXPECT_NE(same.output.find("lies in the run directory"), std::string::npos) << same.output;

    const VqsimResult play = runVqsim("drive --replay " + source.string() + " --run-dir " + b.string() +
                                 " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(play.exitCode, 0) << play.output;
    const long frames = firstNumber(play.output, R"(replay cr\.replay: (\d+) frames)");
    EXPECT_NEAR(frames, 454, 5) << play.output;  // 15 s at one frame every 0.033 s
    EXPECT_NE(play.output.find("lap times: none completed"), std::string::npos) << play.output;
    EXPECT_EQ(play.output.find("stepPhysics"), std::string::npos);
    EXPECT_EQ(fileText(source), before) << "the source replay was changed";
    EXPECT_EQ(fileText(b / "replay/cr.replay"), before) << "the copy differs from the source";
    // The car wrote its own replay on unload, beside the untouched copy.
    EXPECT_TRUE(fs::exists(b / "replay/cr"));

    const VqsimResult inspect = runVqsim("inspect " + source.string() + " --json");
    ASSERT_EQ(inspect.exitCode, 0) << inspect.output;
    EXPECT_EQ(firstNumber(inspect.output, R"("frames": (\d+))"), frames) << inspect.output;
    EXPECT_EQ(firstNumber(inspect.output, R"("frames_counted": (\d+))"), frames) << inspect.output;
    EXPECT_EQ(inspect.output.find("problems"), std::string::npos) << inspect.output;
}

TEST(ReplayPlayback, ShowsTheLapTimesOfTheDriveItRecorded) {
    TempDir dir;
    const VqsimResult drive = runVqsim("drive --laps 1 --quiet --run-dir " + (dir / "a").string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(drive.exitCode, 0) << drive.output;
    const size_t lap = drive.output.find("lap 1: ");
    ASSERT_NE(lap, std::string::npos) << drive.output;
    const std::string time = drive.output.substr(lap + 7, drive.output.find('\n', lap) - lap - 7);

    const VqsimResult play = runVqsim("drive --replay " + (dir / "a/replay/cr").string() + " --run-dir " +
                                 (dir / "b").string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(play.exitCode, 0) << play.output;
    EXPECT_NE(play.output.find("replay lap 1: " + time), std::string::npos) << time << "\n" << play.output;
}

TEST(ReplayPlayback, InspectReportsBothSetupLayoutsAndTheCarsOwnRecord) {
    TempDir dir;
    fs::create_directories(dir / "setups");
    // The current layout: the 666 marker, 46 fields, the shift speed.
    std::vector<uint8_t> bytes;
    auto put = [&](const void* v) { bytes.insert(bytes.end(), (const uint8_t*)v, (const uint8_t*)v + 4); };
    const int32_t marker = 666, shift = 2;
    put(&marker);
    const float bias = 62.5f;
    put(&bias);
    for (int i = 1; i < 46; ++i) {
        const int32_t v = 100 + i;
        put(&v);
    }
    put(&shift);
    ASSERT_EQ(bytes.size(), 192u);
    std::ofstream(dir / "setups/race", std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());

    const VqsimResult r = runVqsim("inspect " + (dir / "setups/race").string());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const char* line : {"layout: current, 192 bytes, marked 666", "brake_bias_percent: 62.5",
                             "extension_settings[0]: 105", "gear_count: 114", "shift_speed: 2"})
        EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;

    // Cut to 100 bytes: no layout fits.
    std::ofstream(dir / "short.vqs", std::ios::binary).write((const char*)bytes.data(), 100);
    EXPECT_EQ(runVqsim("inspect " + (dir / "short.vqs").string()).exitCode, 1);

    const VqsimResult own = runVqsim("inspect " SOLVI_DATA_DIR "/cars/solvi/setup/default.vqs --json");
    ASSERT_EQ(own.exitCode, 0) << own.output;
    EXPECT_NE(own.output.find("\"int_value\": 0"), std::string::npos) << own.output;
    EXPECT_NE(own.output.find("\"float_value\": 0"), std::string::npos) << own.output;
}
