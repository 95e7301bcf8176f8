// Reads arbitrary bytes as a named setup file (either layout, any length) and
// as the car's 8-byte setup record.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "services/setup_data.h"
#include "services/setup_store.h"

namespace {

std::string g_dir;
int g_home = -1;  // the fuzzer's own working directory, for its corpus and artefacts

void removeScratch()
{
    std::remove((g_dir + "/setups/fuzz").c_str());
    rmdir((g_dir + "/setups").c_str());
    rmdir(g_dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/solvi_fuzz_setup_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    if (mkdir((g_dir + "/setups").c_str(), 0700) != 0) std::abort();
    std::atexit(removeScratch);
    g_home = open(".", O_RDONLY | O_DIRECTORY);
    if (g_home < 0) std::abort();
    // Short-file notices would flood the fuzzer's output.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The store looks in "setups/" below the working directory; step into the
    // scratch folder only for the load so that libFuzzer's relative paths hold.
    if (chdir(g_dir.c_str()) != 0) std::abort();
    FILE* file = std::fopen("setups/fuzz", "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

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
