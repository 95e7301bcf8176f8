#include "powertrain/limited_slip_differential.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kBaseCoupling = 20.0f;  // N·m
}  // namespace

void CLimitedSlipDifferential::addTorque(CGearNode* from, float torque, float dt, int tag)
{
    if (from && from == input()) {
        // A setting outside the table is read as the nearest one.
        const int setting = std::clamp(lockSetting, 0, 4);
        viscousCoeff = torque > 0.0f ? kBaseCoupling + std::fabs(torque) * lockFactors[setting] * torqueGain
                                     : kBaseCoupling;
    }
    CDifferential::addTorque(from, torque, dt, tag);
}
