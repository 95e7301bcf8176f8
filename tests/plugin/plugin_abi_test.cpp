// The plug-in as a foreign host sees it: a library with two C entry points
// whose car is called through raw table positions and whose fields are read
// directly.

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <set>
#include <sstream>
#include <vector>

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
Result callSlot(void* object, int slot) {
    void** table = *static_cast<void***>(object);
    auto fn = reinterpret_cast<Result (*)(void*)>(table[slot]);
    return fn(object);
}

class PluginAbi : public ::testing::Test {
protected:
    void SetUp() override {
        dInitODE2(0);
        fs::create_directories(dir / "out");
        fs::create_directories(dir / "replay");
        fs::create_directories(dir / "cars/solvi/engine");
    }
    void TearDown() override {
        if (handle) dlclose(handle);
        dCloseODE();
    }
    void* load() {
        handle = dlopen(SOLVI_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        return handle;
    }
    // Unloads the library; true when it really left the process.
    bool unload() {
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

}  // namespace

TEST(PluginExports, DynamicSymbolTableDefinesOnlyTheTwoEntryPoints) {
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

// Both entry points resolve and hand out the same car before and after init.
TEST_F(PluginAbi, HostKnowingOnlySlotNumbersCanCallTheCar) {
    ASSERT_NE(load(), nullptr) << dlerror();
    auto getCar = reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"));
    auto init = reinterpret_cast<VoidFn>(dlsym(handle, "vqInit"));
    ASSERT_NE(getCar, nullptr);
    ASSERT_NE(init, nullptr);
    void* car = getCar();
    ASSERT_NE(car, nullptr);
    init();
    EXPECT_EQ(getCar(), car);

    EXPECT_FLOAT_EQ(callSlot<float>(car, 53), 90.0f);
    EXPECT_TRUE(callSlot<bool>(car, 57));
    EXPECT_STREQ(callSlot<const char*>(car, 54), "solvi");
    EXPECT_EQ(callSlot<int>(car, 38), 0);  // odometer, whole km

    // The live lap timer: its fields follow its table pointer.
    auto* timer = callSlot<uint8_t*>(car, 26);
    ASSERT_NE(timer, nullptr);
    uint32_t fields[5];
    std::memcpy(fields, timer + sizeof(void*), sizeof fields);
    // Current lap, last lap, best lap (none yet), laps counted, best lap's index (-1).
    EXPECT_EQ(std::vector<uint32_t>(fields, fields + 5), (std::vector<uint32_t>{0, 0, 4294967295u, 0, 4294967295u}));
}

TEST_F(PluginAbi, UnloadWithoutInitWritesTheEngineCurvesAndNoReplay) {
    ASSERT_NE(load(), nullptr) << dlerror();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(unload()) << "the library stayed loaded, so its car was never destroyed";
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Solvi destructor\n"), std::string::npos);

    for (const char* file : {"out/power.exp", "out/coast.exp", "cars/solvi/engine/power.exp"}) {
        const std::string text = fileText(dir / file);
        // Empty curves resampled every 500 rpm up to 15000: 31 zero points.
        EXPECT_EQ(text.rfind("[HEADER]\nVALUES=31\n\n[VALUE0]\nX=0.000000\nY=0.000000\n\n", 0), 0u) << file;
        EXPECT_NE(text.find("[VALUE30]\nX=15000.000000\nY=0.000000\n\n"), std::string::npos) << file;
    }
    EXPECT_TRUE(fs::is_empty(dir / "replay"));

    // Loaded again, the library builds a fresh car and destroys it again.
    ASSERT_NE(load(), nullptr) << dlerror();
    EXPECT_FLOAT_EQ(callSlot<float>(reinterpret_cast<GetCarFn>(dlsym(handle, "vqGetCar"))(), 53), 90.0f);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(unload());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Solvi destructor"), std::string::npos);
}
