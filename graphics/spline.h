// RSpline: a named shape of the text export format, kept as its ordered
// knots in engine axes. No interpolation between knots is offered: users
// walk the knots themselves.
#pragma once

#include <string>
#include <vector>

#include "chassis/vector3.h"

struct RSpline {
    std::string name;
    std::vector<Vector3> knots;  // metres, engine axes (x, z, -y of the file)
};
