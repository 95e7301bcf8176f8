// vqsim drive: the main job. Drives the car headless on a track with the
// autopilot or a script, prints laps and a summary, writes the summary JSON.

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

namespace {

// Simulated seconds the autopilot's car may stand still with fuel.
constexpr float kStuckAfter = 60.0f;

void printDriveUsage()
{
    hostPrintf("usage: vqsim drive [OPTIONS]\n\n"
                "Drives the car headless on the track: laps are printed as they are completed,\n"
                "a summary at the end. Without --laps or --seconds it drives one lap.\n"
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
                "                   ./run-replay-NAME beside the default ./run\n");
    printDriveOptionHelp();
}

namespace fs = std::filesystem;

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

    DriveSession session(o.car, paths, o.session);
    if (!session.start()) return 1;
    ReplayPlayback playback(*session.car());
    const bool whole = playback.load(copy);
    if (!whole) hostPrintf("vqsim: the car could not read all of %s; playing what it read\n", copy.c_str());
    playback.play([&](double time) { session.drawPictures(time); });
    playback.finish();
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

    // The autopilot never means to stand still for long.
    if (o.script.empty()) o.session.stuckAfter = kStuckAfter;
    CarRunPaths paths;
    if (!enterCarRun(o.car, paths)) return 1;

    std::unique_ptr<Driver> driver;
    DriveSession session(o.car, paths, o.session);
    if (!o.script.empty()) {
        auto script = std::make_unique<ScriptDriver>();
        if (!script->load(o.script, error)) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            return 1;
        }
        driver = std::move(script);
    }
    if (!session.start()) return 1;
    if (!driver) driver = std::make_unique<Autopilot>(session.track());

    char goal[64];
    if (o.laps)
        std::snprintf(goal, sizeof goal, "%u lap%s", o.laps, o.laps == 1 ? "" : "s");
    else
        std::snprintf(goal, sizeof goal, "%g s", o.seconds);
    hostPrintf("vqsim: driving %s with %s, dt %g s\n", goal, o.script.empty() ? "the autopilot" : o.script.c_str(),
               o.session.dt);
    session.run(*driver, [&](const CarState& state) {
        if (o.laps && session.host().lapTimesMs.size() >= o.laps) return true;
        return state.time >= timeLimit;
    });
    if (session.interrupted()) {
        hostPrintf("vqsim: interrupted after %.1f s\n", session.time());
    } else if (o.laps && session.host().lapTimesMs.size() < o.laps) {
        hostPrintf("vqsim: stopped after %.0f s with %zu of %u laps\n", session.time(),
                    session.host().lapTimesMs.size(), o.laps);
        session.endRun(RunEnd::TimeLimit);
    } else if (o.laps) {
        // A few more frames past the line, so that the car's replay records
        // the last lap time too (it writes lap times into its next frame).
        const float end = session.time() + 0.1f;
        session.run(*driver, [&](const CarState& state) { return state.time >= end; });
    }

    return finishRun(session, session.summary(), o);
}
