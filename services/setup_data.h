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

    // Reads the first 8 bytes of the binary file at path. A missing file,
    // one shorter than 8 bytes or a float that is not a finite number is
    // reported and leaves both values as they were (0 until a read succeeds).
    void load(const std::string& path);
    // What load would refuse in the file, in words; empty when nothing.
    static std::string checkFile(const std::string& path);

    int32_t intValue = 0;
    float floatValue = 0.0f;

private:
    static std::string readFile(const std::string& path, int32_t& first, float& second);
};
