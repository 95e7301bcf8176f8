#pragma once
// Plain records the car fills for the host (camera, view point, wheel display)
// and the driver record the host hands to the car. Their layouts are part of
// the host contract: change them only together with the host.

#include <string>

#include "chassis/vector3.h"

// The driver's eye for the in-car camera (slot 16): where the head is and
// which way the car faces.
struct DriverEye {
    Vector3 position;
    Vector3 forward;
    Vector3 up;
};

// The current external view point (slot 17): its position and the directions
// from it towards the view's target and up points, all in world axes.
struct ViewPoint {
    Vector3 position;
    Vector3 toTarget;
    Vector3 toUp;
};

// One wheel's state for the host's display (slot 31).
struct WheelInfo {
    float angularSpeed = 0;   // rad/s
    float slipRatio = 0;
    float slipAngleDeg = 0;
    float load = 0;           // N
    float camberDeg = 0;
    float temperature[3] = {0, 0, 0};  // inner, middle, outer, deg C
    float wear = 0;           // 0 new .. 1 worn out
    float dirt = 0;
    int surfaceKind = 0;
};

// Who drives the car (slots 39 and 40).
struct DriverRecord {
    std::string name;
};
