// One brush with a wall at about 80 km/h is one impact: the car reports its
// damage while the hit sound is free, and a run without a sound file hears
// the same "free" as one with it, so the long contact gives a line or two,
// not one per step, and the car is not wrecked by it: it drives away.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

TEST(WallImpact, OneBrushGivesOneToThreeDamageLinesAndTheCarDrivesAway)
{
    TempDir dir;
    const std::filesystem::path script = dir / "wall.txt", run = dir / "run";
    std::ofstream(script) << "0 throttle 1\n3.2 shift up\n6.3 shift up\n8 steering 0.5\n10 steering 0\n"
                             "10 throttle 0\n12 steering -0.2\n12 throttle 1\n13 steering 0\n";
    const VqsimResult r = runVqsim("drive --track strip --seconds 25 --quiet --script " + script.string() +
                                   " --run-dir " + run.string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The car's lines reach the terminal or the run's console log.
    std::ifstream log(run / "console.log");
    const std::string text = "\n" + r.output + std::string(std::istreambuf_iterator<char>(log), {});
    int lines = 0;
    for (size_t at = 0; (at = text.find("\nd=", at)) != std::string::npos; ++at) ++lines;
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, 3);

    // Columns: time_s, distance_m, x_m, y_m, z_m, speed_kmh, ...
    std::ifstream csv(run / "telemetry.csv");
    std::string row;
    std::getline(csv, row);
    double fastestLate = 0;
    while (std::getline(csv, row)) {
        std::istringstream cells(row);
        double time = 0, speed = 0;
        std::string cell;
        for (int c = 0; c < 6 && std::getline(cells, cell, ','); ++c) {
            if (c == 0) time = std::stod(cell);
            if (c == 5) speed = std::stod(cell);
        }
        if (time >= 20.0) fastestLate = std::max(fastestLate, speed);
    }
    EXPECT_GE(fastestLate, 20.0);
}
