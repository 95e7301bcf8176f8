// The step and goal options a drive refuses: the car's clocks count whole
// milliseconds, so a step of 0.9 ms would stop them and one of 2.5 ms make
// them drift; a drive of no laps has no goal.

#include "host/drive_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DriveOptions, StepMustBeWholeMillisecondsFrom1To20AndLapsAtLeastOne) {
    const struct { std::vector<const char*> args; bool accepted; float dt; } cases[] = {
        {{"--dt", "0.001"}, true, 0.001f},   {{"--dt", "0.003"}, true, 0.003f},
        {{"--dt", "0.02"}, true, 0.02f},     {{"--dt", "0.0009"}, false, 0},
        {{"--dt", "0.0025"}, false, 0},      {{"--dt", "1e-9"}, false, 0},
        {{"--dt", "0.021"}, false, 0},       {{"--dt", "0"}, false, 0},
        {{"--dt", "-0.003"}, false, 0},      {{"--laps", "0"}, false, 0},
        {{"--laps", "2"}, true, 0.003f},     {{"--fuel", "-1"}, false, 0},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"drive"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        DriveOptions o;
        std::string error;
        const bool ok = parseDriveOptions(static_cast<int>(argv.size()), argv.data(), o, false, error);
        EXPECT_EQ(ok, c.accepted) << c.args[0] << " " << c.args[1] << ": " << error;
        if (ok) {
            EXPECT_FLOAT_EQ(o.session.dt, c.dt);
        } else {
            EXPECT_NE(error.find(c.args[0]), std::string::npos) << error;
        }
    }
}
