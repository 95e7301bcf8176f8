// What each of the car's readers does with a record it cannot use: one line
// naming the file and the field, the values it had kept; and the reader's
// check says the same without loading.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

std::string floats(const std::vector<float>& words)
{
    std::string bytes(words.size() * 4, '\0');
    std::memcpy(bytes.data(), words.data(), bytes.size());  // little-endian host
    return bytes;
}

// A tyre record with every word 1 except `word` (a field's offset / 4).
std::string tyreRecord(int word, float value)
{
    std::vector<float> words(17, 1.0f);
    words[14] = 2450.0f;  // OPTIMALLOAD
    words[word] = value;
    return floats(words);
}

// A setup file of the older layout (46 fields, no marker) with sane fields,
// then field `index` set to `value`.
std::string setupRecord(int index, float value)
{
    std::vector<float> words(46, 0.0f);
    auto put = [&](int at, float v) { words[at] = v; };
    auto puti = [&](int at, int32_t v) { std::memcpy(&words[at], &v, 4); };
    put(0, 60.0f);                                       // brake bias
    for (int i = 0; i < 4; ++i) put(1 + i, 0.3f);        // discs
    for (int i = 0; i < 8; ++i) puti(5 + i, 3);          // dampers
    puti(14, 6);                                         // gear count
    for (int i = 0; i < 8; ++i) put(15 + i, i == 0 ? -3.0f : 1.5f);
    for (int i = 0; i < 4; ++i) put(23 + i, 0.4f);       // pads
    puti(27, 1), puti(28, 1), puti(29, 14);              // valueA, valueB, steering ratio
    for (int i = 0; i < 4; ++i) put(30 + i, 50000.0f);   // springs
    put(34, 9000.0f), put(35, 6000.0f);                  // bars
    puti(44, 1), put(45, 3.1f);                          // flag, final drive
    if (index >= 0) put(index, value);
    return floats(words);
}

struct Case {
    const char* what;
    std::string file;     // written under the folder
    std::string content;
    // Loads the file into a reader holding known values; true when the
    // values are those it held before.
    std::function<bool(const std::string& path)> loadKeeps;
    std::function<std::string(const std::string& path)> check;
    const char* field;  // what the line and the check must name
};

bool tyreKeeps(const std::string& path)
{
    CTyre t;
    t.RD = 1.3f;
    return !t.loadFile(path) && t.RD == 1.3f && t.STIFFX == CTyre().STIFFX;
}

bool curveKeeps(const std::string& path)
{
    CCurve c;
    c.addValue(0.0f, 5.0f);
    return !c.load(path) && c.size() == 1 && c.getValue(100.0f) == 5.0f;
}

bool setupDataKeeps(const std::string& path)
{
    CSetupData d;
    d.floatValue = 2.5f;
    d.load(path);
    return d.floatValue == 2.5f && d.intValue == 0;
}

bool setupStoreKeeps(const std::string& path)
{
    CSetupStore s;
    s.setName(fs::path(path).filename().string());
    s.springRates[0] = 1.0f;
    s.load();
    return s.springRates[0] == CSetupStore().springRates[0] && s.finalDrive == CSetupStore().finalDrive;
}

bool soundKeeps(const std::string& path)
{
    CSolviSoundSet sounds;
    sounds.rpmRef = 7000;
    sounds.loadSoundDescription(path);
    return sounds.rpmRef == 7000;
}

