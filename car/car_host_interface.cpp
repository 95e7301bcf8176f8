#include "car/car.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "car/car_internal.h"
#include "car/controls.h"
#include "car/sim_host.h"

using namespace car_internal;

// Inputs from the host, and the state it reads between frames.

void CCar::setSteeringGain(float gain) { steering.inputGain = gain; }
void CCar::setSteering(float value) { steering.setInput(value); }
void CCar::setThrottle(float value) { carEngine.setThrottle(value); }
void CCar::setBrake(float value) { brakes.setInput(value); }
void CCar::unusedSlot8(float, float) {}

void CCar::setControls(IControls* controls)
{
    if (msSinceReset < kInputDelayMs) {
        setSteering(0);
        setThrottle(0);
        setBrake(0);
        return;
    }
    setSteering(controls->steering());
    const float throttle = controls->throttle();
    const float brake = controls->brake();
    setThrottle(throttle >= 0.1f ? throttle : 0.0f);
    setBrake(brake >= 0.1f ? brake : 0.0f);

    const bool down = controls->shiftDownButton();
    const bool up = controls->shiftUpButton();
    shiftingFlag = false;
    if (!down && !up && gearbox.shiftState == 0) {
        clutch.engagementTarget = 1.0f;
    } else {
        clutch.engagementTarget = 0;
        shiftingFlag = true;
    }
    if (up && !shiftUpHeld) {
        gearbox.shiftUp();
        clutch.engageRate = 10.0f;
    }
    if (down && !shiftDownHeld) {
        gearbox.shiftDown();
        clutch.engageRate = 3.0f;
    }
    shiftUpHeld = up;
    shiftDownHeld = down;
}

float CCar::getThrottleInput() { return throttleInput; }
float CCar::getBrakeInput() { return brakeInput; }
Matrix4* CCar::getMatrix() { return &matrix; }
CRigidBody* CCar::getBody() { return this; }

Vector3& CCar::getVelocity(Vector3& out)
{
    out = velocity;
    return out;
}

float CCar::getSpeed() { return speed; }

void CCar::getDriverEye(DriverEye& out)
{
    Vector3 p = headBody.getPosition();
    if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) {
        std::printf("NANNN\n");
        p = matrix.transformPoint(headOffset);
        if (headBody.body) {
            dBodySetPosition(headBody.body, p.x, p.y + 1.0f, p.z);
            headBody.setLinearVelocity({0, 0, 0});
            headBody.setRotation(matrix.zAxis(), matrix.yAxis());
        }
    }
    out.position = p;
    out.forward = matrix.zAxis();
    out.up = matrix.yAxis();
}

ViewPoint& CCar::getViewPoint(ViewPoint& out)
{
    if (viewPoints.empty()) {
        out.position = getPosition();
        out.toTarget = matrix.zAxis();
        out.toUp = matrix.yAxis();
        return out;
    }
    const CarViewPoint& view = viewPoints[static_cast<size_t>(currentView) % viewPoints.size()];
    out.position = matrix.transformPoint(view.position);
    out.toTarget = matrix.transformVector(view.direction);
    out.toUp = matrix.yAxis();
    return out;
}

int CCar::getRpm() { return carEngine.rpm; }

float CCar::getEngineSoundLevel()
{
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return frame ? frame->engineSound / 255.0f : 0.0f;
    }
    if (!carEngine.running) return 0.0f;
    const float v = (carEngine.getThrottleTarget() * 2.5f + carEngine.rpm * 0.0002f) / 3.0f + 0.2f;
    if (carEngine.lowFuel) return (std::sin(carEngine.sputterPhase) + 1.0f) * v * 0.5f;
    return v;
}

// Index 0: the brake lamp (the brake pedal, 0...1), the value the replay
// records; 1: the reverse lamp (1 in reverse). Others are 0.
float CCar::getStateValue(int index)
{
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return index == 0 && frame ? frame->stateValue / 255.0f : 0.0f;
    }
    switch (index) {
    case 0: return std::clamp(brakeInput, 0.0f, 1.0f);
    case 1: return gearbox.gear == 0 ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

// The skid sound of a wheel: 16500 rising to 28000 with its skid level
// while it slips or skids, else 0. A replay frame keeps only whether wheel
// 0 was audible, which every wheel then reports at the ceiling.
float CCar::getWheelSoundValue(int wheel)
{
    constexpr float kSkidBase = 16500.0f, kSkidRange = 11500.0f, kSkidCeiling = 28000.0f;
    if (wheel < 0 || wheel > 3) return 0.0f;
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return frame && frame->wheelSoundFlag ? kSkidCeiling : 0.0f;
    }
    const CWheel& w = wheels[wheel];
    if (std::fabs(w.slipRatio) > 0.97f || w.skidLevel > 0) return kSkidBase + kSkidRange * std::min(1.0f, w.skidLevel);
    return 0.0f;
}

