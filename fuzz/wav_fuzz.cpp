// Parses arbitrary bytes as a wave file: a refusal always says why, and an
// accepted wave is whole (whole frames, a rate, one or two channels), never
// larger than the bytes could hold.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WaveData wave;
    std::string error;
    if (!parseWav(data, size, wave, &error)) {
        if (error.empty() || !wave.samples.empty()) std::abort();
        return 0;
    }
    if (wave.channels != 1 && wave.channels != 2) std::abort();
    if (wave.sampleRate <= 0) std::abort();
    if (wave.samples.size() % static_cast<size_t>(wave.channels) != 0) std::abort();
    // 8-bit input widens each byte to one sample; nothing is invented.
    if (wave.samples.size() > size) std::abort();
    return 0;
}
