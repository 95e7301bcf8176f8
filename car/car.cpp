#include "car/car.h"

#include <cmath>

#include "car/sim_host.h"
#include "car/track.h"
#include "powertrain/shift_listener.h"

namespace {
// The engine curves are written out sampled every 500 rpm up to 15000 rpm.
constexpr float kCurveExportStep = 500.0f;
constexpr float kCurveExportTo = 15000.0f;
}  // namespace

CCar::CCar() = default;

CCar::~CCar()
{
    if (collisionGeometry) {
        dGeomDestroy(collisionGeometry);
        collisionGeometry = nullptr;
    }
    carEngine.powerCurve.resample(kCurveExportStep, 0, kCurveExportTo);
    carEngine.powerCurve.save("out/power.exp");
    carEngine.coastCurve.resample(kCurveExportStep, 0, kCurveExportTo);
    carEngine.coastCurve.save("out/coast.exp");
}

void CCar::init(REngine* graphics, CPhysicsWorld* physicsWorld, ITrack* hostTrack, IShiftListener* host)
{
    // The host object's second base, one pointer past its first, is the
    // ISimHost the car calls; the first base is the gearbox's shift listener.
    shiftListener = host;
    simHost = host ? reinterpret_cast<ISimHost*>(reinterpret_cast<char*>(host) + sizeof(void*)) : nullptr;
    setupStore.load();

    world = physicsWorld;
    system = graphics;
    engine = graphics;  // the car frame draws through the host's engine
    track = hostTrack;
    trackValue = track ? track->trackValue() : 0.0f;
}

void CCar::showSteeringWheel(uint8_t) {}
void CCar::setSteeringGain(float) {}
void CCar::stepPhysics(float) {}
void CCar::syncFrames() {}
void CCar::setSteering(float) {}
void CCar::setThrottle(float) {}
void CCar::setBrake(float) {}
void CCar::unusedSlot8(float, float) {}
void CCar::setControls(IControls*) {}
float CCar::getThrottleInput() { return 0.0f; }
float CCar::getBrakeInput() { return 0.0f; }

Matrix4* CCar::getMatrix() { return &matrix; }

CRigidBody* CCar::getBody() { return this; }

Vector3& CCar::getVelocity(Vector3& out)
{
    out = velocity;
    return out;
}

float CCar::getSpeed() { return speed; }

void CCar::getDriverEye(DriverEye&) {}
ViewPoint& CCar::getViewPoint(ViewPoint& out) { return out; }
void CCar::draw(uint8_t) {}
void CCar::drawShadow() {}
int CCar::getRpm() { return 0; }
float CCar::getEngineSoundLevel() { return 0.0f; }
float CCar::getStateValue(int) { return 0.0f; }
float CCar::getWheelSoundValue(int) { return 0.0f; }

// No wheel stands on any surface until the wheels exist.
float CCar::getMaxWheelSpeedOnSurface(int) { return -1.0f; }

std::string& CCar::getGearName(std::string& out) { return out; }

CLapTimer* CCar::getLapTimer() { return &lapTimer; }

void CCar::setTextA(std::string text) { textA = std::move(text); }

float CCar::getSteeringTorque() { return 0.0f; }

int CCar::getWheelEvent(int wheel, bool queryOnly)
{
    if (queryOnly && wheel >= 0 && wheel < 4) return wheelEventFlags[wheel] ? 1 : 0;
    return 0;
}

void CCar::clearWheelEvents() { wheelEventFlags.fill(false); }

void CCar::getWheelInfo(int, WheelInfo&) {}
int* CCar::getWheelSurfaces(int out[4]) { return out; }
void CCar::drawDebugText(RText*) {}
void CCar::drawName(RText*) {}
void CCar::updateEngineSound(float, float) {}
void CCar::initSounds(RSoundSystem*) {}
void CCar::reset(const Vector3&, const Vector3&) {}

int CCar::getOdometerKm() { return static_cast<int>(odometer * 0.001); }

void CCar::setDriver(DriverRecord* record)
{
    driver = record;
    driverName = record ? record->name : std::string();
}

DriverRecord* CCar::getDriver() { return driver; }

void CCar::onKey(uint8_t) {}
int CCar::replayControl(int) { return 0; }
void CCar::unusedSlot43() {}
void CCar::leaveReplayView() { replayViewFlag = false; }
int CCar::loadReplay(const char*) { return 0; }

// A base car has no skins; a concrete car with a model keeps the name.
void CCar::setSkinName(std::string) {}

void CCar::setOtherCars(HostCarList* cars) { otherCars = cars; }
void CCar::setProfiler(IProfiler* hostProfiler) { profiler = hostProfiler; }
void CCar::setTextB(std::string text) { textB = std::move(text); }
void CCar::drawSuspension() {}
void CCar::drawMarker(float) {}

// The host names the setup to load through this text before init.
void CCar::setTextC(const std::string& text)
{
    textC = text;
    setupStore.setName(text);
}

float CCar::getConstant() { return 0.0f; }
const char* CCar::getShortName() { return shortName.c_str(); }
void CCar::drawExtra(float) {}
void CCar::resetInputDelay() { msSinceReset = 0; }
bool CCar::isAvailable() { return available; }
