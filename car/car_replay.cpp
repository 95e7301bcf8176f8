#include "car/car.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "car/car_internal.h"
#include "car/sim_host.h"
#include "car/track.h"
#include "chassis/suspension.h"

using car_internal::takeSurface;

namespace {
// The replay's clocks: a frame every 0.033 s, which with dt = 0.003
// is every 11 steps, and lap times in a frame every 10 s or on a new lap.
constexpr float kReplayFramePeriod = 0.033f;  // s
constexpr float kReplayLapTimePeriod = 10.0f; // s
float replayFrameTimer = 0;       // s since the last frame
float replayLapTimeTimer = 0;     // s since the last frame with lap times
uint32_t replayLapTimeLapCount = 0;  // the lap count at the last frame with lap times

// The integer part of v as a byte, 0 below (and for NaN), 255 above.
uint8_t byteOf(float v)
{
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(v);
}

constexpr float kTwoPi = 6.2831855f;

// An angle about the axle as a fraction of a turn · 256.
uint8_t turnByte(float radians)
{
    float a = std::fmod(radians, kTwoPi);
    if (a < 0) a += kTwoPi;
    return byteOf(a / kTwoPi * 256.0f);
}

// A pose from a position and forward and up axes, rows as setOrientation
// makes them.
Matrix4 poseFrom(const Vector3& position, const Vector3& forward, const Vector3& up)
{
    const Vector3 side = cross(up, forward).normalised();
    const Vector3 upright = cross(forward, side).normalised();
    Matrix4 m;
    const Vector3 rows[4] = {side, upright, forward, position};
    for (int r = 0; r < 4; ++r) {
        m.at(r, 0) = rows[r].x;
        m.at(r, 1) = rows[r].y;
        m.at(r, 2) = rows[r].z;
    }
    return m;
}

// Frames from a replay file are not trusted to hold sane numbers; the track
// is only asked about points it can place.
bool isPlaceable(const Vector3& p)
{
    constexpr float kFar = 1.0e6f;  // m
    return std::fabs(p.x) < kFar && std::fabs(p.y) < kFar && std::fabs(p.z) < kFar;
}
}  // namespace

void CCar::stepReplay(float dt)
{
    replayFrameTimer += dt;
    replayLapTimeTimer += dt;
    if (replayFrameTimer < kReplayFramePeriod) return;
    auto frame = std::make_unique<CReplayFrame>();
    recordReplayFrame(*frame);
    replay.append(std::move(frame));
    replayFrameTimer = 0;
}

void CCar::recordReplayFrame(CReplayFrame& f)
{
    f.carPosition = matrix.getPosition();
    f.carForward = matrix.zAxis();
    f.carUp = matrix.yAxis();
    for (int i = 0; i < 4; ++i) {
        const Matrix4 w = wheelFrames[i]->getWorldMatrix();
        f.wheelPose[i] = {w.getPosition(), w.zAxis(), w.yAxis()};
        f.wheelAngle[i] = turnByte(wheels[i].rotationAngle);
    }
    f.carStates.clear();
    if (HostCarList* cars = simHost ? simHost->cars() : nullptr) {
        for (IHostCar* car : *cars) {
            if (!car) continue;
            HostCarState state{};
            car->fillState(state.data());
            f.carStates.push_back(state);
        }
    }
    const float wheelDegrees = std::clamp(steering.steeringWheelAngle, -128.0f, 127.0f);
    f.steer = static_cast<int8_t>(wheelDegrees == wheelDegrees ? wheelDegrees : 0.0f);
    f.rpmByte = byteOf(static_cast<float>(carEngine.rpm) * 0.00005f * 255.0f);
    f.engineSound = byteOf(getEngineSoundLevel() * 256.0f);
    f.stateValue = byteOf(getStateValue(0) * 255.0f);
    f.wheelSoundFlag = getWheelSoundValue(0) > 17000.0f;
    f.speedByte = byteOf(speed * 0.5f);
    f.lapCount = static_cast<uint8_t>(lapTimer.lapCount & 0xFF);

    f.others.clear();
    if (otherCars) {
        for (IHostCar* other : *otherCars) {
            if (!other || f.others.size() >= CReplayFrame::kMaxOthers) continue;
            Vector3 position;
            other->getPosition(position);
            CReplayOtherCar record;
            record.x = position.x;
            record.z = position.z;
            record.bytes[0] = byteOf(position.y / 6.0f * 255.0f);
            if (const Matrix4* pose = other->getPoseMatrix()) {
                float turns = std::atan2(pose->zAxis().x, pose->zAxis().z) / kTwoPi;
                if (turns < 0) turns += 1.0f;
                record.bytes[1] = byteOf(turns * 255.0f);
            }
            f.others.push_back(record);
        }
    }

    f.hasLapTimes = replayLapTimeTimer > kReplayLapTimePeriod || lapTimer.lapCount != replayLapTimeLapCount;
    if (f.hasLapTimes) {
        f.lapTimes[0] = lapTimer.currentMs;
        f.lapTimes[1] = lapTimer.lastLapMs;
        f.lapTimes[2] = lapTimer.bestLapMs;
        replayLapTimeTimer = 0;
        replayLapTimeLapCount = lapTimer.lapCount;
    }
}

