// RBox: an oriented box of the car core as the engine keeps it: its eight
// corners and its six face planes in world coordinates. Filling it from a
// pose is the user's business; the engine only owns the record.
#pragma once

#include "chassis/vector3.h"

struct RBox {
    Vector3 corners[8] = {};
    // Plane (a, b, c, d): a·x + b·y + c·z + d = 0, (a, b, c) the outward
    // normal.
    float planes[6][4] = {};
};
