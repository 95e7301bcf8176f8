// vqsim as a user runs it: prepare a run directory, load the car, report it,
// unload it; and clear words when something is wrong.

#include <fstream>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ode/ode.h>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

TEST(Vqsim, ProbeLoadsReportsAndUnloadsTheCarInItsRunDirectory) {
    TempDir dir;
    const fs::path run = dir / "run";
    const VqsimResult r = runVqsim("probe --run-dir " + run.string() + " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(r.exitCode, 0) << r.output;

    EXPECT_TRUE(contains(r.output, "run directory " + fs::canonical(run).string())) << r.output;
    EXPECT_TRUE(contains(r.output, "car \"solvi\", constant 90.0, available: yes")) << r.output;
    const std::string console = fileText(run / "console.log");
    EXPECT_TRUE(contains(console, "Solvi destructor")) << console;  // the car's line, not vqsim's
    EXPECT_FALSE(contains(r.output, "Solvi destructor")) << r.output;
    EXPECT_TRUE(contains(r.output, "plug-in unloaded")) << r.output;
    const VqsimResult verbose = runVqsim("probe --verbose --run-dir " + run.string() + " --data " SOLVI_DATA_DIR);
    EXPECT_TRUE(contains(verbose.output, "Solvi destructor")) << verbose.output;

    for (const char* sub : {"out", "replay", "cfg"}) EXPECT_TRUE(fs::is_directory(run / sub)) << sub;
    EXPECT_TRUE(fs::exists(run / "cars/solvi/engine/coast.vqcv"));  // the car's data was copied
    EXPECT_TRUE(fs::exists(run / "out/power.exp"));
    EXPECT_TRUE(fs::exists(run / "out/coast.exp"));
    EXPECT_TRUE(fs::exists(run / "cars/solvi/engine/power.exp"));
    EXPECT_FALSE(fs::exists(fs::path(SOLVI_DATA_DIR) / "cars/solvi/engine/power.exp"))
        << "the run wrote into the repository's data folder";
}

TEST(Vqsim, DriveMovesTheCarAndWritesItsSummary) {
    TempDir dir;
    const fs::path summary = dir / "summary.json";
    const VqsimResult r = runVqsim("drive --seconds 15 --quiet --run-dir " + (dir / "run").string() +
                              " --data " SOLVI_DATA_DIR " --summary " + summary.string());
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(contains(r.output, "driving 15 s with the autopilot")) << r.output;
    EXPECT_TRUE(contains(r.output, "summary:")) << r.output;
    const std::string text = fileText(summary);
    for (const char* key : {"\"laps_completed\": 0", "\"lap_times_s\": []", "\"best_lap_s\": null",
                            "\"brake_100_0_m\": null", "\"max_offroad_seconds\": 0", "\"nan_seen\": false",
                            "\"sim_seconds\": 15", "\"top_speed_kmh\"", "\"zero_to_100_s\"",
                            "\"wall_seconds\"", "\"real_time_factor\""})
        EXPECT_TRUE(contains(text, key)) << key << "\n" << text;
    // Fifteen seconds after a start that ignores inputs for three: well on its way.
    const size_t top = text.find("\"top_speed_kmh\": ");
    ASSERT_NE(top, std::string::npos);
    EXPECT_GT(std::stod(text.substr(top + 17)), 100.0);
    EXPECT_TRUE(fs::exists(dir / "run/out/power.exp"));  // the car was unloaded
    EXPECT_TRUE(fs::exists(dir / "run/summary.json"));
    // The car's lines go verbatim to console.log, not to the terminal.
    const std::string log = fileText(dir / "run/console.log");
    EXPECT_TRUE(contains(log, "\nfule 15.0")) << log;
    EXPECT_TRUE(contains(log, "Solvi destructor\n")) << log;
    EXPECT_FALSE(contains(log, "vqsim:")) << log;
    EXPECT_FALSE(contains(r.output, "fule ")) << r.output;

    // Thirty rows per simulated second, from the first step on.
    std::ifstream csv(dir / "run/telemetry.csv");
    std::string header, line;
    std::getline(csv, header);
    EXPECT_EQ(header.rfind("time_s,distance_m,x_m,y_m,z_m,speed_kmh,rpm,gear,throttle,brake,steering,lap,", 0), 0u);
    EXPECT_TRUE(contains(header, ",tyre_outer_rr_c")) << header;
    int rows = 0;
    while (std::getline(csv, line)) ++rows;
    EXPECT_EQ(rows, 15 * 30 + 1);
}

TEST(Vqsim, PlotsAreWrittenAsPngIntoTheRunDirectory) {
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) GTEST_SKIP() << "gnuplot is not installed";
    TempDir dir;
    const VqsimResult r = runVqsim("drive --seconds 6 --quiet --plots --run-dir " + (dir / "run").string() +
                              " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const char* png : {"speed_rpm.png", "line.png"}) {
        EXPECT_EQ(fileText(dir / "run" / png).substr(1, 3), "PNG") << png;
        EXPECT_TRUE(contains(r.output, std::string("wrote ") + (dir / "run" / png).string())) << r.output;
    }
}

TEST(Vqsim, BadCommandLinesMissingFilesAndHelpAreAnsweredInWords) {
    TempDir dir;
    const std::string common = " --run-dir " + (dir / "run").string() + " --data " SOLVI_DATA_DIR;
    // A real shared library that is not a car: the physics library itself.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&dInitODE2), &info), 0);
    const struct { std::string args; int exitCode; std::vector<std::string> said; } cases[] = {
        {"probe --plugin " + (dir / "nothing.so").string() + common, 1, {"cannot load the car plug-in", "nothing.so"}},
        {std::string("probe --plugin ") + info.dli_fname + common, 1, {"does not export vqInit"}},
        {"probe --run-dir " + (dir / "run").string() + " --data " + (dir / "none").string(), 1,
         {"cars/solvi does not exist"}},
        {"--help", 0, {"usage: vqsim", "probe"}},
        {"drive --help", 0, {"--plugin PATH"}},
        {"--frobnicate", 2, {"unknown option '--frobnicate'"}},
        {"probe --plugin", 2, {"--plugin needs a value"}},
        {"fly", 2, {"unknown command 'fly'"}},
        {"probe --seed x1", 2, {"--seed needs a whole number, not 'x1'"}},
        {"accel --laps 2" + common, 2, {}},  // a scenario has its own end
    };
    for (const auto& c : cases) {
        const VqsimResult r = runVqsim(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        for (const std::string& part : c.said) EXPECT_TRUE(contains(r.output, part)) << c.args << "\n" << r.output;
    }
}

// The terminal's reader may leave early; the run still ends with every file.
TEST(Vqsim, AReaderThatLeavesEarlyLeavesTheRunWhole) {
    TempDir dir;
    runVqsim("drive --seconds 3 --run-dir " + (dir / "run").string() + " --data " SOLVI_DATA_DIR " | head -c 1");
    EXPECT_TRUE(fs::exists(dir / "run/summary.json"));
    EXPECT_TRUE(fs::exists(dir / "run/out/power.exp"));
}
