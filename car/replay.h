#pragma once
// The car's replay: about 30 frames a second of what the car looked like
// (poses of the body and the four wheels, a few bytes for the instruments and
// sounds, the other cars' places and, now and then, the lap times), held in
// memory while the car runs, written to one file when the car is destroyed,
// read back from a file and shown frame by frame. Frames store state, not
// inputs, so playback never drifts from what was driven. The car fills and
// shows the frames (CCar::recordReplayFrame, CCar::showReplayFrame); this
// class owns them, their file layout, the playback index, the replay's own
// lap timer and the ghost cars made for playback.
//
// File layout, little-endian: a 372-byte header (texts, 1, 30 frames a
// second, the frame count, 0), then per frame its 192 fixed bytes, one byte
// with the number of other-car records, 16 bytes per record and, only when
// the frame has lap times, 12 bytes of them. Nothing read from a file is
// trusted beyond the file's own length.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "car/host_car.h"
#include "chassis/vector3.h"
#include "services/lap_timer.h"

// One other car at a recorded instant: 16 bytes in memory and in the file.
// The layout is this car's own choice (the host side decides it):
// x and z of the car's position (m, world), then bytes[0] = its height y
// clamped to 0...6 m as y / 6 * 255 and bytes[1] = its heading (the forward
// axis measured from +z towards +x) as a fraction of a turn times 255; the
// other six bytes are zero. Playback hands the host's ghost car
// bytes[0] / 255 * 6.0 and bytes[1] / 255.
struct CReplayOtherCar {
    float x = 0;
    float z = 0;
    uint8_t bytes[8] = {};
};
static_assert(sizeof(CReplayOtherCar) == 16);

// Per wheel: position, forward axis and up axis of the wheel frame, world.
struct CReplayWheelPose {
    Vector3 position;
    Vector3 forward;
    Vector3 up;
};

using HostCarState = std::array<uint8_t, kHostCarStateBytes>;

class CReplayFrame {
public:
    static constexpr std::size_t kFixedBytes = 192;    // 45 floats, then 12 bytes
    static constexpr std::size_t kOtherBytes = 16;     // per CReplayOtherCar
    static constexpr std::size_t kLapTimeBytes = 12;   // three 32-bit lap times
    static constexpr std::size_t kMaxOthers = 255;     // the count is one byte

    // Bytes this frame takes in the file.
    std::size_t fileBytes() const;
    // Appends the frame's file bytes to `out`. At most kMaxOthers records.
    void write(std::vector<uint8_t>& out) const;
    // The 192 fixed bytes into the fields (bools: any non-zero byte is true).
    void readFixed(const uint8_t* bytes);

    // Fields in table order.
    Vector3 carPosition{0, 0, 0};
    Vector3 carForward{0, 0, 1};
    Vector3 carUp{0, 1, 0};
    CReplayWheelPose wheelPose[4] = {};
    uint8_t wheelAngle[4] = {0, 0, 0, 0};  // fraction of a turn · 256
    int8_t steer = 0;                      // steering-wheel angle, whole degrees
    uint8_t stateValue = 0;                // getStateValue(0) · 255
    bool wheelSoundFlag = false;           // getWheelSoundValue(0) > 17000
    uint8_t engineSound = 0;               // getEngineSoundLevel() · 256, at most 255
    uint8_t rpmByte = 0;                   // rpm · 0.00005 · 255
    uint8_t speedByte = 0;                 // speed · 0.5 (m/s)
    bool hasLapTimes = false;
    uint8_t lapCount = 0;                  // low byte of the live lap count
    std::vector<CReplayOtherCar> others;
    uint32_t lapTimes[3] = {0, 0, 0};      // currentMs, lastLapMs, bestLapMs
    std::vector<HostCarState> carStates;   // memory only, never in the file
};

class CReplay {
public:
    static constexpr std::size_t kHeaderBytes = 372;
    static constexpr int32_t kVersion = 1;
    static constexpr int32_t kFramesPerSecond = 30;
    static constexpr uint32_t kFrameMs = 33;  // per frame, for the lap clock

    CReplay() = default;
    ~CReplay();  // releases the ghost cars; the frames go with the list
    CReplay(const CReplay&) = delete;
    CReplay& operator=(const CReplay&) = delete;

    void append(std::unique_ptr<CReplayFrame> frame) { frames.push_back(std::move(frame)); }
    int frameCount() const { return static_cast<int>(frames.size()); }
    // The frame at the display index, or null when there is none.
    CReplayFrame* displayedFrame() const;

    // The whole file: header and frames. "wb"; false (with a line on the
    // console) when the file cannot be opened or written.
    bool save(const std::string& path) const;
    // The header alone, 372 bytes, for `frameCount` frames.
    std::vector<uint8_t> header(int32_t frameCount) const;
    // Prints "loading replay\n", reads the header and then the frames the
    // header counts, appending each to the list; fills in the lap times and
    // writes "groove.txt". True when the header and every counted frame were
    // read; a short or damaged file keeps the frames read whole before the
    // damage and reports what was wrong.
    bool load(const std::string& path, const std::string& groovePath = "groove.txt");
    // Gives every frame lap times: a frame with its own supplies the current
    // values, one without takes them; currentMs grows by 33 after every frame.
    // The walk starts from a fresh lap timer's values (0, 0, no best lap).
    void fillInLapTimes();
    // The driven line: the body position of each frame, "%f %f %f\n".
    bool writeGroove(const std::string& path) const;

    // Moves the display index: 2 forward by 10 (0 past the last frame), 3 back
    // by 10 (to the number of frames - 2 below 0, or 0 with fewer than two
    // frames), 0 forward by one (0 past the last frame). Other commands leave
    // it. Returns the new index. Showing the frame is the car's part.
    int control(int command);

    // The host's ghost cars made for the frame on display; owned.
    void releaseGhosts();
    void keepGhost(IHostCar* ghost) { ghosts.push_back(ghost); }

    // Header texts: the first two go in as "%s[%s]" (127 characters at most),
    // the third in 127, the fourth and fifth in 49 characters each.
    std::string texts[5];
    std::vector<std::unique_ptr<CReplayFrame>> frames;
    int displayIndex = 0;
    CLapTimer lapTimer;  // the replay's own, shown while a frame is on display
    std::vector<IHostCar*> ghosts;
};
