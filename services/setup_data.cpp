#include "services/setup_data.h"

#include <cstdio>
#include <cstring>

void CSetupData::load(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::printf("CSetupData::load : cannot open %s, keeping %d and %f\n", path.c_str(), intValue,
                    static_cast<double>(floatValue));
        return;
    }
    unsigned char bytes[8];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (got < sizeof bytes) {
        std::printf("CSetupData::load : %s holds %d bytes, 8 needed, keeping %d and %f\n", path.c_str(),
                    static_cast<int>(got), intValue, static_cast<double>(floatValue));
        return;
    }
    const uint32_t first = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                           uint32_t(bytes[3]) << 24;
    const uint32_t second = uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 |
                            uint32_t(bytes[7]) << 24;
    intValue = static_cast<int32_t>(first);
    std::memcpy(&floatValue, &second, sizeof floatValue);
}
