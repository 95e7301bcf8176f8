#pragma once
// The car base every car plug-in shares: it implements the host's operation
// table over a rigid car body and owns the car's parts. This version holds the
// host objects, the lap timer, the telemetry recorder, the setup store and the
// engine curves, answers the operations that need nothing more, and writes the
// engine curves when it is destroyed. The physics step, contacts, replay and
// drawing fill in the remaining operations as their parts arrive.

#include <array>
#include <cstdint>
#include <string>

#include <ode/ode.h>

#include "car/icar.h"
#include "chassis/rigid_body.h"
#include "powertrain/engine.h"
#include "services/lap_timer.h"
#include "services/setup_store.h"
#include "services/telemetry.h"

class ISimHost;

class CCar : public CRigidBody, public ICar {
public:
    CCar();
    ~CCar() override;

    // ICar, in table order.
    void init(REngine* system, CPhysicsWorld* world, ITrack* track, IShiftListener* host) override;
    void showSteeringWheel(uint8_t show) override;
    void setSteeringGain(float gain) override;
    void stepPhysics(float dt) override;
    void syncFrames() override;
    void setSteering(float steering) override;
    void setThrottle(float throttle) override;
    void setBrake(float brake) override;
    void unusedSlot8(float a, float b) override;
    void setControls(IControls* controls) override;
    float getThrottleInput() override;
    float getBrakeInput() override;
    Matrix4* getMatrix() override;
    CRigidBody* getBody() override;
    Vector3& getVelocity(Vector3& out) override;
    float getSpeed() override;
    void getDriverEye(DriverEye& out) override;
    ViewPoint& getViewPoint(ViewPoint& out) override;
    void draw(uint8_t interior) override;
    void drawShadow() override;
    int getRpm() override;
    float getEngineSoundLevel() override;
    float getStateValue(int index) override;
    float getWheelSoundValue(int wheel) override;
    float getMaxWheelSpeedOnSurface(int surfaceKind) override;
    std::string& getGearName(std::string& out) override;
    CLapTimer* getLapTimer() override;
    void setTextA(std::string text) override;
    float getSteeringTorque() override;
    int getWheelEvent(int wheel, bool queryOnly) override;
    void clearWheelEvents() override;
    void getWheelInfo(int wheel, WheelInfo& out) override;
    int* getWheelSurfaces(int out[4]) override;
    void drawDebugText(RText* target) override;
    void drawName(RText* target) override;
    void updateEngineSound(float a, float b) override;
    void initSounds(RSoundSystem* sound) override;
    void reset(const Vector3& position, const Vector3& direction) override;
    int getOdometerKm() override;
    void setDriver(DriverRecord* driver) override;
    DriverRecord* getDriver() override;
    void onKey(uint8_t key) override;
    int replayControl(int command) override;
    void unusedSlot43() override;
    void leaveReplayView() override;
    int loadReplay(const char* path) override;
    void setSkinName(std::string name) override;
    void setOtherCars(HostCarList* cars) override;
    void setProfiler(IProfiler* profiler) override;
    void setTextB(std::string text) override;
    void drawSuspension() override;
    void drawMarker(float value) override;
    void setTextC(const std::string& text) override;
    float getConstant() override;
    const char* getShortName() override;
    void drawExtra(float value) override;
    void resetInputDelay() override;
    bool isAvailable() override;

    // Host objects, kept from init on and never deleted by the car.
    REngine* system = nullptr;
    ITrack* track = nullptr;
    float trackValue = 0;
    ISimHost* simHost = nullptr;          // the host object's second base
    IShiftListener* shiftListener = nullptr;  // the host object's first base
    IProfiler* profiler = nullptr;
    HostCarList* otherCars = nullptr;
    DriverRecord* driver = nullptr;

    // Body state.
    Vector3 velocity{};
    float speed = 0;        // m/s
    double odometer = 0;    // metres driven
    int msSinceReset = 0;   // inputs are ignored until this reaches 3000
    bool replayViewFlag = false;
    std::array<bool, 4> wheelEventFlags{};

    // Identity and texts the host sets.
    std::string shortName;
    bool available = false;
    std::string driverName;
    std::string textA, textB, textC;

    // Parts.
    CEngine carEngine;  // named apart from the scene frame's graphics `engine`
    CLapTimer lapTimer;
    CTelemetry telemetry;
    CSetupStore setupStore;

    // Created by init; its presence marks a car that was set up and may have a
    // replay worth saving.
    dGeomID collisionGeometry = nullptr;
};
