#pragma once
// The arithmetic of the car's data sheet, apart from the runs that feed it:
// engine peaks from a torque curve, the top speed of a run and whether it had
// levelled off, the speed at which an axle's wheels first locked, gear ratios
// from engine and wheel speeds, and the least-squares slope of a trace.

#include <optional>
#include <vector>

class CCurve;

struct EnginePeaks {
    float powerKw = 0, powerRpm = 0;   // highest torque x angular speed, and where
    float torqueNm = 0, torqueRpm = 0;  // highest torque, and where
};
// Samples the curve (torque in N m by rpm) every `step` rpm from 0 to maxRpm;
// the first sample wins a tie.
EnginePeaks enginePeaks(const CCurve& torque, float maxRpm, float step = 10.0f);

struct SpeedSample {
    float time;      // s
    float speedKmh;  // km/h
};

struct TopSpeed {
    float kmh = 0;         // the highest speed of the trace
    float timeTo99 = 0;    // s, first time at or above 99 % of it (trace time)
    bool levelled = false; // the speed had levelled off: the trace ends on a plateau
};
// A plateau: over the last `window` seconds of the trace the speed rose by
// less than `rise` km/h. A trace shorter than the window has none.
bool onPlateau(const std::vector<SpeedSample>& trace, float window, float rise);
TopSpeed topSpeed(const std::vector<SpeedSample>& trace, float window, float rise);

// One moment of a full stop: the car's speed and each wheel's slip ratio
// (wheels 0 front left, 1 front right, 2 rear left, 3 rear right).
struct StopSample {
    float speedKmh;
    float slipRatio[4];
};
// A wheel is locked at a slip ratio of this or less.
inline constexpr float kLockedSlip = -0.9f;
// The car's speed when a wheel of the axle (0 front, 1 rear) first locked; 0
// when none did.
float firstLockKmh(const std::vector<StopSample>& stop, int axle);

// The middle value (the mean of the two middle ones for an even count);
// nothing for no values.
std::optional<float> median(std::vector<float> values);

// Least-squares slope dy/dx of points; nothing for fewer than two distinct x.
std::optional<double> slope(const std::vector<double>& x, const std::vector<double>& y);
