#include "host/drive_options.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/arg_reader.h"
#include "host/driver_aids.h"

namespace {
constexpr double kMostFuel = 1000.0;  // litres; the car's tank holds 15

// The car's clocks add dt * 1000 truncated to whole milliseconds every step:
// anything else makes them drift or stand still.
bool wholeMilliseconds(double seconds)
{
    const double ms = seconds * 1000.0;
    return std::isfinite(ms) && std::fabs(ms - std::round(ms)) < 1e-6 && std::round(ms) >= kShortestStepMs &&
           std::round(ms) <= kLongestStepMs;
}
}  // namespace

bool parseDriveOptions(int argc, const char* const* argv, DriveOptions& o, bool scenario, std::string& error)
{
    const std::string defaultRunDir = o.car.runDir;
    o.car.runDir.clear();
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        const std::string arg = args.word();
        if (scenario &&
            (arg == "--laps" || arg == "--seconds" || arg == "--script" || arg == "--track" || arg == "--replay"))
            return error = arg + " belongs to vqsim drive; a scenario runs on the test strip until it is done", false;
        bool known = true, ok = true;
        double number = 0;
        if (arg == "--laps") {
            ok = args.whole(o.laps);
            if (ok && o.laps == 0) return error = "--laps needs at least 1 lap", false;
        } else if (arg == "--seconds") {
            ok = args.number(o.seconds);
            if (ok && o.seconds <= 0) return error = "--seconds needs a positive number", false;
        } else if (arg == "--script") {
            ok = args.value(o.script);
        } else if (arg == "--replay") {
            ok = args.value(o.replay);
        } else if (arg == "--summary") {
            ok = args.value(o.summaryPath);
        } else if (arg == "--dt") {
            ok = args.number(number);
            if (ok && !wholeMilliseconds(number))
                return error = "--dt must be a whole number of milliseconds from 0.001 to 0.020 s (the car's "
                               "clocks count whole milliseconds); " + args.word() + " is not",
                       false;
            o.session.dt = static_cast<float>(number);
        } else if (arg == "--fuel") {
            ok = args.number(number);
            if (ok && !(number >= 0 && number <= kMostFuel))
                return error = "--fuel needs litres from 0 to " + std::to_string(static_cast<int>(kMostFuel)), false;
            o.session.fuel = static_cast<float>(number);
        } else if (arg == "--track") {
            ok = args.value(o.session.track);
        } else if (arg == "--sound") {
            ok = args.value(o.session.soundPath);
            if (ok) o.session.soundPath = std::filesystem::absolute(o.session.soundPath).string();
        } else if (arg == "--abs" || arg == "--tc") {
            std::string text;
            ok = args.value(text);
            const std::optional<bool> on = parseOnOff(text);
            if (ok && !on) return error = arg + " takes on or off, not '" + text + "'", false;
            (arg == "--abs" ? o.session.abs : o.session.tractionControl) = on;
        } else if (arg == "--plots") {
            o.plots = true;
        } else if (arg == "--profile") {
            o.session.profile = true;
        } else if (arg == "--quiet") {
            o.session.progressEvery = 0;
        } else if (arg == "--progress") {
            ok = args.number(number);
            if (ok && number <= 0) return error = "--progress needs a positive number of seconds", false;
            o.session.progressEvery = static_cast<float>(number);
        } else {
            ok = parseCarRunOption(args, o.car, known);
        }
        if (!ok) return error = args.error, false;
        if (!known) return error = "unknown option '" + arg + "'", false;
    }
    o.runDirGiven = !o.car.runDir.empty();
    if (!o.runDirGiven) o.car.runDir = defaultRunDir;
    return true;
}


void printDriveOptionHelp()
{
    std::printf("  --summary FILE   write the summary as JSON to FILE\n"
                "  --dt S           physics step in seconds: whole milliseconds from 0.001 to 0.020\n"
                "                   (default 0.003)\n"
                "  --fuel LITRES    fuel in the tank at the start (the car's own: 15); a drive ends\n"
                "                   10 s after the car has stopped with an empty tank\n"
                "  --sound FILE     render the run's sound (engine, road, hits) into a WAV file\n"
                "  --abs on|off     switch the anti-lock brakes with the car's key 'a' (the car starts\n"
                "                   with them off)\n"
                "  --tc on|off      switch the traction control with the car's key 't' (the car starts\n"
                "                   with it on)\n"
                "  --plots          PNG plots of speed and rpm over distance and of the driven line\n"
                "  --profile        time the car's sections and print them at the end\n"
                "  --progress S     a progress line every S simulated seconds (default 10)\n"
                "  --quiet          no progress lines\n");
    printCarRunOptionHelp();
}
