#pragma once
// vqsim inspect readers for the car's replay files and setup files.

#include <string>

#include "host/inspect.h"

// A replay ("replay/cr" as the car writes it, or any ".replay"): header
// texts, version, frame rate, frame count, duration, lap times, other cars.
bool inspectReplay(const std::string& path, InspectReport& report, std::string& error);
// A setup: the car's own 8-byte record (an integer and a float), or a setup
// of the 192-byte (current, marked 666) or 184-byte (older) layout with
// every field.
bool inspectSetup(const std::string& path, InspectReport& report, std::string& error);
