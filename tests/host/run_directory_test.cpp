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
    EXPECT_TRUE(second.staleCaches.empty());
}

// The car keeps a cache of each model it read from an ASE file. When the data
// folder's model changes, the cache made from the old one must go, or the car
// would go on drawing the old model; an untouched model keeps its cache, and a
// cache the data folder brings itself is its own.
TEST(RunDirectory, AChangedModelTakesItsCacheAlong) {
    TempDir dir;
    const fs::path data = dir / "data", run = dir / "run";
    writeWithFolders(data / "cars/solvi/body.ase", "*3DSMAX_ASCIIEXPORT 200");
    writeWithFolders(data / "cars/solvi/inside.ase", "*3DSMAX_ASCIIEXPORT 200");
    writeWithFolders(data / "cars/solvi/shipped.ase", "*3DSMAX_ASCIIEXPORT 200");
    writeWithFolders(data / "cars/solvi/shipped.vqo", "shipped cache");
    RunDirectory first;
    ASSERT_TRUE(first.prepare(run.string(), data.string())) << first.error;
    for (const char* cache : {"body.vqo", "inside.vqo"}) writeFile(run / "cars/solvi" / cache, "made by the car");

    writeFile(data / "cars/solvi/body.ase", "*3DSMAX_ASCIIEXPORT 200 edited");
    writeFile(data / "cars/solvi/shipped.ase", "*3DSMAX_ASCIIEXPORT 200 edited");
    RunDirectory second;
    ASSERT_TRUE(second.prepare(run.string(), data.string())) << second.error;
    EXPECT_FALSE(fs::exists(run / "cars/solvi/body.vqo"));
    EXPECT_EQ(fileText(run / "cars/solvi/inside.vqo"), "made by the car");
    EXPECT_EQ(fileText(run / "cars/solvi/shipped.vqo"), "shipped cache");
    EXPECT_EQ(second.staleCaches, std::vector<std::string>{"cars/solvi/body.vqo"});
}
