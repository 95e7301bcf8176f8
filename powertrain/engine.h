#pragma once
// The engine as far as the car needs it before the drivetrain exists: its
// full-load power curve and its coast curve (torque in N·m over rpm), which
// the car writes out when it is unloaded. The drivetrain node with throttle,
// limiter, stall and fuel behaviour grows around these two curves.

#include "chassis/curve.h"

class CEngine {
public:
    CCurve powerCurve;
    CCurve coastCurve;
};
