#pragma once
// A car object of the host's car list: the car collides with them and records
// their state into its replay; and a ghost car the host makes for replay
// display. Positions in the table are fixed.

#include <cstdint>
#include <vector>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

// Size of the state record a host car fills and restores for the replay.
inline constexpr int kHostCarStateBytes = 192;

class IHostCar {
public:
    // A ghost car deletes itself: the replay that asked for it owns it and
    // calls this instead of a destructor. The entries of the host's car list
    // belong to the host and ignore it.
    virtual void release() = 0;
    virtual void restoreState(const uint8_t* record) = 0;  // kHostCarStateBytes bytes
    virtual void fillState(uint8_t* record) = 0;           // kHostCarStateBytes bytes
    // A ghost car takes a recorded place: x and z of its position (m, world)
    // and two display values, valueA in 0...6 and valueB in 0...1 (the car's
    // replay records the height in m and the heading in turns).
    virtual void placeGhost(float x, float z, float valueA, float valueB) = 0;
    virtual void unusedSlot4() = 0;
    virtual void unusedSlot5() = 0;
    virtual void unusedSlot6() = 0;
    virtual void unusedSlot7() = 0;
    virtual void unusedSlot8() = 0;
    virtual void unusedSlot9() = 0;
    virtual void unusedSlot10() = 0;
    virtual void unusedSlot11() = 0;
    virtual void unusedSlot12() = 0;
    virtual void unusedSlot13() = 0;
    virtual void unusedSlot14() = 0;
    virtual void unusedSlot15() = 0;
    virtual void unusedSlot16() = 0;
    virtual Vector3& getPosition(Vector3& out) = 0;
    // Either test true: the car does not collide with this object.
    virtual bool isExcludedA() = 0;
    virtual bool isExcludedB() = 0;
    virtual void unusedSlot20() = 0;
    virtual void unusedSlot21() = 0;
    virtual void unusedSlot22() = 0;
    virtual void unusedSlot23() = 0;
    virtual const Matrix4* getPoseMatrix() = 0;

protected:
    ~IHostCar() = default;
};

using HostCarList = std::vector<IHostCar*>;
