#pragma once
// The tyre rig behind `vqsim tyre`: runs the car's own CTyre over slip angle,
// slip ratio and a combined grid at one load and camber, with the tyre in
// contact on a surface of blend 1 and friction 1, both grip factors 1 and the
// wheel turning at 50 rad/s (so neither the sliding blend nor the
// low-wheel-speed regime takes part). The contact-patch velocities are 0:
// with those conditions they only feed the slip speed, which is not reported.

#include <cstdio>
#include <string>
#include <vector>

#include "chassis/tyre.h"

struct TyreConditions {
    float load = 4000.0f;       // N
    float camber = 0.0f;        // degrees
    float wheelSpeed = 50.0f;   // rad/s
};

struct TyreSample {
    float slipAngle;  // degrees
    float slipRatio;
    float load;       // N
    float camber;     // degrees
    float fx;         // N
    float fy;         // N
    float mz;         // N*m
};

// Which parameters the tyre got before its file.
enum class TyreParameterSet {
    Raw,       // the constructor's defaults
    CarFront,  // the car's front-tyre values the car sets in loadTyres before reading the file
    CarRear,   // the car's rear-tyre values
};
const char* describeParameterSet(TyreParameterSet set);

// CarFront or CarRear when the file's name is that of one of the car's two
// tyre files (whatever folder it is in), else Raw.
TyreParameterSet carTyreFor(const std::string& path);

// Sets up a tyre as the car would (or, with raw, the constructor's defaults),
// then reads the file over it. Returns false, with the reason in error, when
// the file is missing or short; the tyre is then left with its parameters
// before the file.
bool prepareTyre(const std::string& path, bool raw, CTyre& tyre, TyreParameterSet& set, std::string& error);

// One computeForces on a copy of the tyre under the rig's conditions.
TyreSample sampleTyre(const CTyre& tyre, float slipAngleDeg, float slipRatio, const TyreConditions& conditions);

// Pure lateral (slip ratio 0): slip angle 0...20 degrees in 0.1 steps, then
// 21...90 in 1 degree steps.
std::vector<TyreSample> sweepSlipAngle(const CTyre& tyre, const TyreConditions& conditions);
// Pure longitudinal (slip angle 0): slip ratio -1...1 in steps of 0.005.
std::vector<TyreSample> sweepSlipRatio(const CTyre& tyre, const TyreConditions& conditions);
// Combined slip: every slip angle of 0...20 in steps of 1 and 25...90 in
// steps of 5 (35 values) with every slip ratio -1...1 in steps of 0.05 (41
// values); slip angle varies slowest.
std::vector<TyreSample> combinedGrid(const CTyre& tyre, const TyreConditions& conditions);
std::size_t combinedGridSize();

struct TyrePeak {
    float slip = 0.0f;   // slip angle (degrees) or slip ratio where it occurs
    float force = 0.0f;  // signed force there
};
// Largest |fy| over the samples at positive slip angles (first one on ties),
// and its slip angle.
TyrePeak lateralPeak(const std::vector<TyreSample>& samples);
// Largest |fx| over the samples whose slip ratio has the given sign (> 0
// traction, < 0 braking), and its slip ratio.
TyrePeak longitudinalPeak(const std::vector<TyreSample>& samples, bool braking);

// The CSV header row, and the rows (no header). Floats with enough digits to
// read back the same value.
extern const char* const kTyreCsvHeader;  // "slip_angle_deg,slip_ratio,load_n,camber_deg,fx_n,fy_n,mz_nm"
void writeTyreCsvRows(std::FILE* out, const std::vector<TyreSample>& samples);
bool writeTyreCsv(const std::string& path, const std::vector<TyreSample>& samples);
