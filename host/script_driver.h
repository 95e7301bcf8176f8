#pragma once
// A driver that replays timed inputs from a text file, one per line:
//   TIME steering|throttle|brake VALUE    (holds until changed)
//   TIME shift up|down                    (one press)
// Times are simulated seconds, in order; "#" starts a comment.

#include <string>
#include <vector>

#include "host/driver.h"

class ScriptDriver : public Driver {
public:
    // Reads the script. On failure returns false with a message naming the
    // file and line.
    bool load(const std::string& path, std::string& error);

    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    // Time of the last event, s.
    float endTime() const { return events_.empty() ? 0.0f : events_.back().time; }

private:
    enum class Control { Steering, Throttle, Brake, ShiftUp, ShiftDown };
    struct Event {
        float time;
        Control control;
        float value;
    };
    std::vector<Event> events_;
    size_t next_ = 0;
    DriverInputs held_;
};