float CCar::getMaxWheelSpeedOnSurface(int surfaceKind)
{
    float best = -1.0f;
    for (const CWheel& wheel : wheels)
        if (wheel.surfaceKind == surfaceKind) best = std::max(best, std::fabs(wheel.angularSpeed));
    return best;
}

std::string& CCar::getGearName(std::string& out)
{
    out = gearbox.getGearName();
    return out;
}

CLapTimer* CCar::getLapTimer() { return replayViewFlag ? &replay.lapTimer : &lapTimer; }
void CCar::setTextA(std::string text) { textA = std::move(text); }

float CCar::getSteeringTorque()
{
    const float sum = wheels[0].alignMoment + wheels[1].alignMoment;
    return std::isnan(sum) ? 0.0f : sum;
}

int CCar::getWheelEvent(int i, bool queryOnly)
{
    if (i < 0 || i > 3) return 0;
    if (queryOnly) return wheelEventFlags[i] ? 1 : 0;
    const uint64_t now = nowMs(system);
    const CWheel& wheel = wheels[i];
    const float sigma = wheel.slipRatio;
    if (speed < 4.0f && !(sigma >= 1.15f && wheel.angularSpeed >= 20.0f)) return 0;
    const uint64_t since = now - wheelEventMs[i];
    if ((sigma < -0.96f || sigma >= 1.15f) && since > 50 && (wheel.surfaceKind == 0 || wheel.surfaceKind == 2)) {
        wheelEventMs[i] = now;
        wheelEventFlags[i] = true;
        return 1;
    }
    if (since < 101) return 0;
    if (wheel.surfaceKind == 1 || wheel.surfaceKind == 3) {
        wheelEventMs[i] = now;
        return 2;
    }
    return 0;
}

void CCar::clearWheelEvents() { wheelEventFlags.fill(false); }

void CCar::getWheelInfo(int i, WheelInfo& out)
{
    if (i < 0 || i > 3) return;
    const CWheel& w = wheels[i];
    out.angularSpeed = w.angularSpeed;
    out.slipRatio = w.slipRatio;
    out.slipAngleDeg = w.slipAngle;
    out.load = w.load;
    out.camberDeg = w.camber;
    out.temperature[0] = w.tempInner;
    out.temperature[1] = w.tempMiddle;
    out.temperature[2] = w.tempOuter;
    out.wear = w.wear;
    out.dirt = w.dirt;
    out.surfaceKind = w.surfaceKind;
}

int* CCar::getWheelSurfaces(int out[4])
{
    for (int i = 0; i < 4; ++i) out[i] = wheels[i].surfaceKind;
    return out;
}

int CCar::getOdometerKm() { return static_cast<int>(odometer * 0.001); }

void CCar::setDriver(DriverRecord* record)
{
    driver = record;
    driverName = record ? record->name : std::string();
}

DriverRecord* CCar::getDriver() { return driver; }

void CCar::onKey(uint8_t key)
{
    if (key == 'b' && !viewPoints.empty()) currentView = (currentView + 1) % static_cast<int>(viewPoints.size());
    if (!simHost || !simHost->debugFlag()) return;
    // Debug keys nudge the view's depth values by a hundredth.
    if (key == 'b' || key == 'g') {
        viewDepthOffset += key == 'b' ? 0.01f : -0.01f;
        std::printf("depthDel=%f\n", viewDepthOffset);
    } else if (key == 'z' || key == 'x') {
        viewDepth += key == 'z' ? 0.01f : -0.01f;
        std::printf("depthPz=%f\n", viewDepth);
    }
}

void CCar::unusedSlot43() {}

void CCar::setOtherCars(HostCarList* cars) { otherCars = cars; }
void CCar::setProfiler(IProfiler* hostProfiler) { profiler = hostProfiler; }
void CCar::setTextB(std::string text) { textB = std::move(text); }

float CCar::getConstant() { return 0.0f; }
const char* CCar::getShortName() { return shortName.c_str(); }
void CCar::resetInputDelay() { msSinceReset = 0; }
bool CCar::isAvailable() { return available; }
