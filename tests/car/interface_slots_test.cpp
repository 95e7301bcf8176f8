// Hosts call the car, and the car calls the host's objects, by position in
// their operation tables. With the Itanium C++ ABI a pointer to a virtual
// member function holds 1 + position * sizeof(void*), which pins every
// operation to its position.

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "car/controls.h"
#include "car/host_car.h"
#include "car/icar.h"
#include "car/profiler.h"
#include "car/sim_host.h"
#include "car/track.h"
#include "powertrain/shift_listener.h"

namespace {

template <typename Pmf>
long slotOf(Pmf pmf)
{
    static_assert(sizeof(Pmf) == 2 * sizeof(void*));
    uintptr_t raw = 0;
    std::memcpy(&raw, &pmf, sizeof raw);
    if ((raw & 1) == 0) return -1;  // not a virtual function
    return static_cast<long>((raw - 1) / sizeof(void*));
}

#define EXPECT_SLOT(cls, op, slot) EXPECT_EQ(slotOf(&cls::op), slot) << #cls "::" #op

}  // namespace

TEST(InterfaceSlots, CarOperationsSitAtTheirPositions)
{
    EXPECT_SLOT(ICar, init, 0);
    EXPECT_SLOT(ICar, showSteeringWheel, 1);
    EXPECT_SLOT(ICar, setSteeringGain, 2);
    EXPECT_SLOT(ICar, stepPhysics, 3);
    EXPECT_SLOT(ICar, syncFrames, 4);
    EXPECT_SLOT(ICar, setSteering, 5);
    EXPECT_SLOT(ICar, setThrottle, 6);
    EXPECT_SLOT(ICar, setBrake, 7);
    EXPECT_SLOT(ICar, unusedSlot8, 8);
    EXPECT_SLOT(ICar, setControls, 9);
    EXPECT_SLOT(ICar, getThrottleInput, 10);
    EXPECT_SLOT(ICar, getBrakeInput, 11);
    EXPECT_SLOT(ICar, getMatrix, 12);
    EXPECT_SLOT(ICar, getBody, 13);
    EXPECT_SLOT(ICar, getVelocity, 14);
    EXPECT_SLOT(ICar, getSpeed, 15);
    EXPECT_SLOT(ICar, getDriverEye, 16);
    EXPECT_SLOT(ICar, getViewPoint, 17);
    EXPECT_SLOT(ICar, draw, 18);
    EXPECT_SLOT(ICar, drawShadow, 19);
    EXPECT_SLOT(ICar, getRpm, 20);
    EXPECT_SLOT(ICar, getEngineSoundLevel, 21);
    EXPECT_SLOT(ICar, getStateValue, 22);
    EXPECT_SLOT(ICar, getWheelSoundValue, 23);
    EXPECT_SLOT(ICar, getMaxWheelSpeedOnSurface, 24);
    EXPECT_SLOT(ICar, getGearName, 25);
    EXPECT_SLOT(ICar, getLapTimer, 26);
    EXPECT_SLOT(ICar, setTextA, 27);
    EXPECT_SLOT(ICar, getSteeringTorque, 28);
    EXPECT_SLOT(ICar, getWheelEvent, 29);
    EXPECT_SLOT(ICar, clearWheelEvents, 30);
    EXPECT_SLOT(ICar, getWheelInfo, 31);
    EXPECT_SLOT(ICar, getWheelSurfaces, 32);
    EXPECT_SLOT(ICar, drawDebugText, 33);
    EXPECT_SLOT(ICar, drawName, 34);
    EXPECT_SLOT(ICar, updateEngineSound, 35);
    EXPECT_SLOT(ICar, initSounds, 36);
    EXPECT_SLOT(ICar, reset, 37);
    EXPECT_SLOT(ICar, getOdometerKm, 38);
    EXPECT_SLOT(ICar, setDriver, 39);
    EXPECT_SLOT(ICar, getDriver, 40);
    EXPECT_SLOT(ICar, onKey, 41);
    EXPECT_SLOT(ICar, replayControl, 42);
    EXPECT_SLOT(ICar, unusedSlot43, 43);
    EXPECT_SLOT(ICar, leaveReplayView, 44);
    EXPECT_SLOT(ICar, loadReplay, 45);
    EXPECT_SLOT(ICar, setSkinName, 46);
    EXPECT_SLOT(ICar, setOtherCars, 47);
    EXPECT_SLOT(ICar, setProfiler, 48);
    EXPECT_SLOT(ICar, setTextB, 49);
    EXPECT_SLOT(ICar, drawSuspension, 50);
    EXPECT_SLOT(ICar, drawMarker, 51);
    EXPECT_SLOT(ICar, setTextC, 52);
    EXPECT_SLOT(ICar, getConstant, 53);
    EXPECT_SLOT(ICar, getShortName, 54);
    EXPECT_SLOT(ICar, drawExtra, 55);
    EXPECT_SLOT(ICar, resetInputDelay, 56);
    EXPECT_SLOT(ICar, isAvailable, 57);
}

