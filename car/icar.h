#pragma once
// The table of operations through which a host drives the car. Hosts call it
// by position, so the order below is the interface: 58 operations and nothing
// else (no virtual destructor, which would take table positions).

#include <cstdint>
#include <string>

#include "car/host_car.h"
#include "car/host_records.h"
#include "chassis/matrix4.h"
#include "chassis/vector3.h"

class CLapTimer;
class CPhysicsWorld;
class CRigidBody;
class IControls;
class IProfiler;
class IShiftListener;
class ITrack;
class REngine;
class RSoundSystem;
class RText;

class ICar {
public:
    // `host` is the host's simulation object; its first base is the gearbox's
    // shift listener and its second the ISimHost the car calls.
    virtual void init(REngine* system, CPhysicsWorld* world, ITrack* track, IShiftListener* host) = 0;  // 0
    virtual void showSteeringWheel(uint8_t show) = 0;                      // 1
    virtual void setSteeringGain(float gain) = 0;                          // 2
    virtual void stepPhysics(float dt) = 0;                                // 3
    virtual void syncFrames() = 0;                                         // 4
    virtual void setSteering(float steering) = 0;                          // 5
    virtual void setThrottle(float throttle) = 0;                          // 6
    virtual void setBrake(float brake) = 0;                                // 7
    virtual void unusedSlot8(float a, float b) = 0;                        // 8
    virtual void setControls(IControls* controls) = 0;                     // 9
    virtual float getThrottleInput() = 0;                                  // 10
    virtual float getBrakeInput() = 0;                                     // 11
    virtual Matrix4* getMatrix() = 0;                                      // 12
    virtual CRigidBody* getBody() = 0;                                     // 13
    virtual Vector3& getVelocity(Vector3& out) = 0;                        // 14
    virtual float getSpeed() = 0;                                          // 15
    virtual void getDriverEye(DriverEye& out) = 0;                         // 16
    virtual ViewPoint& getViewPoint(ViewPoint& out) = 0;                   // 17
    virtual void draw(uint8_t interior) = 0;                               // 18
    virtual void drawShadow() = 0;                                         // 19
    virtual int getRpm() = 0;                                              // 20
    virtual float getEngineSoundLevel() = 0;                               // 21
    virtual float getStateValue(int index) = 0;                            // 22
    virtual float getWheelSoundValue(int wheel) = 0;                       // 23
    virtual float getMaxWheelSpeedOnSurface(int surfaceKind) = 0;          // 24
    virtual std::string& getGearName(std::string& out) = 0;                // 25
    virtual CLapTimer* getLapTimer() = 0;                                  // 26
    virtual void setTextA(std::string text) = 0;                           // 27
    virtual float getSteeringTorque() = 0;                                 // 28
    virtual int getWheelEvent(int wheel, bool queryOnly) = 0;              // 29
    virtual void clearWheelEvents() = 0;                                   // 30
    virtual void getWheelInfo(int wheel, WheelInfo& out) = 0;              // 31
    virtual int* getWheelSurfaces(int out[4]) = 0;                         // 32
    virtual void drawDebugText(RText* target) = 0;                         // 33
    virtual void drawName(RText* target) = 0;                              // 34
    virtual void updateEngineSound(float a, float b) = 0;                  // 35
    virtual void initSounds(RSoundSystem* sound) = 0;                      // 36
    virtual void reset(const Vector3& position, const Vector3& direction) = 0;  // 37
    virtual int getOdometerKm() = 0;                                       // 38
    virtual void setDriver(DriverRecord* driver) = 0;                      // 39
    virtual DriverRecord* getDriver() = 0;                                 // 40
    virtual void onKey(uint8_t key) = 0;                                   // 41
    virtual int replayControl(int command) = 0;                            // 42
    virtual void unusedSlot43() = 0;                                       // 43
    virtual void leaveReplayView() = 0;                                    // 44
    virtual int loadReplay(const char* path) = 0;                          // 45
    virtual void setSkinName(std::string name) = 0;                        // 46
    virtual void setOtherCars(HostCarList* cars) = 0;                      // 47
    virtual void setProfiler(IProfiler* profiler) = 0;                     // 48
    virtual void setTextB(std::string text) = 0;                           // 49
    virtual void drawSuspension() = 0;                                     // 50
    virtual void drawMarker(float value) = 0;                              // 51
    virtual void setTextC(const std::string& text) = 0;                    // 52
    virtual float getConstant() = 0;                                       // 53
    virtual const char* getShortName() = 0;                                // 54
    virtual void drawExtra(float value) = 0;                               // 55
    virtual void resetInputDelay() = 0;                                    // 56
    virtual bool isAvailable() = 0;                                        // 57

protected:
    ~ICar() = default;
};
