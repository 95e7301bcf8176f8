#include "sound/wav_reader.h"

#include <cstdio>
#include <cstring>

namespace {

uint32_t read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool fail(std::string* error, const char* why, WaveData& out)
{
    if (error) *error = why;
    out = WaveData{};
    return false;
}

}  // namespace

bool parseWav(const uint8_t* data, std::size_t size, WaveData& out, std::string* error)
{
    out = WaveData{};
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail(error, "not a RIFF/WAVE file", out);

    bool haveFormat = false;
    uint16_t bits = 0;
    uint16_t blockAlign = 0;
    std::size_t pos = 12;
    // Chunks are walked by their declared sizes, each checked against what
    // is left of the file, so a lying header cannot send us past the end.
    while (pos + 8 <= size) {
        const uint8_t* chunk = data + pos;
        const uint32_t chunkSize = read32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || chunkSize > available) return fail(error, "bad format chunk", out);
            const uint16_t format = read16(data + body);
            out.channels = read16(data + body + 2);
            out.sampleRate = static_cast<int32_t>(read32(data + body + 4));
            blockAlign = read16(data + body + 12);
            bits = read16(data + body + 14);
            // 0xFFFE (extensible) is accepted when it still describes plain
            // integer PCM of the sizes below.
            if (format != 1 && format != 0xFFFE) return fail(error, "not PCM", out);
            if (out.channels < 1 || out.channels > 2) return fail(error, "unsupported channel count", out);
            if (bits != 8 && bits != 16) return fail(error, "unsupported sample size", out);
            if (out.sampleRate < 1 || out.sampleRate > 384000) return fail(error, "bad sample rate", out);
            if (blockAlign != out.channels * bits / 8) return fail(error, "bad block alignment", out);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return fail(error, "data before format", out);
            // A truncated last chunk is read as far as it goes.
            const std::size_t bytes = chunkSize < available ? chunkSize : available;
            const std::size_t count = bytes / blockAlign * out.channels;
            out.samples.resize(count);
            const uint8_t* s = data + body;
            for (std::size_t i = 0; i < count; ++i)
                out.samples[i] = bits == 16 ? static_cast<int16_t>(read16(s + 2 * i))
                                            : static_cast<int16_t>((int(s[i]) - 128) * 256);
            return true;
        }
        if (chunkSize > available) break;
        pos = body + chunkSize + (chunkSize & 1u);  // chunks are padded to even sizes
    }
    return fail(error, haveFormat ? "no data chunk" : "no format chunk", out);
}

bool readWavFile(const std::string& path, WaveData& out, std::string* error)
{
    out = WaveData{};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return fail(error, "cannot open file", out);
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    std::fclose(f);
    return parseWav(bytes.data(), bytes.size(), out, error);
}
