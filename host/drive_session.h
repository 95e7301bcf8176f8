#pragma once
// One run of the car in the host: the physics world, the graphics engine
// object, the track, the sim host and the profiler; the plug-in loaded,
// initialised and reset on the start line; then physics frames of
// driver -> controls -> car step -> world step -> frame sync until the run's
// end, with the figures a summary reports collected on the way. Teardown
// follows the order the car needs: stop stepping, destroy what plug-in code
// made in the engine object, unload the plug-in (its destructors write the
// car's files), then destroy the world.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/car_run.h"
#include "host/controls.h"
#include "host/drive_pictures.h"
#include "host/driver.h"
#include "host/host_car.h"
#include "host/plugin_library.h"
#include "host/profiler.h"
#include "host/run_sound.h"
#include "host/run_summary.h"
#include "host/sim_host.h"
#include "host/telemetry_csv.h"
#include "host/track.h"

class CPhysicsWorld;
class RDeviceFactory;
class REngine;

// The built-in flat test strip: two 3 km straights joined by 60 m half circles.
inline constexpr const char* kStripTrack = "strip";
// The built-in flat 40 m radius circle for steady cornering.
inline constexpr const char* kSkidpadTrack = "skidpad";

struct DriveSettings {
    float dt = 0.003f;           // s; whole milliseconds keep the car's clocks exact
    std::string track = "valley";  // a folder under data/tracks, or kStripTrack
    bool profile = false;        // time the car's sections
    float progressEvery = 10.0f; // simulated seconds between progress lines; 0 = none
    std::string soundPath;       // a WAV file to render the run's sound into; empty = silent
    std::optional<float> fuel;   // litres in the tank at the start; unset = the car's own
    // Simulated seconds the car may stand still with fuel before the run
    // ends as stuck; 0 = never.
    float stuckAfter = 0;
    std::optional<bool> abs;     // switch the anti-lock brakes on or off; unset = as the car starts
    std::optional<bool> tractionControl;  // likewise the traction control
    float stripLength = 3000.0f;  // m, the straights of the test strip
    float circleRadius = 40.0f;   // m, the skidpad circle
    PictureOptions pictures;     // --frames or --video: the drive is drawn
    bool liveSound = false;      // play the sound on the sound device (a window's drive)
};

// A car with an empty tank that has stood still this long ends the run.
inline constexpr float kOutOfFuelWait = 10.0f;  // s

class DriveSession {
public:
    DriveSession(const CarRunOptions& options, const CarRunPaths& paths, const DriveSettings& settings);
    ~DriveSession();

    // Loads the track, creates the world and the engine object, loads the
    // plug-in, initialises the car and puts it on the start line. Prints the
    // reason and returns false on failure.
    bool start();

    // The engine draws through this factory's device (a window's) instead
    // of the pictures' or none; call before start().
    void setDisplay(RDeviceFactory* factory) { display_ = factory; }

    // Runs physics frames until `done` says so (it sees the car's state
    // after each frame), the run has ended for a reason of its own, or a
    // SIGINT/SIGTERM arrives.
    void run(Driver& driver, const std::function<bool(const CarState&)>& done);

    // The parts of run() for a loop of its own (the window's): one physics
    // frame (driver -> controls -> car step -> world step -> frame sync,
    // then telemetry, sound and the run's figures) ...
    const CarState& stepFrame(Driver& driver);
    // ... whether to stop before the next one (`done`, an end of the run's
    // own, or a signal, which ends it as interrupted) ...
    bool shouldStop(const std::function<bool(const CarState&)>& done);
    // ... and the wall time spent, for the real-time factor.
    void addWallTime(std::chrono::steady_clock::duration wall);
    // Puts the car back on the track: on the centre line at the point
    // nearest to it, facing along the lap.
    void resetOnTrack();

    // Ends the run before its goal: run() returns after the frame it is in.
    // The first reason given stays.
    void endRun(RunEnd why);
    // Why the run ended early; unset while it may still reach its goal.
    const std::optional<RunEnd>& endedEarly() const { return end_; }
    // Litres in the car's tank.
    float fuel() const;

    // Figures so far, with wall-clock figures for the stepping time.
    RunSummary summary() const;
    // Unloads the car and tears the world down; prints the profile when asked.
    // Returns false when the plug-in stayed loaded.
    bool finish();

    ICar* car() const { return car_; }
    const DriveSettings& settings() const { return settings_; }
    REngine* engine() const { return engine_.get(); }
    // Draws the pictures due by `time` (simulated seconds); the physics
    // frames draw theirs themselves, a replay's playback calls this.
    void drawPictures(double time);
    bool picturesFailed() const { return picturesFailed_; }
    const TelemetryCsv& telemetry() const { return telemetry_; }
    const std::string& runDir() const { return paths_.runDir; }
    const Track& track() const { return track_; }
    const SimHost& host() const { return host_; }
    float time() const { return time_; }
    // A signal stopped the last run() before `done` did.
    bool interrupted() const { return end_ == RunEnd::Interrupted; }
    // Where the car starts: on the line, a little before the finish strip.
    Vector3 startPosition() const;
    Vector3 startDirection() const;

private:
    bool checkCarData() const;
    void watchForEnd(const CarState& state);
    void account(const CarState& state);

    CarRunOptions options_;
    CarRunPaths paths_;
    DriveSettings settings_;

    PhysicsLibrary physicsLibrary_;
    RDeviceFactory* display_ = nullptr;
    // Before the engine: its device lives in the pictures' OpenGL context.
    std::unique_ptr<DrivePictures> pictures_;
    bool picturesFailed_ = false;
    Track track_;
    std::unique_ptr<CPhysicsWorld> world_;
    std::unique_ptr<REngine> engine_;
    SimHost host_;
    HostProfiler profiler_;
    HostControls controls_;
    PluginLibrary library_;
    ICar* car_ = nullptr;
    std::unique_ptr<HostCarEntry> selfEntry_;
    TelemetryCsv telemetry_;
    RunSound sound_;
    double distance_ = 0;  // metres driven, from the speed of each step

    float time_ = 0;
    CarState state_;  // after the last frame
    unsigned long long steps_ = 0;
    double wallSeconds_ = 0;
    unsigned long long stepNs_ = 0;
    float topSpeed_ = 0;
    float offroad_ = 0, maxOffroad_ = 0;
    bool nanSeen_ = false;
    float nextProgress_ = 0;
    bool sprintWasRunning_ = false;
    unsigned lapsAtSprintStart_ = 0;
    std::optional<double> sprint2To100_;  // the car's sprint clock
    std::optional<double> zeroTo100_;     // ours, from the last standstill
    std::optional<float> standstillAt_;
    float emptyStill_ = 0;  // s stood still with an empty tank
    float still_ = 0;       // s stood still with fuel
    bool dryReported_ = false;
    std::optional<RunEnd> end_;
    size_t lapsPrinted_ = 0;
};
