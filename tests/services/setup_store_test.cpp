// The setup store and the car's 8-byte setup record: defaults, both binary
// layouts written byte for byte in little-endian order, and missing or short
// files refused whole, leaving the defaults.

#include "services/setup_data.h"
#include "services/setup_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

#include "support/temp_dir.h"

namespace {

// Little-endian byte image of a setup file.
class Bytes {
public:
    Bytes& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
        return *this;
    }
    Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Bytes& f32(float v)
    {
        uint32_t raw;
        std::memcpy(&raw, &v, sizeof raw);
        return u32(raw);
    }
    std::string data;
};

// Every field after the marker in file order, field k holding 1000 + k as an
// int or a float according to its type. Groups: (count, is float).
Bytes recordBody()
{
    static constexpr std::pair<int, bool> kGroups[] = {{1, true}, {4, true}, {4, false}, {4, false}, {2, false},
                                                       {8, true}, {4, true}, {3, false}, {4, true}, {2, true},
                                                       {8, true}, {1, false}, {1, true}};
    Bytes b;
    int k = 0;
    for (auto [count, isFloat] : kGroups)
        for (int i = 0; i < count; ++i, ++k) isFloat ? b.f32(1000.0f + k) : b.i32(1000 + k);
    return b;
}

void expectRecordBody(const CSetupStore& s)
{
    EXPECT_EQ(s.brakeBiasPercent, 1000.0f);
    EXPECT_EQ(s.discDiameters, (std::array<float, 4>{1001, 1002, 1003, 1004}));
    EXPECT_EQ(s.extensionSettings[0], 1005);
    EXPECT_EQ(s.compressionSettings[3], 1012);
    EXPECT_EQ(std::tie(s.valueC, s.gearCount), std::make_tuple(1013, 1014));
    EXPECT_EQ(s.gearRatios[0], 1015.0f);
    EXPECT_EQ(s.gearRatios[7], 1022.0f);
    EXPECT_EQ(s.padFriction[0], 1023.0f);
    EXPECT_EQ(std::tie(s.valueA, s.valueB, s.steeringRatio), std::make_tuple(1027, 1028, 1029));
    EXPECT_EQ(s.springRates, (std::array<float, 4>{1030, 1031, 1032, 1033}));
    EXPECT_EQ(std::tie(s.antiRollFront, s.antiRollRear), std::make_tuple(1034.0f, 1035.0f));
    EXPECT_EQ(s.extraValues[7], 1043.0f);
    EXPECT_EQ(std::tie(s.flagA, s.finalDrive), std::make_tuple(1044, 1045.0f));
}

// Every stored field, for comparing whole records.
auto fields(const CSetupStore& s)
{
    return std::tie(s.springRates, s.extensionSettings, s.compressionSettings, s.antiRollFront, s.antiRollRear,
                    s.gearRatios, s.gearCount, s.flagA, s.extraValues, s.valueA, s.valueB, s.steeringRatio,
                    s.padFriction, s.valueC, s.brakeBiasPercent, s.discDiameters, s.finalDrive, s.version,
                    s.shiftSpeed);
}

void expectDefaults(const CSetupStore& s)
{
    const CSetupStore fresh;
    EXPECT_TRUE(fields(s) == fields(fresh));
}

// Runs each test in a fresh directory holding "setups/", because the store
// reads relative to the working directory.
class SetupStoreTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory("setups"); }

    static void write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Loads the named setup and returns what it printed.
    static std::string load(CSetupStore& s, const std::string& name)
    {
        s.setName(name);
        testing::internal::CaptureStdout();
        s.load();
        return testing::internal::GetCapturedStdout();
    }

    // The store reads relative to the working directory.
    TempDir dir;
    WorkIn inside{dir.path()};
};

