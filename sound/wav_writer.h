#pragma once
// RWavWriter: writes 16-bit PCM RIFF/WAVE files, whole or streamed in blocks
// (the loopback mixer's render goes out this way). The header's sizes are
// filled in when the file is closed; nothing else is written.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class RWavWriter {
public:
    RWavWriter() = default;
    ~RWavWriter() { close(); }
    RWavWriter(const RWavWriter&) = delete;
    RWavWriter& operator=(const RWavWriter&) = delete;

    // Starts a file of 16-bit samples; false when it cannot be created.
    bool open(const std::string& path, int32_t channels, int32_t sampleRate);
    // Appends interleaved samples (a whole number of frames).
    bool write(const int16_t* samples, std::size_t count);
    // Fills in the header's sizes and closes; true when every byte was written.
    bool close();
    bool isOpen() const { return file != nullptr; }

    // A whole file in one go.
    static bool writeFile(const std::string& path, int32_t channels, int32_t sampleRate,
                          const std::vector<int16_t>& samples);

private:
    std::FILE* file = nullptr;
    uint32_t dataBytes = 0;
    bool ok = false;
};
