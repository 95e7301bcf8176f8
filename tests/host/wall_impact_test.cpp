// One brush with a wall at about 80 km/h is one impact: the car reports its
// damage while the hit sound is free, and a run without a sound file hears
// the same "free" as one with it, so the long contact gives a line or two,
// not one per step.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

TEST(WallImpact, OneBrushGivesOneToThreeDamageLines)
{
    TempDir dir;
    const std::filesystem::path script = dir / "wall.txt";
    std::ofstream(script) << "0 throttle 1\n3.2 shift up\n6.3 shift up\n8 steering 0.5\n10 steering 0\n";
    const VqsimResult r = runVqsim("drive --track strip --seconds 11 --quiet --script " + script.string() +
                                   " --run-dir " + (dir / "run").string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The car's lines reach the terminal or the run's console log.
    std::ifstream log(dir / "run" / "console.log");
    const std::string text = "\n" + r.output + std::string(std::istreambuf_iterator<char>(log), {});
    int lines = 0;
    for (size_t at = 0; (at = text.find("\nd=", at)) != std::string::npos; ++at) ++lines;
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, 3);
}
