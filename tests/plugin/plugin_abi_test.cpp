// The plug-in as a foreign host sees it: a library with two C entry points
// whose car is called through raw table positions and whose fields are read
// directly.

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <ode/ode.h>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using VoidFn = void (*)();
using GetCarFn = void* (*)();

// Calls the operation at `slot` of the object's table with no arguments.
template <typename Result>
Result callSlot(void* object, int slot)
{
    void** table = *static_cast<void***>(object);
    auto fn = reinterpret_cast<Result (*)(void*)>(table[slot]);
    return fn(object);
}

class PluginAbi : public ::testing::Test {
protected:
    void SetUp() override
    {
        dInitODE2(0);
        fs::create_directories(dir / "out");
        fs::create_directories(dir / "replay");
        fs::create_directories(dir / "cars/solvi/engine");
    }
    void TearDown() override
    {
        if (handle) dlclose(handle);
        dCloseODE();
    }
    void* load()
    {
        handle = dlopen(SOLVI_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        return handle;
    }
    // Unloads the library; true when it really left the process.
    bool unload()
    {
        dlclose(handle);
        handle = nullptr;
        void* again = dlopen(SOLVI_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
        if (again) dlclose(again);
        return again == nullptr;
    }

    TempDir dir;
    WorkIn work{dir.path()};
    void* handle = nullptr;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST_F(PluginAbi, ExportsHandOutOneCarBeforeAndAfterInit)
{
    ASSERT_NE(load(), nullptr) << dlerror();
    auto getCar = reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"));
    auto init = reinterpret_cast<VoidFn>(dlsym(handle, "vqInit"));
    ASSERT_NE(getCar, nullptr);
    ASSERT_NE(init, nullptr);

    void* before = getCar();
    init();
    EXPECT_NE(before, nullptr);
    EXPECT_EQ(getCar(), before);
    EXPECT_EQ(getCar(), before);
}

TEST_F(PluginAbi, NothingButTheTwoEntryPointsIsVisible)
{
    ASSERT_NE(load(), nullptr) << dlerror();
    for (const char* hidden : {"theCar", "_ZN6CSolviC1Ev", "_ZN4CCar11stepPhysicsEf", "_ZN6CCurve8getValueEf"})
        EXPECT_EQ(dlsym(handle, hidden), nullptr) << hidden;
}

TEST(PluginExports, DynamicSymbolTableDefinesOnlyTheTwoEntryPoints)
{
    const std::string command = std::string("nm -D --defined-only ") + SOLVI_PLUGIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0) << "nm failed";
    EXPECT_EQ(names, (std::set<std::string>{"vqGetCar", "vqInit"}));
}

TEST_F(PluginAbi, HostKnowingOnlySlotNumbersCanCallTheCar)
{
    ASSERT_NE(load(), nullptr) << dlerror();
    void* car = reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"))();

    EXPECT_FLOAT_EQ(callSlot<float>(car, 53), 90.0f);
    EXPECT_TRUE(callSlot<bool>(car, 57));
    EXPECT_STREQ(callSlot<const char*>(car, 54), "solvi");

    // The live lap timer: its fields follow its table pointer.
    auto* timer = callSlot<uint8_t*>(car, 26);
    ASSERT_NE(timer, nullptr);
    uint32_t fields[5];
    std::memcpy(fields, timer + sizeof(void*), sizeof fields);
    EXPECT_EQ(fields[0], 0u);           // current lap
    EXPECT_EQ(fields[1], 0u);           // last lap
    EXPECT_EQ(fields[2], 4294967295u);  // best lap: none yet
    EXPECT_EQ(fields[3], 0u);           // laps counted
    EXPECT_EQ(static_cast<int32_t>(fields[4]), -1);  // index of the best lap
}

TEST_F(PluginAbi, UnloadWithoutInitWritesTheEngineCurvesAndNoReplay)
{
    ASSERT_NE(load(), nullptr) << dlerror();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(unload()) << "the library stayed loaded, so its car was never destroyed";
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Solvi destructor\n"), std::string::npos);

    for (const char* file : {"out/power.exp", "out/coast.exp", "cars/solvi/engine/power.exp"}) {
        const std::string text = readFile(dir / file);
        // Empty curves resampled every 500 rpm up to 15000: 31 zero points.
        EXPECT_EQ(text.rfind("[HEADER]\nVALUES=31\n\n[VALUE0]\nX=0.000000\nY=0.000000\n\n", 0), 0u) << file;
        EXPECT_NE(text.find("[VALUE30]\nX=15000.000000\nY=0.000000\n\n"), std::string::npos) << file;
    }
    EXPECT_TRUE(fs::is_empty(dir / "replay"));
}

TEST_F(PluginAbi, ReloadingBuildsAFreshCar)
{
    ASSERT_NE(load(), nullptr);
    void* car = reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"))();
    EXPECT_EQ(callSlot<int>(car, 38), 0);  // odometer, whole km
    testing::internal::CaptureStdout();
    ASSERT_TRUE(unload());
    testing::internal::GetCapturedStdout();

    ASSERT_NE(load(), nullptr);
    void* second = reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"))();
    EXPECT_FLOAT_EQ(callSlot<float>(second, 53), 90.0f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(unload());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Solvi destructor"), std::string::npos);
}