std::string setupStoreCheck(const std::string& path)
{
    CSetupStore s;
    s.setName(fs::path(path).filename().string());
    testing::internal::CaptureStdout();
    s.load();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(BadCarData, EachReaderRefusesWhatItsLawCannotUseNamesItAndKeepsItsValues)
{
    const float nan = std::nanf("");
    const std::string curveHead = "[HEADER]\r\nVALUES=2\r\n\r\n[VALUE0]\r\nX=0\r\nY=1\r\n\r\n";
    const Case cases[] = {
        {"all-zero tyre", "zero.vqt", std::string(68, '\0'), tyreKeeps, CTyre::checkFile, "RD (byte 24) is 0"},
        {"NaN tyre field", "nan.vqt", tyreRecord(9, nan), tyreKeeps, CTyre::checkFile, "STIFFX (byte 36) is nan"},
        {"negative stiffness", "neg.vqt", tyreRecord(10, -11.0f), tyreKeeps, CTyre::checkFile, "STIFFY (byte 40)"},
        {"huge load", "huge.vqt", tyreRecord(14, 3e38f), tyreKeeps, CTyre::checkFile, "OPTIMALLOAD (byte 56)"},
        {"NaN curve point", "nan.vqcv", curveHead + "[VALUE1]\r\nX=1000\r\nY=nan\r\n", curveKeeps,
         CCurve::checkFile, "VALUE1 Y is nan"},
        {"missing curve point", "gap.vqcv", curveHead, curveKeeps, CCurve::checkFile, "VALUE1 has no X"},
        {"no curve points", "zero.vqcv", "[HEADER]\r\nVALUES=0\r\n", curveKeeps, CCurve::checkFile, "VALUES is 0"},
        {"curve count beyond the file", "many.vqcv", "[HEADER]\r\nVALUES=2000000000\r\n", curveKeeps,
         CCurve::checkFile, "VALUES is 2000000000"},
        {"NaN setup value", "nan.vqs", floats({1.0f, nan}), setupDataKeeps, CSetupData::checkFile, "not a finite"},
        {"short setup", "short.vqs", "1234567", setupDataKeeps, CSetupData::checkFile, "holds 7 bytes"},
        {"NaN spring", "setups/nan", setupRecord(30, nan), setupStoreKeeps, setupStoreCheck, "springRates[0]"},
        {"zero disc", "setups/disc", setupRecord(2, 0.0f), setupStoreKeeps, setupStoreCheck, "discDiameters[1]"},
        {"zero final drive", "setups/fd", setupRecord(45, 0.0f), setupStoreKeeps, setupStoreCheck, "finalDrive"},
        {"RPMREF 0", "zero.ini", "[ENGINE]\r\nRPMREF=0\r\n", soundKeeps, CSolviSoundSet::checkSoundDescription,
         "RPMREF is 0"},
        {"no RPMREF", "none.ini", "[ENGINE]\r\n", soundKeeps, CSolviSoundSet::checkSoundDescription, "RPMREF"},
    };
    TempDir dir;
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());  // the setup store reads "setups/NAME"
    fs::create_directories("setups");
    for (const Case& c : cases) {
        std::ofstream(c.file, std::ios::binary) << c.content;
        // The setup store finds its files by name under "setups/".
        const std::string path = c.file.rfind("setups/", 0) == 0 ? c.file : (dir / c.file).string();
        testing::internal::CaptureStdout();
        const bool kept = c.loadKeeps(path);
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(kept) << c.what;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.what << ": " << said;
        EXPECT_NE(said.find(c.file), std::string::npos) << c.what << ": " << said;
        EXPECT_NE(said.find(c.field), std::string::npos) << c.what << ": " << said;
        const std::string check = c.check(path);
        EXPECT_NE(check.find(c.field), std::string::npos) << c.what << ": " << check;
    }
    // A sane record of each kind is taken.
    std::ofstream("good.vqs", std::ios::binary) << floats({1.0f, 2.0f});
    EXPECT_EQ(CSetupData::checkFile("good.vqs"), "");
    std::ofstream("setups/good", std::ios::binary) << setupRecord(-1, 0.0f);
    CSetupStore good;
    good.setName("good");
    good.load();
    EXPECT_EQ(good.finalDrive, 3.1f);
    EXPECT_EQ(good.checkValues(), "");
    fs::current_path(previous);
}

// The skin cfg.ini names must be a folder under skins/; anything else is
// reported and the car wears its own skin rather than ask the texture
// loader for a file that is not there.
TEST(BadCarData, ASkinThatIsNotThereGivesTheCarsOwn)
{
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
        if (*c.problem == '\0')
            EXPECT_EQ(choice.problem, "");
        else
            EXPECT_NE(choice.problem.find(c.problem), std::string::npos) << choice.problem;
    }
}
