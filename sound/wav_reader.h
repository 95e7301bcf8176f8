#pragma once
// Reading of RIFF/WAVE files holding uncompressed PCM: 8- or 16-bit, mono or
// stereo, any rate. Other encodings (float, compressed, 24/32-bit) are
// refused with a reason rather than guessed at.

#include <cstdint>
#include <string>
#include <vector>

struct WaveData {
    int32_t channels = 0;    // 1 or 2
    int32_t sampleRate = 0;  // frames per second
    std::vector<int16_t> samples;  // interleaved, 8-bit input widened to 16

    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads path into out. On failure returns false with a short reason in
// error (when given) and leaves out empty.
bool readWavFile(const std::string& path, WaveData& out, std::string* error = nullptr);
// The same over bytes already in memory.
bool parseWav(const uint8_t* data, std::size_t size, WaveData& out, std::string* error = nullptr);
