#pragma once
// vqsim drive --replay: plays a replay back through the car's own replay
// operations. The car loads the file (slot 45) right after init; each call
// of replayControl(0) (slot 42) moves the replay one frame on and shows that
// frame, so the host calls it until the index wraps back to the first frame:
// every frame is shown once and the count is the replay's own. After each
// frame the host reads the pose (slot 12), the speed (slot 15) and the
// replay's lap timer (slot 26, the replay's while its view is shown). No
// physics step runs; leaveReplayView (slot 44) ends the playback.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "chassis/vector3.h"

class ICar;

struct ReplayLap {
    unsigned number = 0;  // the replay's lap count after the lap
    uint32_t timeMs = 0;
};

class ReplayPlayback {
public:
    explicit ReplayPlayback(ICar& car) : car_(car) {}

    // The car loads `path` (relative to the working directory). False when
    // the car reports it could not read the file whole.
    bool load(const std::string& path);
    // Shows every frame once, in order, and collects what the report needs;
    // `shown` (may be empty) sees the time of each frame as it is shown, s.
    // Returns the number of frames shown.
    int play(const std::function<void(double)>& shown = {});
    // Leaves the replay view (the car's frames follow its body again).
    void finish();

    int frames() const { return static_cast<int>(samples_.size()); }
    double durationSeconds() const;  // frames at 0.033 s each, as recorded
    const std::vector<ReplayLap>& laps() const { return laps_; }
    uint32_t bestLapMs() const { return bestLapMs_; }  // 0xFFFFFFFF: none
    float topSpeed() const { return topSpeed_; }       // m/s
    double distance() const { return distance_; }      // m, frame to frame
    // The report as lines on standard output.
    void print(const std::string& name) const;

private:
    struct Sample {
        Vector3 position{0, 0, 0};
        float speed = 0;
        uint32_t currentMs = 0, lastLapMs = 0, bestLapMs = 0, lapCount = 0;
        bool shown = false;
    };
    ICar& car_;
    std::vector<Sample> samples_;
    std::vector<ReplayLap> laps_;
    uint32_t bestLapMs_ = 0xFFFFFFFFu;
    float topSpeed_ = 0;
    double distance_ = 0;
};
