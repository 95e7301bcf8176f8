#pragma once
// PNG files of pictures the host makes (model pictures, frames of a drive).

#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGB picture, `rgb` holding width × height × 3 bytes with
// the top row first. False with `error` when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb, std::string& error);