void CCar::showReplayFrame(const CReplayFrame& f)
{
    // 1.
    replayViewFlag = true;
    speed = f.speedByte * 2.0f;

    // 2. The body's frame, then each wheel frame through the hub frame it
    // hangs on (so that its own steering and toe pose stays as it is), the
    // wheel turned about its axle, and the ground under it.
    matrix = poseFrom(f.carPosition, f.carForward, f.carUp);
    for (int i = 0; i < 4; ++i) {
        CSceneFrame* frame = wheelFrames[i];
        const CReplayWheelPose& pose = f.wheelPose[i];
        const Matrix4 world = poseFrom(pose.position, pose.forward, pose.up);
        if (CSceneFrame* hub = frame->parent) {
            Matrix4 hubWorld = Matrix4::multiply(frame->matrix.inverse(), world);
            if (hub->parent) hubWorld = Matrix4::multiply(hubWorld, hub->parent->getWorldMatrix().inverse());
            hub->matrix = hubWorld;
        } else {
            frame->matrix = world;
        }
        CWheel& wheel = wheels[i];
        const Vector3 at = wheel.matrix.getPosition();
        wheel.matrix.identity();
        wheel.matrix.setPosition(at);
        wheel.rotateX(-(f.wheelAngle[i] / 256.0f * kTwoPi) * 57.29578f);

        wheel.inContact = false;
        CSuspension* unit = suspension[i];
        if (!unit || !track) continue;
        const Matrix4 w = frame->getWorldMatrix();
        const Vector3 probe = w.getPosition() - w.yAxis() * wheel.radius;
        if (!isPlaceable(probe)) continue;
        Vector3 hit, normal;
        const SurfaceInfo* info = nullptr;
        const TrackSurface* surface =
            track->queryGround(probe, hit, normal, unit->lastSurface, &info, &unit->queryCache, 0);
        if (!surface) continue;
        unit->lastSurface = surface;
        takeSurface(wheel, info);
        unit->contactPoint = hit;
        wheel.groundNormal = normal;
    }

    // 3.
    steering.steeringWheelAngle = f.steer;
    carEngine.rpm = static_cast<int>(std::lround(f.rpmByte / (0.00005f * 255.0f)));

    // 4. Ghost cars for the other cars' records.
    replay.releaseGhosts();
    for (const CReplayOtherCar& other : f.others) {
        IHostCar* ghost = simHost ? simHost->createGhostCar() : nullptr;
        if (!ghost) continue;
        ghost->placeGhost(other.x, other.z, other.bytes[0] / 255.0f * 6.0f, other.bytes[1] / 255.0f);
        replay.keepGhost(ghost);
    }

    // 5. The replay's lap timer.
    CLapTimer& timer = replay.lapTimer;
    if (f.hasLapTimes) {
        timer.currentMs = f.lapTimes[0];
        timer.lastLapMs = f.lapTimes[1];
        timer.bestLapMs = f.lapTimes[2];
    } else {
        timer.currentMs += CReplay::kFrameMs;
    }
    timer.lapCount = f.lapCount;

    // 6. The host cars' states.
    if (!simHost) return;
    for (const HostCarState& state : f.carStates)
        if (IHostCar* car = simHost->carByNumber(state[0])) car->restoreState(state.data());
}

int CCar::replayControl(int command)
{
    const int index = replay.control(command);
    if (command == 0)
        if (const CReplayFrame* frame = replay.displayedFrame()) showReplayFrame(*frame);
    return index;
}

void CCar::leaveReplayView()
{
    syncFrames();
    replayViewFlag = false;
}

int CCar::loadReplay(const char* path) { return path && replay.load(path) ? 1 : 0; }
