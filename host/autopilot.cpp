#include "host/autopilot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "host/track.h"

namespace {
constexpr float kGravity = 9.8f;
constexpr float kDegrees = 57.29578f;

int gearNumber(const std::string& name)
{
    if (name.empty() || name == "N") return 0;
    if (name == "R") return -1;
    return std::atoi(name.c_str());
}
}  // namespace

Autopilot::Autopilot(const Track& track, AutopilotSettings settings) : track_(track), settings_(settings)
{
    // Corner speeds from curvature, then a backward pass (twice round the
    // loop, so braking zones wrap past the start) limits each station to what
    // can still be braked down to the stations after it.
    const int n = std::max(1, static_cast<int>(track_.length() / stationSpacing_));
    stationSpacing_ = track_.length() / n;
    profile_.assign(n, settings_.topSpeed);
    for (int i = 0; i < n; ++i) {
        const float kappa = std::fabs(track_.curvatureAt(i * stationSpacing_, 12.0f));
        if (kappa > 1e-5f)
            profile_[i] = std::min(settings_.topSpeed, std::sqrt(settings_.cornerGripG * kGravity / kappa));
    }
    const float decel = settings_.brakingG * kGravity;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = n - 1; i >= 0; --i) {
            const float next = profile_[(i + 1) % n];
            profile_[i] = std::min(profile_[i], std::sqrt(next * next + 2.0f * decel * stationSpacing_));
        }
}

float Autopilot::targetSpeedAt(float s) const
{
    const int n = static_cast<int>(profile_.size());
    float w = std::fmod(s, track_.length());
    if (w < 0) w += track_.length();
    const int i = std::min(n - 1, static_cast<int>(w / stationSpacing_));
    return profile_[i];
}

void Autopilot::steer(const CarState& car, float s, DriverInputs& inputs) const
{
    const AutopilotSettings& a = settings_;
    const float lookAhead = std::clamp(a.lookAheadMin + a.lookAheadPerSpeed * car.speed, a.lookAheadMin, a.lookAheadMax);
    const Vector3 target = track_.centreAt(s + lookAhead);
    const Vector3 d = target - car.position;
    // The target in the car's ground plane: x to the left, z ahead.
    const float x = dot(d, car.left);
    const float z = dot(d, car.forward);
    const float distance2 = std::max(1.0f, x * x + z * z);
    const float curvature = 2.0f * x / distance2;  // the arc through the target
    const float wheelAngleDeg = std::atan(a.wheelbase * curvature) * kDegrees;
    // The car steers left for negative input.
    inputs.steering = std::clamp(-wheelAngleDeg / a.maxWheelAngleDeg, -1.0f, 1.0f);
}

void Autopilot::shift(const CarState& car, bool braking, DriverInputs& inputs)
{
    inputs.shiftUp = inputs.shiftDown = false;
    if (car.time - lastShiftTime_ < settings_.shiftPause) return;
    const int gear = gearNumber(car.gear);
    const int top = static_cast<int>(settings_.gearRatios.size());
    bool up = false, down = false;
    if (gear <= 0) {
        up = true;  // out of neutral (or reverse) into first
    } else if (gear > 1 && car.speed < 8.0f) {
        down = true;  // nearly stopped (or spinning the wheels off the road): pull away in a low gear
    } else if (car.rpm >= settings_.upshiftRpm && gear < top) {
        up = true;
    } else if (gear > 1) {
        const float ratioDown = settings_.gearRatios[gear - 2] / settings_.gearRatios[gear - 1];
        const bool revsAllow = car.rpm * ratioDown <= settings_.highestRpmAfterDownshift;
        down = revsAllow && (car.rpm < settings_.downshiftRpm || braking);
    }
    if (up || down) {
        inputs.shiftUp = up;
        inputs.shiftDown = down;
        lastShiftTime_ = car.time;
    }
}

void Autopilot::drive(const CarState& car, float, DriverInputs& inputs)
{
    if (car.time < settings_.startDelay) {
        inputs = DriverInputs{};
        last_ = inputs;
        lastTime_ = car.time;
        return;
    }
    const float dt = lastTime_ >= 0 ? std::max(0.0f, car.time - lastTime_) : 0.0f;
    lastTime_ = car.time;
    const Track::Placement placed = track_.place(car.position.x, car.position.z);
    steer(car, placed.s, inputs);

    // Look a little ahead so that braking starts before the station that needs it.
    float target = std::min(targetSpeedAt(placed.s), targetSpeedAt(placed.s + car.speed * 0.3f));
    const bool offRoad = std::fabs(placed.lateral) > track_.roadHalfWidth() + 1.0f;
    if (offRoad) target = std::min(target, settings_.recoverySpeed);
    const float error = target - car.speed;
    if (error >= 0) {
        inputs.throttle = std::clamp(0.3f + 0.4f * error, 0.0f, 1.0f);
        inputs.brake = 0;
    } else {
        inputs.throttle = 0;
        inputs.brake = error < -0.5f ? std::clamp(-0.3f * error, 0.0f, settings_.maxBrake) : 0.0f;
    }

    // Out of a corner the rear tyres cannot take full power and full
    // cornering at once: ease the throttle while the line still bends.
    const float kappa = std::max(std::fabs(track_.curvatureAt(placed.s, 10.0f)),
                                 std::fabs(track_.curvatureAt(placed.s + 10.0f, 10.0f)));
    const float gripUsed = car.speed * car.speed * kappa / (settings_.cornerGripG * kGravity);
    const float cap = std::clamp(1.0f - (gripUsed - settings_.exitGripShare) * 1.5f, 0.2f, 1.0f);
    inputs.throttle = std::min(inputs.throttle, cap);

    // Hands and feet move at a human pace.
    if (dt > 0) {
        inputs.throttle = std::min(inputs.throttle, last_.throttle + settings_.throttleRisePerSecond * dt);
        const float maxTurn = settings_.steeringRatePerSecond * dt;
        inputs.steering = std::clamp(inputs.steering, last_.steering - maxTurn, last_.steering + maxTurn);
    }
    shift(car, inputs.brake > 0, inputs);
    last_ = inputs;
}
