#include "sound/wav_writer.h"

namespace {

void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

bool RWavWriter::open(const std::string& path, int32_t channels, int32_t sampleRate)
{
    close();
    if (channels < 1 || sampleRate < 1) return false;
    file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    put32(header + 16, 16);
    put16(header + 20, 1);  // integer PCM
    put16(header + 22, static_cast<uint16_t>(channels));
    put32(header + 24, static_cast<uint32_t>(sampleRate));
    put32(header + 28, static_cast<uint32_t>(sampleRate * channels * 2));
    put16(header + 32, static_cast<uint16_t>(channels * 2));
    put16(header + 34, 16);
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    dataBytes = 0;
    ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    return ok;
}

bool RWavWriter::write(const int16_t* samples, std::size_t count)
{
    if (!file) return false;
    std::vector<uint8_t> bytes(count * 2);
    for (std::size_t i = 0; i < count; ++i) put16(&bytes[2 * i], static_cast<uint16_t>(samples[i]));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = ok && written;
    dataBytes += static_cast<uint32_t>(bytes.size());
    return written;
}

bool RWavWriter::close()
{
    if (!file) return false;
    uint8_t size[4];
    put32(size, 36 + dataBytes);
    ok = ok && std::fseek(file, 4, SEEK_SET) == 0 && std::fwrite(size, 1, 4, file) == 4;
    put32(size, dataBytes);
    ok = ok && std::fseek(file, 40, SEEK_SET) == 0 && std::fwrite(size, 1, 4, file) == 4;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

bool RWavWriter::writeFile(const std::string& path, int32_t channels, int32_t sampleRate,
                           const std::vector<int16_t>& samples)
{
    RWavWriter writer;
    if (!writer.open(path, channels, sampleRate)) return false;
    writer.write(samples.data(), samples.size());
    return writer.close();
}