TEST(SetupStoreDefaultsTest, ConstructedWithDefaultsAndName)
{
    CSetupStore s;
    EXPECT_EQ(s.name, "default");
    EXPECT_EQ(s.version, 666);
    EXPECT_EQ(s.springRates, (std::array<float, 4>{47000, 47000, 42000, 42000}));
    EXPECT_EQ(s.extensionSettings, (std::array<int32_t, 4>{4, 4, 3, 3}));
    EXPECT_EQ(s.compressionSettings, (std::array<int32_t, 4>{3, 3, 2, 2}));
    EXPECT_EQ(s.antiRollFront, 16000.0f);
    EXPECT_EQ(s.antiRollRear, 8000.0f);
    EXPECT_EQ(s.gearRatios, (std::array<float, 8>{-3.0f, 3.75f, 2.32f, 1.51f, 1.13f, 1.02f, 0, 0}));
    EXPECT_EQ(s.gearCount, 6);
    EXPECT_EQ(s.flagA, 1);
    EXPECT_EQ(s.extraValues, (std::array<float, 8>{18.0f, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.valueA, 100);
    EXPECT_EQ(s.valueB, 60);
    EXPECT_EQ(s.steeringRatio, 12);
    EXPECT_EQ(s.padFriction, (std::array<float, 4>{0.35f, 0.35f, 0.35f, 0.35f}));
    EXPECT_EQ(s.valueC, 0);
    EXPECT_EQ(s.brakeBiasPercent, 75.0f);
    EXPECT_EQ(s.discDiameters, (std::array<float, 4>{0.25f, 0.25f, 0.25f, 0.25f}));
    EXPECT_EQ(s.finalDrive, 2.95f);
    EXPECT_EQ(s.shiftSpeed, 0);
}

TEST(SetupStoreDefaultsTest, DamperTable)
{
    EXPECT_EQ(dampingForSetting(1), 1500.0f);
    EXPECT_EQ(dampingForSetting(2), 3000.0f);
    EXPECT_EQ(dampingForSetting(3), 5500.0f);
    EXPECT_EQ(dampingForSetting(4), 7300.0f);
    EXPECT_EQ(dampingForSetting(5), 8500.0f);
    // Outside the table: clamped to its ends.
    EXPECT_EQ(dampingForSetting(0), 1500.0f);
    EXPECT_EQ(dampingForSetting(-7), 1500.0f);
    EXPECT_EQ(dampingForSetting(6), 8500.0f);
}

TEST_F(SetupStoreTest, DefaultNameTouchesNoFileAndRestoresDefaults)
{
    // Even a valid file called "default" is not read.
    write("setups/default", Bytes().i32(666).data + recordBody().data + Bytes().i32(2).data);
    CSetupStore s;
    s.springRates[0] = 1.0f;
    s.shiftSpeed = 2;
    EXPECT_EQ(load(s, "default"), "");
    expectDefaults(s);
}

TEST_F(SetupStoreTest, MarkedFileUsesCurrentLayout)
{
    const std::string image = Bytes().i32(666).data + recordBody().data + Bytes().i32(2).data;
    ASSERT_EQ(image.size(), 192u);
    write("setups/race", image);
    CSetupStore s;
    EXPECT_EQ(load(s, "race"), "");
    expectRecordBody(s);
    EXPECT_EQ(s.shiftSpeed, 2);
    EXPECT_EQ(s.version, 666);
}

TEST_F(SetupStoreTest, UnmarkedFileUsesOlderLayoutAndKeepsShiftSpeed)
{
    const std::string image = recordBody().data;
    ASSERT_EQ(image.size(), 184u);
    write("setups/old", image);
    CSetupStore s;
    s.shiftSpeed = 1;
    EXPECT_EQ(load(s, "old"), "");
    expectRecordBody(s);
    EXPECT_EQ(s.shiftSpeed, 1);
}

TEST_F(SetupStoreTest, MissingFileIsReportedAndKeepsDefaults)
{
    CSetupStore s;
    const std::string out = load(s, "nowhere");
    EXPECT_NE(out.find("setups/nowhere"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    expectDefaults(s);
}

TEST_F(SetupStoreTest, ShortFileLeavesNoHalfReadRecord)
{
    // A marked file cut after a few fields, and an unmarked one 4 bytes short.
    write("setups/cut", (Bytes().i32(666).data + recordBody().data).substr(0, 188));
    write("setups/cut_old", recordBody().data.substr(0, 180));
    write("setups/empty", "");
    for (const char* name : {"cut", "cut_old", "empty"}) {
        CSetupStore s;
        const std::string out = load(s, name);
        EXPECT_NE(out.find(std::string("setups/") + name), std::string::npos) << out;
        expectDefaults(s);
    }
}

TEST_F(SetupStoreTest, SetupDataReadsFirstEightBytes)
{
    write("default.vqs", Bytes().i32(-2).f32(1.25f).data + "trailing bytes are ignored");
    CSetupData d;
    EXPECT_EQ(d.intValue, 0);
    EXPECT_EQ(d.floatValue, 0.0f);
    d.load("default.vqs");
    EXPECT_EQ(d.intValue, -2);
    EXPECT_EQ(d.floatValue, 1.25f);
}

TEST_F(SetupStoreTest, SetupDataMissingOrShortKeepsZeros)
{
    write("short.vqs", "1234567");
    for (const char* path : {"absent.vqs", "short.vqs"}) {
        CSetupData d;
        testing::internal::CaptureStdout();
        d.load(path);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(path), std::string::npos) << out;
        EXPECT_EQ(d.intValue, 0);
        EXPECT_EQ(d.floatValue, 0.0f);
    }
}

}  // namespace
