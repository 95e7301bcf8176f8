// vqsim drive: the main job. Drives the car on a track, headless with the
// autopilot or a script, or in a window (--window) with the keyboard, a
// controller, the autopilot or a script; prints laps and a summary, writes
// the summary JSON.

#include <cstdio>
#include <filesystem>
#include <memory>

#include "host/arg_reader.h"
#include "host/autopilot.h"
#include "host/commands.h"
#include "host/drive_options.h"
#include "host/drive_session.h"
#include "host/replay_playback.h"
#include "host/run_outputs.h"
#include "host/script_driver.h"
#include "host/car_console.h"
#include "host/window/keyboard_driver.h"
#include "host/window/sdl_window.h"
#include "host/window_loop.h"

namespace {

// Simulated seconds the autopilot's car may stand still with fuel.
constexpr float kStuckAfter = 60.0f;

void printDriveUsage()
{
    hostPrintf("usage: vqsim drive [OPTIONS]\n\n"
                "Drives the car on the track, headless (or in a window: --window): laps are\n"
                "printed as they are completed, a summary at the end. Without --laps or --seconds\n"
                "it drives one lap.\n"
                "A drive that ends before its goal (laps not completed in the time allowed, the\n"
                "autopilot's car stuck for 60 s, out of fuel, interrupted) says why and exits with\n"
                "code 3. Ctrl-C (or SIGTERM) stops it at the end of the current frame and still\n"
                "writes every file, the summary marked \"interrupted\"; a second one ends it at once.\n\nOptions:\n"
                "  --laps N         stop after N completed laps (N >= 1)\n"
                "  --seconds S      stop after S simulated seconds\n"
                "  --script FILE    drive with timed inputs from FILE instead of the autopilot\n"
                "  --track NAME     track folder under data/tracks (default valley), or 'strip' for\n"
                "                   the built-in flat test strip\n"
                "  --replay FILE    play a replay file back instead of driving: it is copied into\n"
                "                   the run's replay/ folder (the source is never written), the car\n"
                "                   loads it and shows every frame; prints frames, duration, laps.\n"
                "                   The run directory must not hold FILE; without --run-dir it is\n"
                "                   ./run-replay-NAME beside the default ./run\n"
                "  --window         drive in a window (needs a display: DISPLAY or WAYLAND_DISPLAY),\n"
                "                   at the wall clock's pace, with the car's sound played live;\n"
                "                   keys: Up throttle, Down brake, Left/Right steer, E/Q shift up/down,\n"
                "                   C camera, R back on the track, P pause, H help, F2 suspension,\n"
                "                   F3 brake glow, Escape quit (the run ends normally); every\n"
                "                   printable key also goes to the car\n"
                "                   (a ABS, t traction control, b view point)\n"
                "  --driver WHO     auto (the autopilot), keyboard (the default with --window),\n"
                "                   gamepad or wheel (the first game controller or wheel, with force\n"
                "                   feedback); all but auto need --window\n"
                "  --controls FILE  the wheel's axis map (default: the built-in one, the same as\n"
                "                   data/controls/wheel.ini)\n"
                "  --ffb-gain G     force feedback strength (default 1, 0 = off)\n"
                "  --keys FILE      timed key presses for --window, one 'TIME KEY down|up' a line\n"
                "                   (simulated seconds, SDL key names such as Up, Left, E, A)\n");
    printDriveOptionHelp();
}

namespace fs = std::filesystem;

// With --window: the window, opened before the session (the engine's device
// lives in its OpenGL context until the session has finished). Null and a
// message when it cannot be opened; null without --window.
bool openWindow(const DriveOptions& o, std::unique_ptr<SdlWindow>& window)
{
    if (!o.window) return true;
    window = std::make_unique<SdlWindow>();
    std::string error;
    if (window->open("vqsim: solvi on " + o.session.track, o.session.pictures.width, o.session.pictures.height, error))
        return true;
    std::fprintf(stderr, "vqsim: no window: %s\n", error.c_str());
    window.reset();
    return false;
}

// True when `file` lies inside the folder `dir` (both absolute, normalised).
bool liesIn(const fs::path& file, const fs::path& dir)
{
    const fs::path rel = file.lexically_relative(dir);
    return !rel.empty() && *rel.begin() != "..";
}

// vqsim drive --replay FILE: a fresh run directory, a copy of the file in its
// replay/ folder, loaded by the car right after init and played back frame
// by frame without a physics step.
int runReplay(DriveOptions& o)
{
    std::error_code ec;
    const fs::path source = fs::weakly_canonical(fs::absolute(o.replay), ec);
    if (ec || !fs::is_regular_file(source)) {
        std::fprintf(stderr, "vqsim: cannot open the replay %s\n", o.replay.c_str());
        return 1;
    }
    if (!o.runDirGiven) o.car.runDir = "run-replay-" + source.filename().string();
    const fs::path runDir = fs::weakly_canonical(fs::absolute(o.car.runDir), ec);
    if (ec || liesIn(source, runDir)) {
        std::fprintf(stderr, "vqsim: the replay %s lies in the run directory %s; give another --run-dir\n",
                     source.string().c_str(), runDir.string().c_str());
        return 1;
    }
    hostPrintf("vqsim: replay run directory %s\n", runDir.string().c_str());

    CarRunPaths paths;
    if (!enterCarRun(o.car, paths)) return 1;
    // Its own name, except the name the car writes its replay under when it
    // is unloaded: that copy would be overwritten.
    std::string name = source.filename().string();
    if (name == "cr") name += ".replay";
    const std::string copy = "replay/" + name;  // relative to the run directory
    fs::create_directories("replay", ec);
    if (!fs::copy_file(source, copy, fs::copy_options::overwrite_existing, ec)) {
        std::fprintf(stderr, "vqsim: cannot copy %s to %s/%s: %s\n", source.string().c_str(),
                     paths.runDir.c_str(), copy.c_str(), ec.message().c_str());
        return 1;
    }
    hostPrintf("vqsim: copied %s to %s/%s\n", source.string().c_str(), paths.runDir.c_str(), copy.c_str());

    std::unique_ptr<SdlWindow> window;
    if (!openWindow(o, window)) return 1;
    DriveSession session(o.car, paths, o.session);
    session.setDisplay(window.get());
    if (!session.start()) return 1;
    std::unique_ptr<WindowLoop> loop;
    if (window) loop = std::make_unique<WindowLoop>(session, *window, o.session.pictures.view);
    ReplayPlayback playback(*session.car());
    const bool whole = playback.load(copy);
    if (!whole) hostPrintf("vqsim: the car could not read all of %s; playing what it read\n", copy.c_str());
    playback.play([&](double time) {
        if (loop)
            loop->showReplayFrame(time);
        else
            session.drawPictures(time);
    });
    playback.finish();
    loop.reset();  // its scene lives in the session's engine
    playback.print(name);
    const bool unloaded = session.finish();
    return unloaded && whole ? 0 : 1;
}

}  // namespace

