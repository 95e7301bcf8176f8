#pragma once
// The car's lap clock in whole milliseconds: current, last and best lap, lap
// count, the intermediate split and a sprint stopwatch (0-100 km/h). A lap
// counts only when the intermediate point was passed since the last one.
//
// The host reads the fields directly through the pointer it gets from the
// car, so their order and widths below are part of the host interface: the
// virtual destructor puts them one pointer after the object's address.

#include <cstdint>
#include <string>
#include <vector>

struct LapRecord {
    uint32_t lapNumber;       // 1-based
    uint32_t timeMs;
    uint32_t intermediateMs;  // split of that lap
};

class CLapTimer {
public:
    static constexpr uint32_t kNoTime = 0xFFFFFFFFu;  // "no best lap yet"

    CLapTimer() = default;
    CLapTimer(const CLapTimer&) = default;
    CLapTimer(CLapTimer&&) = default;
    CLapTimer& operator=(const CLapTimer&) = default;
    CLapTimer& operator=(CLapTimer&&) = default;
    virtual ~CLapTimer() = default;

    // Advances the clock by dt seconds truncated to whole milliseconds; the
    // dropped fraction is not carried to the next step. A negative or NaN
    // step adds nothing.
    void addTime(float dt);
    // Arms the lap on the first intermediate crossing of the lap.
    void passIntermediate();
    // Updates the delta to the best lap; if armed, closes the lap.
    void passFinishLine();
    void startSprint();
    void stopSprint();

    // "%d:%02d:%03d" as minutes (unbounded), seconds, milliseconds.
    std::string currentText() const;
    std::string lastLapText() const;
    std::string bestLapText() const;  // "0:00:000" until a lap is counted

    // Field order and widths are read by the host; do not reorder.
    uint32_t currentMs = 0;
    uint32_t lastLapMs = 0;
    uint32_t bestLapMs = kNoTime;
    uint32_t lapCount = 0;
    int32_t bestLapIndex = -1;
    bool lapArmed = false;
    uint32_t intermediateMs = 0;
    uint32_t bestIntermediateMs = kNoTime;
    int32_t deltaToBestMs = -1;
    uint32_t sprintMs = 0;
    uint32_t sprintStartMs = 0;
    bool sprintRunning = false;
    std::vector<LapRecord> laps;
};
