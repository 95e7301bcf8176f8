#pragma once
// The concrete car's own 8-byte setup record, read from its default setup
// file: a 32-bit integer and a 32-bit float, little-endian, in that order.
// Nothing in the car uses the two values; it only keeps them.

#include <cstdint>
#include <string>

class CSetupData {
public:
    CSetupData() = default;
    virtual ~CSetupData() = default;

    // Reads the first 8 bytes of the binary file at path. A missing file or
    // one shorter than 8 bytes is reported and leaves both values as they
    // were (0 until a read succeeds).
    void load(const std::string& path);

    int32_t intValue = 0;
    float floatValue = 0.0f;
};
