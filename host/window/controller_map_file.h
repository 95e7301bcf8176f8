#pragma once
// The steering wheel's map file, a small ini text: sections [steering],
// [throttle], [brake], [clutch], [buttons] and [force_feedback], "key = value"
// lines, comments after '#' or ';'. A missing key keeps its built-in value
// (kWheelDefaults); an unknown section or key, a bad value, a key given twice
// or a range that is empty is refused with the file, the line (or the
// section) and the reason. data/controls/wheel.ini documents every key.

#include <string>

#include "host/window/controller_map.h"

// Parses the map's text; `name` is used in messages.
bool parseControllerMap(const std::string& text, const std::string& name, ControllerMap& map, std::string& error);
bool loadControllerMap(const std::string& path, ControllerMap& map, std::string& error);
