#include "host/scenario_drivers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "host/track.h"

namespace {
constexpr float kQuarterMile = 402.336f;  // m
constexpr float kStopped = 0.05f;         // m/s
}  // namespace

int gearNumber(const std::string& name)
{
    if (name.empty() || name == "N" || name == "R") return 0;
    return std::atoi(name.c_str());
}

AccelDriver::AccelDriver(const Track& track, LaunchSettings settings) : track_(track), settings_(settings) {}

void AccelDriver::holdLine(const CarState& car, DriverInputs& inputs) const
{
    const Track::Placement p = track_.place(car.position.x, car.position.z);
    // Heading error to the left is positive; the car steers left for negative input.
    const float headingError = std::atan2(dot(car.forward, p.left), dot(car.forward, p.tangent));
    inputs.steering = std::clamp(0.08f * p.lateral + 1.5f * headingError, -0.3f, 0.3f);
}

void AccelDriver::launch(const CarState& car, DriverInputs& inputs)
{
    inputs = DriverInputs{};
    if (car.time < settings_.startDelay) {
        startPosition_ = car.position;
        return;
    }
    holdLine(car, inputs);
    const int gear = gearNumber(car.gear);
    const bool shifting = car.time - lastShift_ < settings_.liftDuringShift;
    if (gear == 0 && !shifting) {
        inputs.shiftUp = true;
        lastShift_ = car.time;
    } else if (gear > 0 && gear < settings_.topGear && car.rpm >= settings_.upshiftRpm && !shifting) {
        inputs.shiftUp = true;
        lastShift_ = car.time;
    }
    inputs.throttle = gear > 0 && !shifting && !inputs.shiftUp ? 1.0f : 0.0f;
}

void AccelDriver::drive(const CarState& car, float, DriverInputs& inputs)
{
    launch(car, inputs);
    if (!launchTime && car.time >= settings_.startDelay && car.speed > 0.1f) launchTime = car.time;
    if (!launchTime) return;
    const float t = car.time - *launchTime;
    const float kmh = car.speed * 3.6f;
    if (!time100 && kmh >= 100.0f) time100 = t;
    if (!time200 && kmh >= 200.0f) time200 = t;
    if (!quarterMile && (car.position - startPosition_).length() >= kQuarterMile) {
        quarterMile = t;
        quarterMileSpeed = kmh;
    }
}

void BrakeDriver::drive(const CarState& car, float, DriverInputs& inputs)
{
    if (!brakeStart && car.speed * 3.6f >= brakeFromKmh && car.time >= settings_.startDelay) {
        brakeStart = car.position;
        brakeStartTime = car.time;
    }
    if (!brakeStart) {
        launch(car, inputs);
        return;
    }
    inputs = DriverInputs{};
    holdLine(car, inputs);
    inputs.brake = 1.0f;
    if (!stopDistance && car.speed < kStopped) {
        stopDistance = (car.position - *brakeStart).length();
        stopTime = car.time - *brakeStartTime;
    }
}

SkidpadDriver::SkidpadDriver(const Track& track, float radius, LaunchSettings settings)
    : track_(track), radius_(radius), settings_(settings)
{
}

float SkidpadDriver::lateralG() const { return heldSpeed * heldSpeed / (radius_ * 9.8f); }

void SkidpadDriver::drive(const CarState& car, float dt, DriverInputs& inputs)
{
    inputs = DriverInputs{};
    if (car.time < settings_.startDelay) return;
    const Track::Placement p = track_.place(car.position.x, car.position.z);

    // Pure pursuit of a point a little ahead on the circle.
    const float lookAhead = 6.0f + 0.3f * car.speed;
    const Vector3 d = track_.centreAt(p.s + lookAhead) - car.position;
    const float x = dot(d, car.left), z = dot(d, car.forward);
    const float curvature = 2.0f * x / std::max(1.0f, x * x + z * z);
    const float wheelAngleDeg = std::atan(2.695f * curvature) * 57.29578f;
    // The car needs more lock than the path's geometry as it nears its grip
    // (understeer); a slow trim on the distance off the line supplies it, so
    // that the car stays on the circle up to its limit.
    if (car.speed > 5.0f) steeringTrim_ = std::clamp(steeringTrim_ + 0.03f * p.lateral * dt, -0.3f, 0.3f);
    inputs.steering = std::clamp(-wheelAngleDeg / 11.54f + steeringTrim_, -1.0f, 1.0f);

    // The speed creeps up by 0.15 m/s each second; the line is lost once the
    // car runs wide by two metres.
    const bool onLine = std::fabs(p.lateral) < 0.5f;
    if (onLine && onLineSince_ < 0) onLineSince_ = car.time;
    if (!onLine) onLineSince_ = -1.0f;
    if (onLine && car.time - onLineSince_ > 3.0f) heldSpeed = std::max(heldSpeed, car.speed);
    if (std::fabs(p.lateral) > 2.0f && car.speed > 10.0f) lostLine_ = true;
    targetSpeed_ += 0.15f * dt;
    const float error = targetSpeed_ - car.speed;
    inputs.throttle = std::clamp(0.25f + 0.5f * error, 0.0f, 1.0f);

    const int gear = gearNumber(car.gear);
    if (car.time - lastShift_ > 0.6f) {
        if (gear == 0 || (car.rpm > 6500 && gear < settings_.topGear)) {
            inputs.shiftUp = true;
            lastShift_ = car.time;
        } else if (gear > 1 && car.rpm < 2500) {
            inputs.shiftDown = true;
            lastShift_ = car.time;
        }
    }
}
