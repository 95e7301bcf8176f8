// vqsim drive: the main job. Drives the car headless on a track with the
// autopilot or a script, prints laps and a summary, writes the summary JSON.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "host/arg_reader.h"
#include "host/autopilot.h"
#include "host/commands.h"
#include "host/drive_options.h"
#include "host/drive_session.h"
#include "host/run_outputs.h"
#include "host/script_driver.h"

namespace {

void printDriveUsage()
{
    std::printf("usage: vqsim drive [OPTIONS]\n\n"
                "Drives the car headless on the track: laps are printed as they are completed,\n"
                "a summary at the end. Without --laps or --seconds it drives one lap.\n\nOptions:\n"
                "  --laps N         stop after N completed laps\n"
                "  --seconds S      stop after S simulated seconds\n"
                "  --script FILE    drive with timed inputs from FILE instead of the autopilot\n"
                "  --track NAME     track folder under data/tracks (default valley), or 'strip' for\n"
                "                   the built-in flat test strip\n");
    printDriveOptionHelp();
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
    const float msPerStep = o.session.dt * 1000.0f;
    if (std::fabs(msPerStep - std::round(msPerStep)) > 1e-4f)
        std::printf("vqsim: note: a step of %g s is not a whole number of milliseconds; the car's clocks will drift\n",
                    o.session.dt);
    if (o.laps == 0 && o.seconds == 0) o.laps = 1;
    // A car that cannot finish its laps still ends the run.
    const double timeLimit = o.seconds > 0 ? o.seconds : 300.0 * o.laps + 60.0;

    // The user's paths are relative to where vqsim was started, not to the
    // run directory it works in.
    if (!o.script.empty()) o.script = std::filesystem::absolute(o.script).string();
    if (!o.summaryPath.empty()) o.summaryPath = std::filesystem::absolute(o.summaryPath).string();

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
    std::printf("vqsim: driving %s with %s, dt %g s\n", goal, o.script.empty() ? "the autopilot" : o.script.c_str(),
                o.session.dt);
    session.run(*driver, [&](const CarState& state) {
        if (o.laps && session.host().lapTimesMs.size() >= o.laps) return true;
        return state.time >= timeLimit;
    });
    if (o.laps && session.host().lapTimesMs.size() < o.laps)
        std::printf("vqsim: stopped after %.0f s with %zu of %u laps\n", session.time(),
                    session.host().lapTimesMs.size(), o.laps);

    return finishRun(session, session.summary(), o);
}
