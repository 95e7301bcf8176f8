// The host's check of the car's data before the car is given it: a copy of
// the bundled data with one file spoiled, one case per kind of file; and the
// refusal as a user sees it from vqsim.

#include "host/data_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A fresh copy of the bundled data under dir/name.
fs::path copyOfData(const TempDir& dir, const std::string& name) {
    const fs::path root = dir / name;
    fs::copy(SOLVI_DATA_DIR, root, fs::copy_options::recursive);
    return root;
}

}  // namespace

TEST(DataCheck, EachKindOfSpoiledFileIsRefusedByName) {
    const struct {
        const char* what;
        std::function<void(const fs::path&)> spoil;
        DataCheckSettings settings;
        const char* named;  // the one problem names this
    } cases[] = {
        {"all-zero front tyre", [](const fs::path& d) { writeFile(d / "cars/solvi/tyres/michelin_255_40_ZR_18.vqt",
                                                             std::string(68, '\0')); },
         {}, "michelin_255_40_ZR_18.vqt: RD"},
        {"short rear tyre", [](const fs::path& d) { writeFile(d / "cars/solvi/tyres/michelin_345_35_18.vqt", "short"); },
         {}, "michelin_345_35_18.vqt (5 of 68 bytes)"},
        {"NaN setup", [](const fs::path& d) { writeFile(d / "cars/solvi/setup/default.vqs",
                                                    std::string("\1\0\0\0\0\0\xc0\x7f", 8)); },
         {}, "default.vqs: its float"},
        {"NaN coast curve", [](const fs::path& d) { writeFile(d / "cars/solvi/engine/coast.vqcv",
                                                          "[HEADER]\r\nVALUES=1\r\n[VALUE0]\r\nX=0\r\nY=nan\r\n"); },
         {true, false}, "coast.vqcv: VALUE0 Y is nan"},
        {"empty cfg.ini", [](const fs::path& d) { writeFile(d / "cars/solvi/cfg.ini", ""); }, {}, "cfg.ini names no skin"},
        {"skin that is not there", [](const fs::path& d) { writeFile(d / "cars/solvi/cfg.ini", "[CURRENT]\r\nSKIN=green\r\n"); },
         {}, "the skin 'green' does not exist"},
        {"skin without its texture", [](const fs::path& d) {
             writeFile(d / "cars/solvi/cfg.ini", "[CURRENT]\r\nSKIN=blue\r\n");
             fs::remove(d / "cars/solvi/skins/blue/body.tga");
         }, {}, "texture body.tga of cars/solvi/solvi.ase is in none of cars/solvi/skins/blue/"},
        {"texture that is no picture", [](const fs::path& d) { writeFile(d / "cars/solvi/texture/rim.tga", "no picture"); },
         {}, "cars/solvi/texture/rim.tga is not a picture"},
        {"missing model", [](const fs::path& d) { fs::remove(d / "cars/solvi/solvi_int.ase"); }, {},
         "cars/solvi/solvi_int.ase is missing"},
        {"RPMREF 0", [](const fs::path& d) { writeFile(d / "cars/solvi/sfx/sound.ini", "[ENGINE]\r\nRPMREF=0\r\n"); },
         {false, true}, "sound.ini: RPMREF is 0"},
        {"missing wave", [](const fs::path& d) { fs::remove(d / "sfx/hit.wav"); }, {false, true}, "sfx/hit.wav"},
    };
    TempDir dir;
    const fs::path bundled = copyOfData(dir, "bundled");
    const DataCheckResult all = checkCarData(bundled.string(), {true, true});
    EXPECT_TRUE(all.ok()) << all.problems.front();
    EXPECT_GE(all.checked.size(), 20u);  // tyres, setup, curve, cfg, models, 10 textures, sound

    int n = 0;
    for (const auto& c : cases) {
        const fs::path root = copyOfData(dir, "case" + std::to_string(n++));
        c.spoil(root);
        const DataCheckResult r = checkCarData(root.string(), c.settings);
        ASSERT_EQ(r.problems.size(), 1u) << c.what;
        EXPECT_NE(r.problems[0].find(c.named), std::string::npos) << c.what << ": " << r.problems[0];
        // What the run does not read is not held against it.
        if (c.settings.engineCurve || c.settings.sound) {
            EXPECT_TRUE(checkCarData(root.string(), {}).ok()) << c.what;
        }
    }
}

// As a user sees it: a drive and the check refuse the spoiled tyre by name
// with exit code 1, before the car is loaded.
TEST(DataCheck, VqsimRefusesASpoiledTyreBeforeLoadingTheCar) {
    TempDir dir;
    const fs::path data = copyOfData(dir, "data");
    writeFile(data / "cars/solvi/tyres/michelin_255_40_ZR_18.vqt", std::string(68, '\0'));
    const std::string where = " --data " + data.string();
    const VqsimResult drive = runVqsim("drive --seconds 20 --run-dir " + (dir / "run").string() + where);
    EXPECT_EQ(drive.exitCode, 1) << drive.output;
    EXPECT_TRUE(contains(drive.output, "cars/solvi/tyres/michelin_255_40_ZR_18.vqt: RD (byte 24) is 0"))
        << drive.output;
    EXPECT_FALSE(contains(drive.output, "Solvi destructor")) << "the car was loaded";
    const VqsimResult check = runVqsim("check" + where);
    EXPECT_EQ(check.exitCode, 1) << check.output;
    EXPECT_TRUE(contains(check.output, "michelin_255_40_ZR_18.vqt: RD (byte 24) is 0")) << check.output;
    EXPECT_EQ(runVqsim("check --data " SOLVI_DATA_DIR).exitCode, 0);
}
