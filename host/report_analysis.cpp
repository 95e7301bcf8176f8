#include "host/report_analysis.h"

#include <algorithm>
#include <cmath>

#include "chassis/curve.h"

namespace {
constexpr float kRpmToRadS = 3.14159265f / 30.0f;
}  // namespace

EnginePeaks enginePeaks(const CCurve& torque, float maxRpm, float step)
{
    EnginePeaks peaks;
    for (int i = 0; i * step <= maxRpm; ++i) {
        const float rpm = i * step;
        const float t = torque.getValue(rpm);
        const float kw = t * rpm * kRpmToRadS * 0.001f;
        if (t > peaks.torqueNm) peaks.torqueNm = t, peaks.torqueRpm = rpm;
        if (kw > peaks.powerKw) peaks.powerKw = kw, peaks.powerRpm = rpm;
    }
    return peaks;
}

bool onPlateau(const std::vector<SpeedSample>& trace, float window, float rise)
{
    if (trace.empty() || trace.back().time - trace.front().time < window) return false;
    const float from = trace.back().time - window;
    // The lowest speed inside the window against the latest one: a car still
    // gaining shows the gain, one held at its top shows only the ripple.
    float low = trace.back().speedKmh;
    for (auto it = trace.rbegin(); it != trace.rend() && it->time >= from; ++it) low = std::min(low, it->speedKmh);
    return trace.back().speedKmh - low < rise;
}

TopSpeed topSpeed(const std::vector<SpeedSample>& trace, float window, float rise)
{
    TopSpeed top;
    for (const SpeedSample& s : trace) top.kmh = std::max(top.kmh, s.speedKmh);
    for (const SpeedSample& s : trace)
        if (s.speedKmh >= 0.99f * top.kmh) {
            top.timeTo99 = s.time;
            break;
        }
    top.levelled = onPlateau(trace, window, rise);
    return top;
}

float firstLockKmh(const std::vector<StopSample>& stop, int axle)
{
    for (const StopSample& s : stop)
        if (s.slipRatio[2 * axle] <= kLockedSlip || s.slipRatio[2 * axle + 1] <= kLockedSlip) return s.speedKmh;
    return 0.0f;
}

std::optional<float> median(std::vector<float> values)
{
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5f * (values[n / 2 - 1] + values[n / 2]);
}

std::optional<double> slope(const std::vector<double>& x, const std::vector<double>& y)
{
    const size_t n = std::min(x.size(), y.size());
    if (n < 2) return std::nullopt;
    double mx = 0, my = 0;
    for (size_t i = 0; i < n; ++i) mx += x[i], my += y[i];
    mx /= n, my /= n;
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) sxx += (x[i] - mx) * (x[i] - mx), sxy += (x[i] - mx) * (y[i] - my);
    if (sxx == 0) return std::nullopt;
    return sxy / sxx;
}
