// vqsim accel and vqsim brake: the car's straight-line figures on the flat
// test strip, printed and, with --summary, written as JSON.

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/commands.h"
#include "host/drive_options.h"
#include "host/drive_session.h"
#include "host/run_outputs.h"
#include "host/scenario_drivers.h"
#include "host/car_console.h"

namespace {

constexpr float kSkidpadRadius = 40.0f;  // m

// A scenario that has not reached its figures by then never will.
constexpr float kScenarioLimit = 90.0f;  // s

void printScenarioUsage(const char* name, const char* what)
{
    hostPrintf("usage: vqsim %s [OPTIONS]\n\n%s\n\nOptions:\n", name, what);
    printDriveOptionHelp();
}

// Parses the options, enters the run directory and starts a session on the
// strip; returns the exit code to give up with, or -1 to go on.
int startScenario(const char* name, const char* what, int argc, const char* const* argv, DriveOptions& o,
                  std::unique_ptr<DriveSession>& session, const char* track = kStripTrack)
{
    std::string error;
    if (!parseDriveOptions(argc, argv, o, true, error)) return commandLineError(name, error);
    if (o.car.help) {
        printScenarioUsage(name, what);
        return 0;
    }
    if (!o.summaryPath.empty()) o.summaryPath = std::filesystem::absolute(o.summaryPath).string();
    o.session.track = track;
    CarRunPaths paths;
    if (!enterCarRun(o.car, paths)) return 1;
    session = std::make_unique<DriveSession>(o.car, paths, o.session);
    if (!session->start()) return 1;
    return -1;
}

}  // namespace

int runAccelCommand(int argc, const char* const* argv)
{
    DriveOptions o;
    std::unique_ptr<DriveSession> session;
    const int early = startScenario("accel",
                                    "From rest at full throttle along the flat test strip, shifting up at the\n"
                                    "limiter with the throttle lifted during each shift: 0-100 km/h, 0-200 km/h\n"
                                    "and the quarter mile.",
                                    argc, argv, o, session);
    if (early >= 0) return early;
    AccelDriver driver(session->track());
    hostPrintf("vqsim: standing start on the test strip\n");
    session->run(driver, [&](const CarState& state) { return driver.finished() || state.time >= kScenarioLimit; });
    if (!driver.finished()) session->endRun(RunEnd::TimeLimit);

    auto show = [](const char* what, const std::optional<float>& t) {
        if (t)
            hostPrintf("  %-16s %.2f s\n", what, *t);
        else
            hostPrintf("  %-16s not reached\n", what);
    };
    hostPrintf("accel:\n");
    show("0-100 km/h", driver.time100);
    show("0-200 km/h", driver.time200);
    if (driver.quarterMile)
        hostPrintf("  %-16s %.2f s at %.1f km/h\n", "quarter mile", *driver.quarterMile, driver.quarterMileSpeed);
    RunSummary summary = session->summary();
    if (summary.sprint2To100S) hostPrintf("  %-16s %.2f s (the car's sprint clock)\n", "2-100 km/h", *summary.sprint2To100S);
    return finishRun(*session, summary, o);
}

int runBrakeCommand(int argc, const char* const* argv)
{
    DriveOptions o;
    std::unique_ptr<DriveSession> session;
    const int early = startScenario("brake",
                                    "Up to 100 km/h on the flat test strip, then from the first step at or above\n"
                                    "it the brake fully on, in gear, the ABS as the car starts (off) or as --abs\n"
                                    "sets it: the distance to rest.",
                                    argc, argv, o, session);
    if (early >= 0) return early;
    BrakeDriver driver(session->track());
    hostPrintf("vqsim: up to 100 km/h, then full brake\n");
    session->run(driver, [&](const CarState& state) { return driver.stopDistance || state.time >= kScenarioLimit; });
    if (!driver.stopDistance) session->endRun(RunEnd::TimeLimit);

    RunSummary summary = session->summary();
    hostPrintf("brake:\n");
    if (driver.stopDistance) {
        hostPrintf("  100-0 km/h       %.1f m in %.2f s\n", *driver.stopDistance, *driver.stopTime);
        summary.brake100To0M = *driver.stopDistance;
    } else {
        hostPrintf("  100-0 km/h       not completed\n");
    }
    return finishRun(*session, summary, o);
}

int runSkidpadCommand(int argc, const char* const* argv)
{
    DriveOptions o;
    std::unique_ptr<DriveSession> session;
    const int early = startScenario("skidpad",
                                    "Steady cornering on a flat 40 m radius circle, the speed rising slowly until\n"
                                    "the car can no longer hold the line: the lateral acceleration it held.",
                                    argc, argv, o, session, kSkidpadTrack);
    if (early >= 0) return early;
    SkidpadDriver driver(session->track(), kSkidpadRadius);
    hostPrintf("vqsim: steady cornering on a %.0f m circle\n", kSkidpadRadius);
    session->run(driver, [&](const CarState& state) { return driver.finished() || state.time >= 240.0f; });
    if (!driver.finished()) session->endRun(RunEnd::TimeLimit);
    RunSummary summary = session->summary();
    hostPrintf("skidpad:\n  held %.1f km/h on the %.0f m circle: %.2f g\n", driver.heldSpeed * 3.6f,
               kSkidpadRadius, driver.lateralG());
    summary.skidpadG = driver.lateralG();
    return finishRun(*session, summary, o);
}
