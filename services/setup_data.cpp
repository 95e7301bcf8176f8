#include "services/setup_data.h"

#include <cmath>
#include <cstdio>
#include <cstring>

std::string CSetupData::readFile(const std::string& path, int32_t& first, float& second)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "cannot open " + path;
    unsigned char bytes[8];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (got < sizeof bytes) return path + " holds " + std::to_string(got) + " bytes, 8 needed";
    const uint32_t a = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    const uint32_t b = uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 | uint32_t(bytes[7]) << 24;
    first = static_cast<int32_t>(a);
    std::memcpy(&second, &b, sizeof second);
    if (!std::isfinite(second)) return path + ": its float (bytes 4-7) is not a finite number";
    return "";
}

std::string CSetupData::checkFile(const std::string& path)
{
    int32_t first = 0;
    float second = 0;
    return readFile(path, first, second);
}

void CSetupData::load(const std::string& path)
{
    int32_t first = 0;
    float second = 0;
    const std::string problem = readFile(path, first, second);
    if (!problem.empty()) {
        std::printf("CSetupData::load : %s, keeping %d and %f\n", problem.c_str(), intValue,
                    static_cast<double>(floatValue));
        return;
    }
    intValue = first;
    floatValue = second;
}
