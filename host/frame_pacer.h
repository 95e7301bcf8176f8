#pragma once
// The pace of a window's drive: physics keeps its fixed step and follows the
// wall clock through an accumulator, pictures come at the display's rate
// (vsync) or, where the display does not pace them, no more often than a
// set interval. A picture runs at most a bounded number of physics steps
// before it: on a machine too busy to keep up, the simulation runs slower
// than real time instead of spending ever longer catching up. Times come
// from a clock interface, so the pacing can be followed with a fake clock.

class PacerClock {
public:
    virtual ~PacerClock() = default;
    // Seconds from an arbitrary origin, never going back.
    virtual double now() = 0;
};

// The process's monotonic clock.
class SteadyPacerClock final : public PacerClock {
public:
    double now() override;
};

struct PacerSettings {
    double step = 0.003;         // s of simulated time per physics step
    int maxStepsPerPicture = 33;  // about 0.1 s of catch-up at the default step
    double minInterval = 0;      // s from one picture's start to the next; 0: vsync paces them
};

class FramePacer {
public:
    // The first picture counts the wall time from here.
    FramePacer(PacerClock& clock, const PacerSettings& settings);

    // At the start of a picture: how many physics steps to run before it is
    // drawn. The wall time since the previous picture joins the accumulator
    // (while paused it is let go, so the drive resumes where it stopped);
    // what is beyond the bound per picture is dropped.
    int stepsBeforePicture(bool paused);
    // After the picture: seconds to wait before the next one starts (0 with
    // vsync, or when the picture took longer than the interval).
    double waitAfterPicture();

private:
    PacerClock& clock_;
    PacerSettings settings_;
    double last_;             // when the previous picture started
    double accumulator_ = 0;  // wall time not yet simulated, s
};
