// The setup store and the car's 8-byte setup record: both binary layouts
// written byte for byte in little-endian order, and missing or short files
// refused whole, leaving the defaults.

#include "services/setup_data.h"
#include "services/setup_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <utility>

#include "support/temp_dir.h"

namespace {

// Little-endian byte image of a setup file.
struct Bytes {
    Bytes& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i) & 0xFF));
        return *this;
    }
    Bytes& f32(float v) {
        int32_t raw;
        std::memcpy(&raw, &v, sizeof raw);
        return i32(raw);
    }
    std::string data;
};

// Every field after the marker in file order, field k holding 50 + k as an
// int or a float according to its type (so a bias of 50 % and every other
// value one the car can use). Groups: (count, is float).
std::string recordBody() {
    static constexpr std::pair<int, bool> kGroups[] = {{1, true}, {4, true}, {4, false}, {4, false}, {2, false},
                                                       {8, true}, {4, true}, {3, false}, {4, true}, {2, true},
                                                       {8, true}, {1, false}, {1, true}};
    Bytes b;
    int k = 0;
    for (auto [count, isFloat] : kGroups)
        for (int i = 0; i < count; ++i, ++k) isFloat ? b.f32(50.0f + k) : b.i32(50 + k);
    return b.data;
}
const std::string kMarker = Bytes().i32(666).data;

// The stored fields in file order, then the version and the shift speed.
std::vector<double> fields(const CSetupStore& s) {
    std::vector<double> v{s.brakeBiasPercent};
    const auto add = [&v](const auto& a) { v.insert(v.end(), a.begin(), a.end()); };
    add(s.discDiameters), add(s.extensionSettings), add(s.compressionSettings);
    add(std::array<int32_t, 2>{s.valueC, s.gearCount});
    add(s.gearRatios), add(s.padFriction);
    add(std::array<int32_t, 3>{s.valueA, s.valueB, s.steeringRatio});
    add(s.springRates), add(std::array<float, 2>{s.antiRollFront, s.antiRollRear}), add(s.extraValues);
    v.insert(v.end(), {double(s.flagA), s.finalDrive, double(s.version), double(s.shiftSpeed)});
    return v;
}

// What recordBody holds, then version 666 and the given shift speed.
std::vector<double> numberedFields(int shiftSpeed) {
    std::vector<double> v;
    for (int k = 0; k < 46; ++k) v.push_back(50 + k);
    v.insert(v.end(), {666.0, double(shiftSpeed)});
    return v;
}

// Each test runs in a fresh directory holding "setups/": the store reads
// relative to the working directory.
class SetupStoreTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory("setups"); }
    // Loads the named setup and returns what it printed.
    static std::string load(CSetupStore& s, const std::string& name) {
        s.setName(name);
        testing::internal::CaptureStdout();
        s.load();
        return testing::internal::GetCapturedStdout();
    }
    TempDir dir;
    WorkIn inside{dir.path()};
};

TEST(SetupStoreDefaultsTest, DamperSettingsOutsideOneToFiveClampToTheEnds) {
    EXPECT_EQ(dampingForSetting(1), 1500.0f);
    EXPECT_EQ(dampingForSetting(5), 8500.0f);
    for (int s = 2; s <= 5; ++s) EXPECT_GT(dampingForSetting(s), dampingForSetting(s - 1)) << s;
    for (int s : {0, -7}) EXPECT_EQ(dampingForSetting(s), 1500.0f) << s;
    EXPECT_EQ(dampingForSetting(6), 8500.0f);
}

TEST_F(SetupStoreTest, DefaultNameTouchesNoFileMarkedFilesUseTheCurrentLayoutUnmarkedTheOlder) {
    // Even a valid file called "default" is not read.
    writeFile("setups/default", kMarker + recordBody() + Bytes().i32(2).data);
    CSetupStore s;
    EXPECT_EQ(s.name, "default");
    s.springRates[0] = 1.0f;
    s.shiftSpeed = 2;
    EXPECT_EQ(load(s, "default"), "");
    EXPECT_EQ(fields(s), fields(CSetupStore()));
    // A marked file (192 bytes) carries the shift speed; the older, unmarked
    // layout (184 bytes) keeps the one already set.
    const std::string marked = kMarker + recordBody() + Bytes().i32(2).data, older = recordBody();
    ASSERT_EQ(marked.size(), 192u);
    ASSERT_EQ(older.size(), 184u);
    writeFile("setups/race", marked);
    writeFile("setups/old", older);
    for (const char* name : {"race", "old"}) {
        SCOPED_TRACE(name);
        CSetupStore s;
        s.shiftSpeed = 1;
        EXPECT_EQ(load(s, name), "");
        EXPECT_EQ(fields(s), numberedFields(name[0] == 'r' ? 2 : 1));
    }
}

TEST_F(SetupStoreTest, MissingOrShortFileIsReportedAndLeavesNoHalfReadRecord) {
    // A marked file cut after a few fields, and an unmarked one 4 bytes short.
    writeFile("setups/cut", (kMarker + recordBody()).substr(0, 188));
    writeFile("setups/cut_old", recordBody().substr(0, 180));
    writeFile("setups/empty", "");
    for (const char* name : {"nowhere", "cut", "cut_old", "empty"}) {
        CSetupStore s;
        s.springRates[0] = 1.0f;
        const std::string out = load(s, name);
        EXPECT_NE(out.find(std::string("setups/") + name), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(fields(s), fields(CSetupStore()));
    }
}

TEST_F(SetupStoreTest, SetupDataReadsFirstEightBytesOrKeepsZeros) {
    writeFile("default.vqs", Bytes().i32(-2).f32(1.25f).data + "trailing bytes are ignored");
    CSetupData d;
    d.load("default.vqs");
    EXPECT_EQ(d.intValue, -2);
    EXPECT_EQ(d.floatValue, 1.25f);

    writeFile("short.vqs", "1234567");
    for (const char* path : {"absent.vqs", "short.vqs"}) {
        CSetupData z;
        testing::internal::CaptureStdout();
        z.load(path);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(path), std::string::npos) << out;
        EXPECT_EQ(z.intValue, 0);
        EXPECT_EQ(z.floatValue, 0.0f);
    }
}

}  // namespace
