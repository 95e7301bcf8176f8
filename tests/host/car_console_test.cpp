// The car's console lines go verbatim to the run directory's console.log;
// the terminal shows vqsim's own lines, and the car's too with --verbose.

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

TEST(CarConsole, CarLinesGoToConsoleLogUnlessVerbose)
{
    TempDir dir;
    const std::string args = "drive --seconds 4 --quiet --run-dir " + (dir / "run").string() + " --data " SOLVI_DATA_DIR;
    const VqsimResult quiet = runVqsim(args);
    ASSERT_EQ(quiet.exitCode, 0) << quiet.output;
    EXPECT_TRUE(contains(quiet.output, "vqsim: driving 4 s")) << quiet.output;
    EXPECT_FALSE(contains(quiet.output, "fule ")) << quiet.output;
    EXPECT_FALSE(contains(quiet.output, "Solvi destructor")) << quiet.output;
    std::ifstream in(dir / "run/console.log");
    std::stringstream text;
    text << in.rdbuf();
    const std::string log = text.str();
    EXPECT_TRUE(contains(log, "\nfule 15.0")) << log;  // verbatim, each line as the car wrote it
    EXPECT_TRUE(contains(log, "Solvi destructor\n")) << log;
    EXPECT_FALSE(contains(log, "vqsim:")) << log;

    const VqsimResult verbose = runVqsim(args + " --verbose");
    EXPECT_TRUE(contains(verbose.output, "fule ")) << verbose.output;
    EXPECT_TRUE(contains(verbose.output, "Solvi destructor")) << verbose.output;
}
