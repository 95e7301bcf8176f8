// The run directory mirrors the data folder it was last prepared from.

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include "host/run_directory.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
void writeWithFolders(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    writeFile(file, text);
}
}  // namespace

// A second data folder whose file is OLDER than the run's copy still wins:
// switching --data back to an untouched folder after a run with an edited
// copy must not keep the edit, even at the same size. What the car wrote
// stays.
TEST(RunDirectory, TheDataFolderWinsEvenWithAnOlderFile) {
    TempDir dir;
    const fs::path edited = dir / "edited", original = dir / "original", run = dir / "run";
    writeWithFolders(edited / "cars/solvi/cfg.ini", "[CURRENT]\nSKIN=chrome\n");
    writeWithFolders(original / "cars/solvi/cfg.ini", "[CURRENT]\nSKIN=silver\n");
    fs::last_write_time(original / "cars/solvi/cfg.ini",
                        fs::last_write_time(edited / "cars/solvi/cfg.ini") - std::chrono::hours(24));

    RunDirectory first;
    ASSERT_TRUE(first.prepare(run.string(), edited.string())) << first.error;
    EXPECT_EQ(fileText(run / "cars/solvi/cfg.ini"), "[CURRENT]\nSKIN=chrome\n");
    writeWithFolders(run / "cars/solvi/engine/power.exp", "written by the car");

    RunDirectory second;
    ASSERT_TRUE(second.prepare(run.string(), original.string())) << second.error;
    EXPECT_EQ(fileText(run / "cars/solvi/cfg.ini"), "[CURRENT]\nSKIN=silver\n");
    EXPECT_EQ(fileText(run / "cars/solvi/engine/power.exp"), "written by the car");
}
