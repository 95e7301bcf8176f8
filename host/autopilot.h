#pragma once
// The headless driver: it steers by pure pursuit of a point ahead on the
// track's centre line, holds a speed profile built from the line's curvature
// and the grip it assumes, brakes in time for the corners, and shifts with the
// shift buttons. It knows the car only through what the host can read and
// the car's gear ratios.

#include <array>
#include <vector>

#include "host/driver.h"

class Track;

struct AutopilotSettings {
    float wheelbase = 2.695f;         // m
    float maxWheelAngleDeg = 11.54f;  // road-wheel angle at full steering input
    float cornerGripG = 0.7f;        // lateral acceleration held in corners, in g
    float brakingG = 0.6f;            // deceleration planned for braking zones, in g
    float maxBrake = 0.8f;            // pedal limit: harder locks the fronts without ABS
    float topSpeed = 80.0f;           // m/s, a cap for the speed profile
    float lookAheadMin = 7.0f, lookAheadPerSpeed = 0.45f, lookAheadMax = 35.0f;  // m, s, m
    int upshiftRpm = 6800;
    int downshiftRpm = 2600;
    int highestRpmAfterDownshift = 6300;  // a downshift that would rev past this waits
    std::array<float, 6> gearRatios{2.88f, 1.77f, 1.27f, 1.0f, 0.83f, 0.71f};
    float shiftPause = 0.6f;   // s between two shift presses
    float throttleRisePerSecond = 1.5f;  // how fast the throttle may open
    float steeringRatePerSecond = 3.0f;  // how fast the steering may move (full lock is 1)
    float exitGripShare = 0.35f;         // share of the corner grip used before the throttle is eased
    float recoverySpeed = 12.0f;         // m/s to rejoin the road from off it
    float startDelay = 3.0f;   // s the car ignores inputs after a reset
};

class Autopilot : public Driver {
public:
    Autopilot(const Track& track, AutopilotSettings settings = {});

    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    // The planned speed at a distance along the lap, m/s.
    float targetSpeedAt(float s) const;
    const AutopilotSettings& settings() const { return settings_; }

private:
    void steer(const CarState& car, float s, DriverInputs& inputs) const;
    void shift(const CarState& car, bool braking, DriverInputs& inputs);

    const Track& track_;
    AutopilotSettings settings_;
    float stationSpacing_ = 2.0f;  // m between speed-profile stations
    std::vector<float> profile_;   // target speed at each station, m/s
    float lastShiftTime_ = -1e9f;
    float lastTime_ = -1.0f;
    DriverInputs last_;  // the inputs of the previous frame, for the rate limits
};
