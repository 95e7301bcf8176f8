// The run directory mirrors the data folder it was last prepared from.

#include <chrono>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "host/run_directory.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
void writeFile(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

std::string readFile(const fs::path& file)
{
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}
}  // namespace

// A second data folder whose file is OLDER than the run's copy still wins:
// switching --data back to an untouched folder after a run with an edited
// copy must not keep the edit, even at the same size. What the car wrote
// stays.
TEST(RunDirectory, TheDataFolderWinsEvenWithAnOlderFile)
{
    TempDir dir;
    const fs::path edited = dir / "edited", original = dir / "original", run = dir / "run";
    writeFile(edited / "cars/solvi/cfg.ini", "[CURRENT]\nSKIN=chrome\n");
    writeFile(original / "cars/solvi/cfg.ini", "[CURRENT]\nSKIN=silver\n");
    fs::last_write_time(original / "cars/solvi/cfg.ini",
                        fs::last_write_time(edited / "cars/solvi/cfg.ini") - std::chrono::hours(24));

    RunDirectory first;
    ASSERT_TRUE(first.prepare(run.string(), edited.string())) << first.error;
    EXPECT_EQ(readFile(run / "cars/solvi/cfg.ini"), "[CURRENT]\nSKIN=chrome\n");
    writeFile(run / "cars/solvi/engine/power.exp", "written by the car");

    RunDirectory second;
    ASSERT_TRUE(second.prepare(run.string(), original.string())) << second.error;
    EXPECT_EQ(readFile(run / "cars/solvi/cfg.ini"), "[CURRENT]\nSKIN=silver\n");
    EXPECT_EQ(readFile(run / "cars/solvi/engine/power.exp"), "written by the car");
}