int runDriveCommand(int argc, const char* const* argv)
{
    DriveOptions o;
    std::string error;
    if (!parseDriveOptions(argc, argv, o, false, error)) return commandLineError("drive", error);
    if (o.car.help) {
        printDriveUsage();
        return 0;
    }
    // Before anything else: without a window system SDL would open a window
    // nobody sees.
    if (o.window && !displayAvailable()) {
        std::fprintf(stderr, "vqsim: --window needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set; "
                             "start it in a desktop session (or under xvfb-run), or drive headless without "
                             "--window\n");
        return 1;
    }
    if (!o.replay.empty()) {
        if (o.laps || o.seconds > 0 || !o.script.empty() || !o.summaryPath.empty() || o.plots)
            return commandLineError("drive", "--replay plays a recorded drive back; it takes no --laps, --seconds, "
                                             "--script, --summary or --plots");
        return runReplay(o);
    }
    if (o.laps == 0 && o.seconds == 0) o.laps = 1;
    // A car that cannot finish its laps still ends the run.
    const double timeLimit = o.seconds > 0 ? o.seconds : 300.0 * o.laps + 60.0;

    // The user's paths are relative to where vqsim was started, not to the
    // run directory it works in.
    if (!o.script.empty()) o.script = std::filesystem::absolute(o.script).string();
    if (!o.summaryPath.empty()) o.summaryPath = std::filesystem::absolute(o.summaryPath).string();
    const std::string who = !o.script.empty() ? "script" : !o.driver.empty() ? o.driver : o.window ? "keyboard" : "auto";
    KeyScript keys;
    if (!o.keysPath.empty() && !keys.load(o.keysPath, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return 1;
    }

    // The autopilot never means to stand still for long.
    if (who == "auto") o.session.stuckAfter = kStuckAfter;
    o.session.liveSound = o.window;
    CarRunPaths paths;
    if (!enterCarRun(o.car, paths)) return 1;

    std::unique_ptr<SdlWindow> window;
    if (!openWindow(o, window)) return 1;
    std::unique_ptr<Driver> driver;
    std::string driverName = who == "auto" ? "the autopilot" : who == "keyboard" ? "the keyboard" : o.script;
    ControllerDriver* controller = nullptr;
    if (who == "gamepad" || who == "wheel") {
        o.controller.kind = who == "wheel" ? ControllerSettings::Kind::Wheel : ControllerSettings::Kind::Gamepad;
        std::unique_ptr<ControllerDriver> opened = ControllerDriver::open(o.controller, error);
        if (!opened) {
            std::fprintf(stderr, "vqsim: no %s to drive with: %s\n", who.c_str(), error.c_str());
            return 1;
        }
        driverName = opened->description();
        controller = opened.get();
        driver = std::move(opened);
    }
    DriveSession session(o.car, paths, o.session);
    session.setDisplay(window.get());
    if (!o.script.empty()) {
        auto script = std::make_unique<ScriptDriver>();
        if (!script->load(o.script, error)) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            return 1;
        }
        driver = std::move(script);
    }
    if (!session.start()) return 1;
    std::unique_ptr<WindowLoop> loop;
    if (window) {
        loop = std::make_unique<WindowLoop>(session, *window, o.session.pictures.view);
        loop->setKeys(std::move(keys));
        loop->setFeedback(controller);
        if (who == "keyboard") driver = std::make_unique<KeyboardDriver>(loop->input());
    }
    if (!driver) driver = std::make_unique<Autopilot>(session.track());
    const auto drive = [&](const std::function<bool(const CarState&)>& done) {
        if (loop)
            loop->run(*driver, done);
        else
            session.run(*driver, done);
    };

    char goal[64];
    if (o.laps)
        std::snprintf(goal, sizeof goal, "%u lap%s", o.laps, o.laps == 1 ? "" : "s");
    else
        std::snprintf(goal, sizeof goal, "%g s", o.seconds);
    hostPrintf("vqsim: driving %s with %s, dt %g s%s\n", goal, driverName.c_str(), o.session.dt,
               loop ? " (H in the window lists the keys)" : "");
    drive([&](const CarState& state) {
        if (o.laps && session.host().lapTimesMs.size() >= o.laps) return true;
        return state.time >= timeLimit;
    });
    if (session.interrupted()) {
        hostPrintf("vqsim: interrupted after %.1f s\n", session.time());
    } else if (session.endedEarly() == RunEnd::Quit) {
        hostPrintf("vqsim: the driver quit after %.1f s\n", session.time());
    } else if (o.laps && session.host().lapTimesMs.size() < o.laps) {
        hostPrintf("vqsim: stopped after %.0f s with %zu of %u laps\n", session.time(),
                    session.host().lapTimesMs.size(), o.laps);
        session.endRun(RunEnd::TimeLimit);
    } else if (o.laps) {
        // A few more frames past the line, so that the car's replay records
        // the last lap time too (it writes lap times into its next frame).
        const float end = session.time() + 0.1f;
        drive([&](const CarState& state) { return state.time >= end; });
    }
    if (loop) {
        loop->printFigures();
        loop.reset();  // its scene lives in the session's engine
    }
    return finishRun(session, session.summary(), o);
}
