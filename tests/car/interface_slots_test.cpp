// Hosts call the car, and the car calls the host's objects, by position in
// their operation tables. With the Itanium C++ ABI a pointer to a virtual
// member function holds 1 + position * sizeof(void*), which pins every
// operation to its position.

#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

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
long slotOf(Pmf pmf) {
    static_assert(sizeof(Pmf) == 2 * sizeof(void*));
    uintptr_t raw = 0;
    std::memcpy(&raw, &pmf, sizeof raw);
    if ((raw & 1) == 0) return -1;  // not a virtual function
    return static_cast<long>((raw - 1) / sizeof(void*));
}

#define EXPECT_SLOT(cls, op, slot) EXPECT_EQ(slotOf(&cls::op), slot) << #cls "::" #op

}  // namespace

TEST(InterfaceSlots, CarOperationsSitAtTheirPositions) {
    // In slot order, 0 to 57.
    const long slots[] = {
        slotOf(&ICar::init), slotOf(&ICar::showSteeringWheel), slotOf(&ICar::setSteeringGain),
        slotOf(&ICar::stepPhysics), slotOf(&ICar::syncFrames), slotOf(&ICar::setSteering),
        slotOf(&ICar::setThrottle), slotOf(&ICar::setBrake), slotOf(&ICar::unusedSlot8),
        slotOf(&ICar::setControls), slotOf(&ICar::getThrottleInput), slotOf(&ICar::getBrakeInput),
        slotOf(&ICar::getMatrix), slotOf(&ICar::getBody), slotOf(&ICar::getVelocity), slotOf(&ICar::getSpeed),
        slotOf(&ICar::getDriverEye), slotOf(&ICar::getViewPoint), slotOf(&ICar::draw), slotOf(&ICar::drawShadow),
        slotOf(&ICar::getRpm), slotOf(&ICar::getEngineSoundLevel), slotOf(&ICar::getStateValue),
        slotOf(&ICar::getWheelSoundValue), slotOf(&ICar::getMaxWheelSpeedOnSurface), slotOf(&ICar::getGearName),
        slotOf(&ICar::getLapTimer), slotOf(&ICar::setTextA), slotOf(&ICar::getSteeringTorque),
        slotOf(&ICar::getWheelEvent), slotOf(&ICar::clearWheelEvents), slotOf(&ICar::getWheelInfo),
        slotOf(&ICar::getWheelSurfaces), slotOf(&ICar::drawDebugText), slotOf(&ICar::drawName),
        slotOf(&ICar::updateEngineSound), slotOf(&ICar::initSounds), slotOf(&ICar::reset),
        slotOf(&ICar::getOdometerKm), slotOf(&ICar::setDriver), slotOf(&ICar::getDriver), slotOf(&ICar::onKey),
        slotOf(&ICar::replayControl), slotOf(&ICar::unusedSlot43), slotOf(&ICar::leaveReplayView),
        slotOf(&ICar::loadReplay), slotOf(&ICar::setSkinName), slotOf(&ICar::setOtherCars),
        slotOf(&ICar::setProfiler), slotOf(&ICar::setTextB), slotOf(&ICar::drawSuspension),
        slotOf(&ICar::drawMarker), slotOf(&ICar::setTextC), slotOf(&ICar::getConstant),
        slotOf(&ICar::getShortName), slotOf(&ICar::drawExtra), slotOf(&ICar::resetInputDelay),
        slotOf(&ICar::isAvailable)};
    ASSERT_EQ(std::size(slots), 58u);
    for (long i = 0; i < 58; ++i) EXPECT_EQ(slots[i], i);
}

// One table pointer and no data, so the host's pointer is the table; the
// same for the shift listener, the host object's first base.
static_assert(sizeof(ICar) == sizeof(void*) && std::is_polymorphic_v<ICar> &&
              !std::has_virtual_destructor_v<ICar>);
static_assert(sizeof(IShiftListener) == sizeof(void*));

TEST(InterfaceSlots, HostObjectOperationsSitAtTheirPositions) {
    EXPECT_SLOT(ITrack, queryGround, 1);
    EXPECT_SLOT(ITrack, queryWall, 2);
    EXPECT_SLOT(ITrack, trackValue, 3);
    EXPECT_SLOT(ITrack, isFinishLine, 5);
    EXPECT_SLOT(ITrack, isIntermediateLine, 6);
    EXPECT_SLOT(ISimHost, createGhostCar, 0);
    EXPECT_SLOT(ISimHost, debugFlag, 1);
    EXPECT_SLOT(ISimHost, carByNumber, 3);
    EXPECT_SLOT(ISimHost, showMessage, 4);
    EXPECT_SLOT(ISimHost, cars, 5);
    EXPECT_SLOT(ISimHost, lapCompleted, 8);
    EXPECT_SLOT(ISimHost, flag, 11);
    EXPECT_SLOT(IHostFlag, isSet, 0);
    EXPECT_SLOT(IShiftListener, shiftFinished, 1);
    EXPECT_SLOT(IShiftListener, shiftStarted, 2);
    EXPECT_SLOT(IHostCar, release, 0);  // a ghost car's deletion, in place of a destructor
    EXPECT_SLOT(IHostCar, restoreState, 1);
    EXPECT_SLOT(IHostCar, fillState, 2);
    EXPECT_SLOT(IHostCar, placeGhost, 3);
    EXPECT_SLOT(IHostCar, getPosition, 17);
    EXPECT_SLOT(IHostCar, isExcludedA, 18);
    EXPECT_SLOT(IHostCar, isExcludedB, 19);
    EXPECT_SLOT(IHostCar, getPoseMatrix, 24);
    EXPECT_SLOT(IProfiler, begin, 0);
    EXPECT_SLOT(IProfiler, end, 1);
    EXPECT_SLOT(IControls, shiftDownButton, 0);
    EXPECT_SLOT(IControls, shiftUpButton, 1);
    EXPECT_SLOT(IControls, brake, 2);
    EXPECT_SLOT(IControls, throttle, 3);
    EXPECT_SLOT(IControls, steering, 5);
}
