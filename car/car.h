#pragma once
// The car base every car plug-in shares: a rigid car body in the host's
// physics world carrying four wheels on suspension units, a drivetrain to the
// rear wheels, brakes, steering and aero devices. It implements the host's
// operation table, runs the fixed sequence of sub-steps of one physics frame,
// stands the wheels on the track through soft contacts, collides with walls
// and other cars, and keeps the lap clock, telemetry, replay and setup. A
// concrete car fills in the parameters through the overridable steps. Drawing
// and sound arrive with their own parts; their operations are empty here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <ode/ode.h>

#include "car/icar.h"
#include "car/replay.h"
#include "car/track.h"
#include "chassis/rigid_body.h"
#include "chassis/wheel.h"
#include "powertrain/brake_system.h"
#include "powertrain/clutch.h"
#include "powertrain/differential.h"
#include "powertrain/drivetrain.h"
#include "powertrain/drivetrain_topology.h"
#include "powertrain/engine.h"
#include "powertrain/gearbox.h"
#include "powertrain/ratio_node.h"
#include "powertrain/steering.h"
#include "services/lap_timer.h"
#include "services/setup_store.h"
#include "services/telemetry.h"

class CAeroDevice;
class CAntiRollBar;
class CSuspension;
class ISimHost;
class RSoundSystem;

