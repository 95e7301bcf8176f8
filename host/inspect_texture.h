#pragma once
// vqsim inspect for pictures: a TGA file's size, bits, origin, pixel kind
// and a CRC-32 of its decoded pixels, exactly as the texture loader leaves
// them; the same for PNG and JPEG textures.

#include <string>

#include "host/inspect.h"

bool inspectTga(const std::string& path, InspectReport& report, std::string& error);
bool inspectPicture(const std::string& path, InspectReport& report, std::string& error);
