#include "host/hud.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "car/icar.h"
#include "graphics/engine.h"
#include "host/sim_host.h"
#include "services/lap_timer.h"

namespace {
// "m:ss.mmm", or "-:--.---" for no time.
std::string lapText(uint32_t ms)
{
    if (ms == CLapTimer::kNoTime) return "-:--.---";
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

// The last message of the host that starts with `prefix`, or prefix + "-".
std::string lastState(const std::vector<std::string>& messages, const std::string& prefix)
{
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
        if (it->rfind(prefix, 0) == 0) return *it;
    return prefix + " -";
}

constexpr float kLeft = -0.97f;
constexpr float kTop = 0.97f;
constexpr float kLine = 0.09f;
constexpr float kOverlayLeft = -0.6f;  // one line of text at the writer's scale, in -1..1 units
}  // namespace

Hud::Hud(REngine& engine, const SimHost& host, int height) : engine_(engine), host_(host)
{
    // Text about 1/45 of the picture's height.
    text_.init(&engine, std::max(10, height / 45));
}

void Hud::draw(ICar& car, const std::vector<std::string>& overlay)
{
    engine_.begin2D();
    engine_.setZEnable(false);
    engine_.setLighting(false);
    char line[160];
    std::string gear;
    car.getGearName(gear);
    text_.setColour(1, 1, 1);
    std::snprintf(line, sizeof line, "%3.0f km/h   gear %s   %5d rpm", car.getSpeed() * 3.6f, gear.c_str(),
                  car.getRpm());
    text_.drawText(kLeft, kTop, line);
    const CLapTimer* timer = car.getLapTimer();
    const uint32_t best = timer ? timer->bestLapMs : CLapTimer::kNoTime;
    const uint32_t last = host_.lapTimesMs.empty() ? CLapTimer::kNoTime : host_.lapTimesMs.back();
    std::snprintf(line, sizeof line, "lap %s   last %s   best %s",
                  lapText(timer ? timer->currentMs : CLapTimer::kNoTime).c_str(), lapText(last).c_str(),
                  lapText(best).c_str());
    text_.drawText(kLeft, kTop - kLine, line);
    std::snprintf(line, sizeof line, "%s   %s", lastState(host_.messages, "ABS").c_str(),
                  lastState(host_.messages, "TRACTION CONTROL").c_str());
    text_.drawText(kLeft, kTop - 2 * kLine, line);
    car.drawName(&text_);
    car.drawDebugText(&text_);
    text_.setColour(1.0f, 0.9f, 0.3f);
    float y = kLine * static_cast<float>(overlay.size()) / 2;
    for (const std::string& text : overlay) {
        text_.drawText(kOverlayLeft, y, text.c_str());
        y -= kLine;
    }
    engine_.setZEnable(true);
    engine_.setLighting(true);
}
