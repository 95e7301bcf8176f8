// What each of the car's readers does with a record it cannot use: one line
// naming the file and the field, the values it had kept; and its check says
// the same without loading.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "car/solvi_skin.h"
#include "car/solvi_sound_set.h"
#include "chassis/curve.h"
#include "chassis/tyre.h"
#include "services/setup_data.h"
#include "services/setup_store.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// `count` words of 1.0f (whole-number fields read its bits: still positive),
// word `index` set to `value`. All ones is a usable tyre and setup record.
std::string words(int count, int index, float value) {
    std::vector<float> w(count, 1.0f);
    if (index >= 0) w[index] = value;
    std::string bytes(w.size() * 4, '\0');
    std::memcpy(bytes.data(), w.data(), bytes.size());  // little-endian host
    return bytes;
}

// Loads the file into a reader holding known values; true when it kept them.
bool tyreKeeps(const std::string& path) {
    CTyre t;
    t.RD = 1.3f;
    return !t.loadFile(path) && t.RD == 1.3f;
}
bool curveKeeps(const std::string& path) {
    CCurve c;
    c.addValue(0.0f, 5.0f);
    return !c.load(path) && c.size() == 1;
}
bool setupDataKeeps(const std::string& path) {
    CSetupData d;
    d.floatValue = 2.5f;
    d.load(path);
    return d.floatValue == 2.5f;
}
bool setupStoreKeeps(const std::string& path)  // "setups/NAME"
{
    CSetupStore s;
    s.setName(path.substr(7));
    s.load();
    return s.finalDrive == CSetupStore().finalDrive && s.springRates == CSetupStore().springRates;
}
bool soundKeeps(const std::string& path) {
    CSolviSoundSet sounds;
    sounds.rpmRef = 7000;
    sounds.loadSoundDescription(path);
    return sounds.rpmRef == 7000;
}
std::string setupStoreCheck(const std::string& path) {
    CSetupStore s;
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(&s.brakeBiasPercent), 4);  // the older layout's first fields
    in.read(reinterpret_cast<char*>(s.discDiameters.data()), 16);
    return s.checkValues();
}

}  // namespace

TEST(BadCarData, EachReaderRefusesWhatItsLawCannotUseNamesItAndKeepsItsValues) {
    const float nan = std::nanf("");
    const std::string curve = "[HEADER]\r\nVALUES=2\r\n\r\n[VALUE0]\r\nX=0\r\nY=1\r\n\r\n";
    const struct {
        std::string file, content;
        std::function<bool(const std::string&)> loadKeeps;
        std::function<std::string(const std::string&)> check;
        const char* field;  // what the line and the check name
    } cases[] = {
        {"zero.vqt", std::string(68, '\0'), tyreKeeps, CTyre::checkFile, "RD (byte 24) is 0"},
        {"nan.vqt", words(17, 9, nan), tyreKeeps, CTyre::checkFile, "STIFFX (byte 36) is nan"},
        {"neg.vqt", words(17, 10, -11.0f), tyreKeeps, CTyre::checkFile, "STIFFY (byte 40) is -11"},
        {"huge.vqt", words(17, 14, 3e38f), tyreKeeps, CTyre::checkFile, "OPTIMALLOAD (byte 56)"},
        {"nan.vqcv", curve + "[VALUE1]\r\nX=1000\r\nY=nan\r\n", curveKeeps, CCurve::checkFile, "VALUE1 Y is nan"},
        {"gap.vqcv", curve, curveKeeps, CCurve::checkFile, "VALUE1 has no X"},
        {"none.vqcv", "[HEADER]\r\nVALUES=0\r\n", curveKeeps, CCurve::checkFile, "VALUES is 0"},
        {"many.vqcv", "[HEADER]\r\nVALUES=2000000000\r\n", curveKeeps, CCurve::checkFile, "VALUES is 2000000000"},
        {"nan.vqs", words(2, 1, nan), setupDataKeeps, CSetupData::checkFile, "not a finite"},
        {"short.vqs", "1234567", setupDataKeeps, CSetupData::checkFile, "holds 7 bytes"},
        {"setups/bias", words(46, 0, 101.0f), setupStoreKeeps, setupStoreCheck, "brakeBiasPercent[0] is 101"},
        {"setups/disc", words(46, 2, 0.0f), setupStoreKeeps, setupStoreCheck, "discDiameters[1] is 0"},
        {"zero.ini", "[ENGINE]\r\nRPMREF=0\r\n", soundKeeps, CSolviSoundSet::checkSoundDescription, "RPMREF is 0"},
        {"none.ini", "[ENGINE]\r\n", soundKeeps, CSolviSoundSet::checkSoundDescription, "no [ENGINE] RPMREF"},
    };
    TempDir dir;
    WorkIn work(dir.path());  // the setup store reads "setups/NAME"
    fs::create_directories("setups");
    for (const auto& c : cases) {
        std::ofstream(c.file, std::ios::binary) << c.content;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(c.loadKeeps(c.file)) << c.file;
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(c.file), std::string::npos) << said;
        EXPECT_NE(said.find(c.field), std::string::npos) << said;
        EXPECT_NE(c.check(c.file).find(c.field), std::string::npos) << c.file;
    }
    // Records the laws can use are taken.
    std::ofstream("ones.vqt", std::ios::binary) << words(17, 14, 2450.0f);
    std::ofstream("setups/ones", std::ios::binary) << words(46, -1, 0.0f);
    EXPECT_EQ(CTyre::checkFile("ones.vqt"), "");
    EXPECT_FALSE(setupStoreKeeps("setups/ones"));
}

// The skin cfg.ini names must be a folder under skins/; anything else is
// reported and the car wears its own skin rather than ask the texture
// loader for a file that is not there.
TEST(BadCarData, ASkinThatIsNotThereGivesTheCarsOwn) {
    TempDir dir;
    fs::create_directories(dir / "cars/solvi/skins/blue");
    const struct {
        const char* cfg;  // nullptr: no file
        const char* skin;
        const char* problem;
    } cases[] = {
        {"[CURRENT]\r\nSKIN=blue\r\n", "blue", ""},
        {"[CURRENT]\nSKIN=blue\n", "blue", ""},  // other line ends
        {"", "red", "names no skin"},
        {"[CURRENT]\r\nSKIN=green\r\n", "red", "the skin 'green' does not exist"},
        {"[CURRENT]\r\nSKIN=../../x\r\n", "red", "is not a folder name"},
        {nullptr, "red", "cannot read cars/solvi/cfg.ini"},
    };
    for (const auto& c : cases) {
        fs::remove(dir / "cars/solvi/cfg.ini");
        if (c.cfg) std::ofstream(dir / "cars/solvi/cfg.ini", std::ios::binary) << c.cfg;
        const SolviSkinChoice choice = readSolviSkin(dir.path().string());
        EXPECT_EQ(choice.name, c.skin) << (c.cfg ? c.cfg : "no file");
        EXPECT_EQ(choice.problem.empty(), *c.problem == '\0') << choice.problem;
        EXPECT_NE(choice.problem.find(c.problem), std::string::npos) << choice.problem;
    }
}
