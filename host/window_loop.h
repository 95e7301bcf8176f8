#pragma once
// The window's drive: the same physics frames as a headless drive
// (DriveSession::stepFrame), run from an accumulator against the wall clock
// with a bounded number per picture (FramePacer), and a picture after each
// batch, presented in the window. Between frames the window's events are
// handled: keys for the driver, the car's own keys, and the window's:
//   C camera   R back on the track   P pause   H help   Escape quit
//   F2 the suspension's arms and springs   F3 the brake discs' glow
// Every printable key pressed also goes to the car as its lower-case
// character ('a' ABS, 't' traction control, 'b' view point, ...).

#include <functional>
#include <string>
#include <vector>

#include "host/cameras.h"
#include "host/scene_renderer.h"
#include "host/window/key_script.h"
#include "host/window/sdl_input.h"

class ControllerDriver;
class DriveSession;
class Driver;
class SdlWindow;
struct CarState;

class WindowLoop {
public:
    // After session.start(): the session's engine draws in the window.
    WindowLoop(DriveSession& session, SdlWindow& window, CameraView view);
    ~WindowLoop();
    WindowLoop(const WindowLoop&) = delete;
    WindowLoop& operator=(const WindowLoop&) = delete;

    // Key presses to push into the window's queue as the drive reaches them.
    void setKeys(KeyScript keys) { keys_ = std::move(keys); }
    // A controller that gets the steering torque once per picture.
    void setFeedback(ControllerDriver* controller) { feedback_ = controller; }
    const SdlInput& input() const { return input_; }

    // Drives until `done`, the run's own end, a signal, or the driver quits
    // (Escape, closing the window: the run ends as quit).
    void run(Driver& driver, const std::function<bool(const CarState&)>& done);
    // A replay's playback in the window: shows the frame the car has just
    // put up when the wall clock reaches its time (s from the first frame).
    // Once the driver has quit, frames go by unshown.
    void showReplayFrame(double time);
    // The pictures shown and the wall time of the drive, on one line.
    void printFigures() const;

private:
    void handleEvents();
    void drawPicture();
    void keyPressed(SDL_Keycode key);
    std::vector<std::string> overlay() const;

    DriveSession& session_;
    SdlWindow& window_;
    SdlInput input_;
    SceneRenderer renderer_;
    KeyScript keys_;
    ControllerDriver* feedback_ = nullptr;
    bool paused_ = false;
    bool replay_ = false;  // showing a replay: no driving keys
    double replayStart_ = 0;  // wall clock at the replay's time 0, s
    bool help_ = false;
    long pictures_ = 0;
    double wallSeconds_ = 0;
};
