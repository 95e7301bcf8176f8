// Reads arbitrary bytes as a named setup file (either layout, any length) and
// as the car's 8-byte setup record.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "services/setup_data.h"
#include "services/setup_store.h"

namespace {

std::optional<FuzzScratch> g_scratch;
int g_home = -1;  // the fuzzer's own working directory, for its corpus and artefacts

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("setup");
    g_scratch->makeFolder("setups");
    g_home = open(".", O_RDONLY | O_DIRECTORY);
    if (g_home < 0) std::abort();
    // Short-file notices would flood the fuzzer's output.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The store looks in "setups/" below the working directory; step into the
    // scratch folder only for the load so that libFuzzer's relative paths hold.
    if (chdir(g_scratch->dir().c_str()) != 0) std::abort();
    g_scratch->write("setups/fuzz", data, size);

    CSetupStore store;
    store.setName("fuzz");
    store.load();
    // A file too short for its layout must leave every default in place.
    const bool marked = size >= 4 && data[0] == 0x9a && data[1] == 0x02 && data[2] == 0 && data[3] == 0;
    const std::size_t needed = marked ? CSetupStore::kCurrentLayoutBytes : CSetupStore::kOlderLayoutBytes;
    if (size < needed && (store.valueA != 100 || store.steeringRatio != 12 || store.flagA != 1)) std::abort();
    for (int32_t setting : store.extensionSettings) (void)dampingForSetting(setting);
    for (int32_t setting : store.compressionSettings) (void)dampingForSetting(setting);

    CSetupData record;
    record.load("setups/fuzz");
    if (size < 8 && (record.intValue != 0 || record.floatValue != 0.0f)) std::abort();
    if (fchdir(g_home) != 0) std::abort();
    return 0;
}
