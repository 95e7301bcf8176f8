#include "services/lap_timer.h"

#include <cstdio>

namespace {

std::string formatMs(uint32_t t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%03d", static_cast<int>(t / 60000), static_cast<int>(t % 60000 / 1000),
                  static_cast<int>(t % 1000));
    return text;
}

}  // namespace

void CLapTimer::addTime(float dt)
{
    // Single-precision product truncated towards zero, as the car's other
    // millisecond clocks do, so they all stay in step.
    const float ms = dt * 1000.0f;
    if (!(ms >= 1.0f)) return;
    const double clamped = ms >= 4294967295.0f ? 4294967295.0 : static_cast<double>(ms);
    currentMs += static_cast<uint32_t>(clamped);
}

void CLapTimer::passIntermediate()
{
    if (lapArmed) return;
    lapArmed = true;
    intermediateMs = currentMs;
}

void CLapTimer::passFinishLine()
{
    // Modular 32-bit difference: with no best lap yet it is currentMs + 1.
    deltaToBestMs = static_cast<int32_t>(currentMs - bestLapMs);
    // Crossing back and forth without the intermediate counts nothing.
    if (!lapArmed) return;
    lastLapMs = currentMs;
    currentMs = 0;
    // Strictly faster only: the first lap to reach a time keeps the record.
    if (lastLapMs < bestLapMs) {
        bestIntermediateMs = intermediateMs;
        bestLapMs = lastLapMs;
        bestLapIndex = static_cast<int32_t>(lapCount);
    }
    ++lapCount;
    laps.push_back(LapRecord{lapCount, lastLapMs, intermediateMs});
    lapArmed = false;
}

void CLapTimer::startSprint()
{
    sprintStartMs = currentMs;
    sprintRunning = true;
}

void CLapTimer::stopSprint()
{
    if (!sprintRunning) return;
    sprintMs = currentMs - sprintStartMs;
    sprintRunning = false;
}

std::string CLapTimer::currentText() const { return formatMs(currentMs); }

std::string CLapTimer::lastLapText() const { return formatMs(lastLapMs); }

std::string CLapTimer::bestLapText() const
{
    if (bestLapMs == kNoTime) return "0:00:000";
    return formatMs(bestLapMs);
}
