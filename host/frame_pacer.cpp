#include "host/frame_pacer.h"

#include <chrono>
#include <cmath>

double SteadyPacerClock::now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

FramePacer::FramePacer(PacerClock& clock, const PacerSettings& settings)
    : clock_(clock), settings_(settings), last_(clock.now())
{
}

int FramePacer::stepsBeforePicture(bool paused)
{
    const double now = clock_.now();
    const double elapsed = now - last_;
    last_ = now;
    if (paused) {
        accumulator_ = 0;
        return 0;
    }
    accumulator_ += elapsed;
    // The small allowance keeps a step that is due to the last bit of
    // rounding from slipping to the next picture.
    const double due = std::floor(accumulator_ / settings_.step + 1e-9);
    if (due > settings_.maxStepsPerPicture) {
        accumulator_ = 0;
        return settings_.maxStepsPerPicture;
    }
    accumulator_ -= due * settings_.step;
    return static_cast<int>(due);
}

double FramePacer::waitAfterPicture()
{
    if (settings_.minInterval <= 0) return 0;
    const double wait = last_ + settings_.minInterval - clock_.now();
    return wait > 0 ? wait : 0;
}
