#include "host/replay_playback.h"

#include <cmath>
#include <cstdio>

#include "car/icar.h"
#include "car/replay.h"
#include "chassis/matrix4.h"
#include "services/lap_timer.h"
#include "host/car_console.h"

namespace {
// Far more frames than any drive records (a day at 30 a second); only a
// guard against a car whose replay index never wraps.
constexpr int kMaxFrames = 3000000;

std::string lapText(uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}
}  // namespace

bool ReplayPlayback::load(const std::string& path) { return car_.loadReplay(path.c_str()) != 0; }

int ReplayPlayback::play(const std::function<void(double)>& shown)
{
    samples_.clear();
    laps_.clear();
    const CLapTimer* liveTimer = car_.getLapTimer();
    // The index starts on the first frame; each command 0 moves it on by one
    // and shows the frame, wrapping to 0 after the last one.
    for (int calls = 0; calls < kMaxFrames; ++calls) {
        const int index = car_.replayControl(0);
        if (index < 0) break;
        if (static_cast<std::size_t>(index) >= samples_.size()) samples_.resize(static_cast<std::size_t>(index) + 1);
        Sample& s = samples_[static_cast<std::size_t>(index)];
        s.shown = true;
        s.position = car_.getMatrix()->getPosition();
        s.speed = car_.getSpeed();
        const CLapTimer* timer = car_.getLapTimer();
        s.currentMs = timer->currentMs;
        s.lastLapMs = timer->lastLapMs;
        s.bestLapMs = timer->bestLapMs;
        s.lapCount = timer->lapCount;
        if (shown) shown((calls + 1) * (CReplay::kFrameMs / 1000.0));
        if (index == 0) break;
    }
    // No frame shown: the car never entered its replay view (an empty replay).
    if (car_.getLapTimer() == liveTimer) samples_.clear();

    for (std::size_t i = 0; i < samples_.size(); ++i) {
        const Sample& s = samples_[i];
        if (!s.shown) continue;
        if (std::isfinite(s.speed) && s.speed > topSpeed_) topSpeed_ = s.speed;
        if (s.bestLapMs != CLapTimer::kNoTime && s.bestLapMs != 0) bestLapMs_ = s.bestLapMs;
        if (i == 0) continue;
        const Sample& p = samples_[i - 1];
        distance_ += (s.position - p.position).length();
        // The lap count is the low byte of the live one: a step of one,
        // wrapping at 256, is a lap.
        if (static_cast<uint8_t>(s.lapCount) == static_cast<uint8_t>(p.lapCount + 1))
            laps_.push_back({static_cast<unsigned>(laps_.size() + 1), s.lastLapMs});
    }
    return frames();
}

void ReplayPlayback::finish() { car_.leaveReplayView(); }

double ReplayPlayback::durationSeconds() const { return frames() * (CReplay::kFrameMs / 1000.0); }

void ReplayPlayback::print(const std::string& name) const
{
    hostPrintf("vqsim: replay %s: %d frames, %.2f s (%d frames a second, one every %u ms)\n", name.c_str(), frames(),
               durationSeconds(), CReplay::kFramesPerSecond, CReplay::kFrameMs);
    hostPrintf("vqsim: replay distance %.0f m, top speed %.0f km/h\n", distance_, topSpeed_ * 3.6f);
    if (laps_.empty()) hostPrintf("vqsim: replay lap times: none completed\n");
    for (const ReplayLap& lap : laps_) hostPrintf("vqsim: replay lap %u: %s\n", lap.number, lapText(lap.timeMs).c_str());
    if (bestLapMs_ != CLapTimer::kNoTime) hostPrintf("vqsim: replay best lap %s\n", lapText(bestLapMs_).c_str());
}