TEST(InterfaceSlots, CarInterfaceIsATableAndNothingElse)
{
    // One table pointer: no data, so the host's pointer is the table.
    EXPECT_EQ(sizeof(ICar), sizeof(void*));
    EXPECT_TRUE(std::is_polymorphic_v<ICar>);
    EXPECT_FALSE(std::has_virtual_destructor_v<ICar>);
}

TEST(InterfaceSlots, TrackOperationsSitAtTheirPositions)
{
    EXPECT_SLOT(ITrack, queryGround, 1);
    EXPECT_SLOT(ITrack, queryWall, 2);
    EXPECT_SLOT(ITrack, trackValue, 3);
    EXPECT_SLOT(ITrack, isFinishLine, 5);
    EXPECT_SLOT(ITrack, isIntermediateLine, 6);
}

TEST(InterfaceSlots, SimHostOperationsSitAtTheirPositions)
{
    EXPECT_SLOT(ISimHost, createGhostCar, 0);
    EXPECT_SLOT(ISimHost, debugFlag, 1);
    EXPECT_SLOT(ISimHost, carByNumber, 3);
    EXPECT_SLOT(ISimHost, showMessage, 4);
    EXPECT_SLOT(ISimHost, cars, 5);
    EXPECT_SLOT(ISimHost, lapCompleted, 8);
    EXPECT_SLOT(ISimHost, flag, 11);
    EXPECT_SLOT(IHostFlag, isSet, 0);
}

TEST(InterfaceSlots, ShiftListenerIsOnePointerWithItsTwoNotifications)
{
    EXPECT_EQ(sizeof(IShiftListener), sizeof(void*));
    EXPECT_SLOT(IShiftListener, shiftFinished, 1);
    EXPECT_SLOT(IShiftListener, shiftStarted, 2);
}

TEST(InterfaceSlots, HostCarOperationsSitAtTheirPositions)
{
    EXPECT_SLOT(IHostCar, release, 0);  // a ghost car's deletion, in place of a destructor
    EXPECT_SLOT(IHostCar, restoreState, 1);
    EXPECT_SLOT(IHostCar, fillState, 2);
    EXPECT_SLOT(IHostCar, placeGhost, 3);
    EXPECT_SLOT(IHostCar, getPosition, 17);
    EXPECT_SLOT(IHostCar, isExcludedA, 18);
    EXPECT_SLOT(IHostCar, isExcludedB, 19);
    EXPECT_SLOT(IHostCar, getPoseMatrix, 24);
}

TEST(InterfaceSlots, ProfilerAndControlsOperationsSitAtTheirPositions)
{
    EXPECT_SLOT(IProfiler, begin, 0);
    EXPECT_SLOT(IProfiler, end, 1);
    EXPECT_SLOT(IControls, shiftDownButton, 0);
    EXPECT_SLOT(IControls, shiftUpButton, 1);
    EXPECT_SLOT(IControls, brake, 2);
    EXPECT_SLOT(IControls, throttle, 3);
    EXPECT_SLOT(IControls, steering, 5);
}
