// One brush with a wall at about 80 km/h is one impact: the car reports its
// damage while the hit sound is free, and a run without a sound file hears
// the same "free" as one with it, so the long contact gives a line or two,
// not one per step, and the car is not wrecked by it: it drives away.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

TEST(WallImpact, OneBrushGivesOneToThreeDamageLinesAndTheCarDrivesAway) {
    TempDir dir;
    const std::filesystem::path script = dir / "wall.txt", run = dir / "run";
    std::ofstream(script) << "0 throttle 1\n3.2 shift up\n6.3 shift up\n8 steering 0.5\n10 steering 0\n"
                             "10 throttle 0\n12 steering -0.2\n12 throttle 1\n13 steering 0\n";
    const VqsimResult r = runVqsim("drive --track strip --seconds 25 --quiet --script " + script.string() +
                                   " --run-dir " + run.string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    // The car's lines reach the terminal or the run's console log.
    const std::string text = "\n" + r.output + fileText(run / "console.log");
    int lines = 0;
    for (size_t at = 0; (at = text.find("\nd=", at)) != std::string::npos; ++at) ++lines;
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, 3);

    // Columns: time_s, distance_m, x_m, y_m, z_m, speed_kmh, ...
    const std::vector<double> time = telemetryColumn(run / "telemetry.csv", 1);
    const std::vector<double> speed = telemetryColumn(run / "telemetry.csv", 6);
    double fastestLate = 0;
    for (size_t i = 0; i < time.size(); ++i)
        if (time[i] >= 20.0) fastestLate = std::max(fastestLate, speed[i]);
    EXPECT_GE(fastestLate, 20.0);
}
