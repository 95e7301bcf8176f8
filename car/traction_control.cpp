#include "car/traction_control.h"

#include <algorithm>

#include "chassis/wheel.h"
#include "powertrain/engine.h"

namespace {
// Throttle demand at or below which wheelspin is the driver's own business.
constexpr float kMinThrottle = 0.2f;
}  // namespace

void CTractionControl::step(float /*dt*/)
{
    acting = false;
    if (!enabled || engine == nullptr) return;
    for (const CWheel* wheel : wheels)
        if (wheel == nullptr) return;

    engine->torqueScale = 1.0f;
    if (!(engine->getThrottleTarget() > kMinThrottle)) return;

    // The ratio is taken against a double mean: in float a rear wheel exactly
    // 6 % faster gives a quotient just under 1.06 and would pass the limit
    // unnoticed. With the front wheels at rest the ratio is +inf and cuts.
    const double frontMean = (static_cast<double>(wheels[0]->angularSpeed) + wheels[1]->angularSpeed) * 0.5;
    if (std::min(wheels[2]->angularSpeed, wheels[3]->angularSpeed) < minDrivenSpeed) return;

    for (int i = 2; i < 4; ++i) {
        if (wheels[i]->angularSpeed / frontMean - 1.0 >= slipLimit) {
            engine->torqueScale = 0.0f;
            acting = true;
        }
    }
}

const char* CTractionControl::toggle()
{
    enabled = !enabled;
    if (!enabled && engine != nullptr) engine->torqueScale = 1.0f;
    return enabled ? "TRACTION CONTROL: ON" : "TRACTION CONTROL: OFF";
}