// An external camera position in car axes, looking along a direction.
struct CarViewPoint {
    Vector3 position;
    Vector3 direction{0, 0, 1};
};

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

    // The steps a concrete car overrides. The physics-frame steps run in the
    // order stepPhysics gives them; the set-up steps run in init.
    virtual void consumeFuel(float dt);
    virtual void assistShift(float dt);
    virtual void stepDrivetrain(float dt);
    virtual void stepAttachments(float dt);
    virtual void stepCarExtras(float dt);
    virtual void updateAttachments(float dt);
    virtual void checkBottoming(float dt);
    virtual void updateInstruments(float dt);
    virtual void recordTelemetry(float dt);
    virtual void stepReplay(float dt);
    virtual void onCollision(const Vector3& point, float depth);
    // The impact and scrape sounds of the collision and bottoming code.
    virtual bool isHitSoundFree();
    virtual void playHitSound(const Vector3& position, const Vector3& velocity, float volume);
    virtual void playScrapeSound(const Vector3& position, const Vector3& velocity);
    virtual void setupTelemetry();
    virtual void setHeadOffset();
    virtual void setCameras();
    virtual void loadTyres();
    virtual void loadModel();
    virtual void buildDrivetrain();
    // Lays the power path out on the drivetrain graph with the given
    // differential (a concrete car may bring its own).
    void connectDrivetrain(CDifferential* finalDifferential);
    virtual void createAeroDevices();
    virtual void setDefaults();
    virtual void setGeometry();
    virtual void updateMass();
    // Puts the body on the ground below (x, z), rideHeight above it.
    virtual void placeOnTrack(float x, float z);

    // Pieces of the physics frame, in the order the frame runs them.
    void updateVelocity(float dt);
    void automaticClutch();
    void applyDrag();
    void collide();
    void groundContact(int wheel, float dt);
    void applyTyreForces(int wheel, float dt);
    void stepHead(float dt);
    void checkParking();
    void stepSprintClock();

    // Replay. Fills a frame from the car as it is now, lap times
    // included when they are due; shows a frame: the car's visible state, the
    // ghost cars, the replay's lap timer and the host cars' states.
    void recordReplayFrame(CReplayFrame& frame);
    void showReplayFrame(const CReplayFrame& frame);

    // Telemetry. One sample of every channel of setupTelemetry.
    void sampleTelemetry(float dt);
    // "cfg/of": the tyres' inner, middle and outer temperatures; not written
    // when the file cannot be opened.
    void saveTyreTemperatures();
    // Console report of the spring rates (· 0.25) and the anti-roll bars.
    void printStatusReport();

    // Host objects, kept from init on and never deleted by the car.
    REngine* system = nullptr;
    ITrack* track = nullptr;
    float trackValue = 0;
    // The placing query's own cache and last surface: a track may rely on
    // both, so placing the car hands over real ones like the wheels do.
    GroundQueryCache placeQueryCache;
    const TrackSurface* placeSurface = nullptr;
    ISimHost* simHost = nullptr;              // the host object's second base
    IShiftListener* shiftListener = nullptr;  // the host object's first base
    IProfiler* profiler = nullptr;
    HostCarList* otherCars = nullptr;
    DriverRecord* driver = nullptr;
    RSoundSystem* soundSystem = nullptr;  // null until the host hands one over

    // Body state.
    Vector3 velocity{};           // m/s, world
    float speed = 0;              // m/s
    float forwardSpeed = 0;       // m/s, along the body's forward axis
    Vector3 localVelocity{};      // m/s, body axes
    Vector3 worldAcceleration{};  // m/s², world
    Vector3 localAcceleration{};  // m/s², body axes
    Vector3 prevVelocity{};
    double odometer = 0;          // metres driven
    float dragForce = 0;          // N
    bool stoppedFlag = false;
    int parkedFrames = 0;
    int msSinceReset = 0;         // inputs are ignored until this reaches 3000
    int collisionMs = 0;
    bool replayViewFlag = false;
    std::string gearText, lapTimeText1, lapTimeText2, lapTimeText3;
    float frontalArea = 1.0f;       // m²
    float dragCoefficient = 0.36f;
    float fuel = 0;                 // litres
    int shiftMode = 0;              // 2 = assisted shifting
    bool shiftingFlag = false;
    float rideHeight = 0.3f;        // m between the ground and the body origin at a reset
    float throttleInput = 0;        // the last step's throttle demand (slot 10)
    float brakeInput = 0;           // the last step's brake pedal (slot 11)
    bool shiftUpHeld = false, shiftDownHeld = false;

    // Identity and texts the host sets.
    std::string shortName;
    bool available = false;
    std::string driverName;
    std::string textA, textB, textC;

    // Drivetrain: the graph first, so that the nodes can name it.
    CDrivetrain drivetrain;
    CEngine carEngine{&drivetrain};  // named apart from the scene frame's graphics `engine`
    CClutch clutch{&drivetrain};
    CGearbox gearbox{&drivetrain};
    CRatioNode finalDrive{&drivetrain};
    CDifferential differential{&drivetrain};
    CGearNode drivenWheelNodes[2] = {CGearNode(&drivetrain), CGearNode(&drivetrain)};
    DrivetrainParts powerPath;  // filled by buildDrivetrain

    // Corners: wheel i hangs in wheel frame i (steered and toed, never
    // spinning), which hangs on suspension unit i (the hub body). The ground
    // probe and the tyre-force axes use the wheel frame; the spin turns the
    // wheel. Until a model supplies them, the wheel frames are the car's own.
    std::array<CWheel, 4> wheels;
    std::array<CSceneFrame, 4> ownWheelFrames;
    std::array<CSceneFrame*, 4> wheelFrames{};
    std::array<CSuspension*, 4> suspension{};  // owned by the concrete car
    CAntiRollBar* antiRollFront = nullptr;      // owned
    CAntiRollBar* antiRollRear = nullptr;       // owned
    float frontClearance = 0, rearClearance = 0;  // m, body axes
    std::array<float, 4> clearance{};
    std::array<bool, 4> wheelEventFlags{};
    std::array<uint64_t, 4> wheelEventMs{};

    CBrakeSystem brakes;
    CSteering steering;
    float frontTilt[2] = {0, 0};  // degrees, static tilt of the front wheel frames
    float rearToe[2] = {0, 0};    // degrees
    CSceneFrame* cockpitSteeringWheel = nullptr;
    std::vector<CAeroDevice*> aeroDevices;  // owned

    // Driver's head: a sprung body that the cockpit camera follows.
    CRigidBody headBody;
    Vector3 headOffset{0, 0.5f, 0};  // body axes, m

    // Views for the external camera.
    std::vector<CarViewPoint> viewPoints;
    int currentView = 0;
    float viewDepthOffset = 3.66f, viewDepth = 5.18f;

    // Collision geometry, made by init.
    Vector3 collisionBox{1.9f, 1.2f, 4.4f};  // m
    dGeomID wallPlane = nullptr;
    dGeomID carBox = nullptr;
    dGeomID otherCarBox = nullptr;

    // Services.
    CLapTimer lapTimer;
    CReplay replay;
    CTelemetry telemetry;
    int telemetryCounter = 0;  // a sample is taken while above the threshold (0); no host operation sets it
    CSetupStore setupStore;
};
