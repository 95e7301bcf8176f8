#pragma once
// Drivers for the straight-line figures of the car, on the flat test strip:
// a standing start at full throttle with the best shift points, and a stop
// from 100 km/h at full brake. Both hold the car on the line with small
// steering corrections and measure as they drive.

#include <array>
#include <optional>
#include <string>

#include "host/driver.h"

class Track;

// The number of a forward gear from its name ("1" ... "6"); 0 for neutral,
// reverse or nothing.
int gearNumber(const std::string& name);

struct LaunchSettings {
    float startDelay = 3.0f;      // s the car ignores inputs after a reset
    int upshiftRpm = 6800;        // close below the 7000 rpm limiter: power keeps rising to it
    float liftDuringShift = 0.35f;  // s with the throttle closed after each shift press
    int topGear = 6;
};

// Full throttle from rest, shifting up at the limiter, throttle lifted while
// each shift runs. Records 0-100, 0-200 km/h and the quarter mile.
class AccelDriver : public Driver {
public:
    AccelDriver(const Track& track, LaunchSettings settings = {});
    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    std::optional<float> launchTime;    // s, first frame the car moved
    std::optional<float> time100;       // s from the launch to 100 km/h
    std::optional<float> time200;       // s from the launch to 200 km/h
    std::optional<float> quarterMile;   // s from the launch to 402.336 m
    float quarterMileSpeed = 0;         // km/h at the quarter mile
    bool finished() const { return time200 && quarterMile; }

protected:
    // Throttle, shifts and steering of a standing start.
    void launch(const CarState& car, DriverInputs& inputs);
    void holdLine(const CarState& car, DriverInputs& inputs) const;

    const Track& track_;
    LaunchSettings settings_;
    float lastShift_ = -1e9f;
    Vector3 startPosition_{};
};

// A standing start to 100 km/h (or brakeFromKmh), then from the first frame
// at or above it the brake fully on and the throttle closed, in gear, until
// the car stands.
class BrakeDriver : public AccelDriver {
public:
    using AccelDriver::AccelDriver;
    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    float brakeFromKmh = 100.0f;

    std::optional<Vector3> brakeStart;  // where the brake went on
    std::optional<float> brakeStartTime;
    std::optional<float> stopDistance;  // m from brakeStart to rest
    std::optional<float> stopTime;      // s from brakeStart to rest
};

// Steady cornering on a circle: holds the line by pure pursuit while the
// speed creeps up; the highest speed held within half a metre of the line
// for the last few seconds gives the lateral acceleration.
class SkidpadDriver : public Driver {
public:
    SkidpadDriver(const Track& track, float radius, LaunchSettings settings = {});
    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    float heldSpeed = 0;  // m/s, the best speed held steadily
    float lateralG() const;
    bool finished() const { return lostLine_; }

private:
    const Track& track_;
    float radius_;
    LaunchSettings settings_;
    float lastShift_ = -1e9f;
    float targetSpeed_ = 8.0f;
    float steeringTrim_ = 0;  // added to the pure-pursuit steering
    float onLineSince_ = -1.0f;
    bool lostLine_ = false;
};
