// Reads arbitrary bytes as a replay file ("replay/cr"), then plays what was
// read on a bare car base. Never crashes and never trusts a size from the
// file beyond the file's own length: no more frames than the bytes can hold,
// every frame loaded has lap times, and saving what was loaded is a fixed
// point (loading the saved file and saving again gives the same bytes).
// The same bytes are also read as the frames of a file whose header counts
// the most frames there can be, so the frame reader gets fuzzed from the
// first input on, without waiting for a valid header to turn up.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "car/car.h"
#include "car/replay.h"

namespace {

std::string g_dir;
int g_home = -1;  // the fuzzer's own working directory, for its corpus and artefacts

void removeScratch()
{
    for (const char* name : {"input", "framed", "saved", "again", "groove.txt", "out/power.exp", "out/coast.exp"})
        std::remove((g_dir + "/" + name).c_str());
    rmdir((g_dir + "/out").c_str());
    rmdir(g_dir.c_str());
}

std::vector<uint8_t> readAll(const char* path)
{
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file) std::abort();
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/solvi_fuzz_replay_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    // The bare car writes its engine curves into "out/" when it goes.
    if (mkdir((g_dir + "/out").c_str(), 0700) != 0) std::abort();
    std::atexit(removeScratch);
    g_home = open(".", O_RDONLY | O_DIRECTORY);
    if (g_home < 0) std::abort();
    // The loader's diagnostics would flood the fuzzer's output.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The car's loader writes "groove.txt" into its working directory; step
    // into the scratch folder for the run so libFuzzer's relative paths hold.
    if (chdir(g_dir.c_str()) != 0) std::abort();
    FILE* file = std::fopen("input", "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    {
        CReplay header;
        std::vector<uint8_t> framed = header.header(0x7FFFFFFF);
        framed.insert(framed.end(), data, data + size);
        FILE* out = std::fopen("framed", "wb");
        if (!out || std::fwrite(framed.data(), 1, framed.size(), out) != framed.size()) std::abort();
        std::fclose(out);
        CReplay replay;
        if (replay.load("framed", "groove.txt")) std::abort();  // never that many frames
        if (static_cast<size_t>(replay.frameCount()) > size / 193) std::abort();
    }
    {
        CCar car;
        const int loaded = car.loadReplay("input");
        CReplay& replay = car.replay;
        // A frame takes at least 193 bytes after the 372-byte header.
        const size_t most = size < CReplay::kHeaderBytes ? 0 : (size - CReplay::kHeaderBytes) / 193;
        if (static_cast<size_t>(replay.frameCount()) > most) std::abort();
        if (loaded && size < CReplay::kHeaderBytes) std::abort();
        for (const auto& frame : replay.frames)
            if (!frame->hasLapTimes) std::abort();

        // Playback over what was read: forward, jumps both ways, the values
        // the host reads in replay view, and back to the physics.
        for (int command : {0, 0, 2, 3, 3, 0, 2, 1, 0}) {
            const int index = car.replayControl(command);
            if (index < 0 || (replay.frameCount() > 0 && index >= replay.frameCount())) std::abort();
            (void)car.getEngineSoundLevel();
            (void)car.getStateValue(0);
            (void)car.getWheelSoundValue(0);
            (void)car.getLapTimer()->currentText();
        }
        car.leaveReplayView();

        if (!replay.save("saved")) std::abort();
        CReplay again;
        if (!again.load("saved", "groove.txt")) std::abort();
        if (!again.save("again")) std::abort();
        if (readAll("saved") != readAll("again")) std::abort();
    }
    if (fchdir(g_home) != 0) std::abort();
    return 0;
}
