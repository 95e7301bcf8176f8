// A car with an empty tank on the flat strip: the engine gives nothing and
// nothing else may push it. At rest it stays at rest; rolling, it slows to a
// stop, and the drive ends 10 s after it stopped, as "out of fuel", exit 3.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

TEST(OutOfFuel, AnEmptyCarStaysAtRestAndARollingOneSlowsToAStop) {
    TempDir dir;
    // Full throttle in first gear from 3.5 s, held to the end: only fuel moves the car.
    std::ofstream(dir / "go.txt") << "3.5 shift up\n3.6 throttle 1\n";
    const struct {
        const char* fuel;
        double topAbove;  // km/h the car reaches before the tank is dry
    } cases[] = {{"0", -1.0}, {"0.03", 40.0}};
    for (const auto& c : cases) {
        const fs::path summary = dir / "s.json";
        const VqsimResult r = runVqsim("drive --track strip --seconds 300 --quiet --fuel " + std::string(c.fuel) +
                                       " --script " + (dir / "go.txt").string() + " --run-dir " +
                                       (dir / "run").string() + " --data " SOLVI_DATA_DIR " --summary " +
                                       summary.string());
        EXPECT_EQ(r.exitCode, 3) << r.output;
        EXPECT_TRUE(contains(fileText(summary), "\"ended\": \"out of fuel\"")) << fileText(summary);
        const std::vector<double> v = telemetryColumn(dir / "run/telemetry.csv", 6);  // km/h
        const std::vector<double> metres = telemetryColumn(dir / "run/telemetry.csv", 2);
        ASSERT_GT(v.size(), 10u * 30u);
        const double top = *std::max_element(v.begin(), v.end());
        if (c.topAbove < 0) {
            // Once it has settled on its springs (2 s), it does not move.
            EXPECT_LT(metres.back() - metres[2 * 30], 0.01) << "an empty car at rest moved";
        } else {
            EXPECT_GT(top, c.topAbove);
        }
        // Slowing from the top without ever gaining again beyond noise, then
        // at rest for the last 10 s.
        const size_t peak = std::max_element(v.begin(), v.end()) - v.begin();
        for (size_t i = peak + 30; i < v.size(); ++i) EXPECT_LE(v[i], v[i - 30] + 0.05) << "speeding up at row " << i;
        for (size_t i = v.size() - 10 * 30; i < v.size(); ++i) ASSERT_LT(v[i], 1.0) << "row " << i;
    }
}
