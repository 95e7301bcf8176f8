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
            (arg == "--laps" || arg == "--seconds" || arg == "--script" || arg == "--track" || arg == "--replay" ||
             arg == "--window" || arg == "--driver" || arg == "--keys"))
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
        } else if (arg == "--frames") {
            ok = args.value(o.session.pictures.framesDir);
            if (ok) o.session.pictures.framesDir = std::filesystem::absolute(o.session.pictures.framesDir).string();
        } else if (arg == "--video") {
            ok = args.value(o.session.pictures.videoPath);
            if (ok) o.session.pictures.videoPath = std::filesystem::absolute(o.session.pictures.videoPath).string();
        } else if (arg == "--fps") {
            unsigned fps = 0;
            ok = args.whole(fps);
            if (ok && (fps < 1 || fps > 240)) return error = "--fps must lie in 1..240", false;
            o.session.pictures.fps = static_cast<int>(fps);
        } else if (arg == "--size") {
            std::string size;
            ok = args.value(size);
            if (ok && !parsePictureSize(size, o.session.pictures.width, o.session.pictures.height))
                return error = "--size needs WIDTHxHEIGHT, each 16..8192 pixels", false;
        } else if (arg == "--camera") {
            std::string view;
            ok = args.value(view);
            if (ok && !parseCameraView(view, o.session.pictures.view))
                return error = "--camera is one of chase, cockpit, car, tv", false;
        } else if (arg == "--window") {
            o.window = true;
        } else if (arg == "--driver") {
            ok = args.value(o.driver);
            if (ok && o.driver != "auto" && o.driver != "keyboard" && o.driver != "gamepad" && o.driver != "wheel")
                return error = "--driver is one of auto, keyboard, gamepad, wheel", false;
        } else if (arg == "--keys") {
            ok = args.value(o.keysPath);
            if (ok) o.keysPath = std::filesystem::absolute(o.keysPath).string();
        } else if (arg == "--controls") {
            ok = args.value(o.controller.mapPath);
            if (ok) o.controller.mapPath = std::filesystem::absolute(o.controller.mapPath).string();
        } else if (arg == "--ffb-gain") {
            ok = args.number(number);
            if (ok && !(number >= 0 && number <= 10)) return error = "--ffb-gain needs a number from 0 to 10", false;
            o.controller.ffbGain = static_cast<float>(number);
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
    if (!o.session.pictures.framesDir.empty() && !o.session.pictures.videoPath.empty())
        return error = "--frames and --video: one picture output at a time", false;
    if (!o.session.pictures.videoPath.empty() && (o.session.pictures.width % 2 || o.session.pictures.height % 2))
        return error = "--video needs an even --size", false;
    if (!o.window && (!o.keysPath.empty() || (!o.driver.empty() && o.driver != "auto")))
        return error = "--keys and the keyboard, gamepad and wheel drivers need --window", false;
    if (!o.script.empty() && !o.driver.empty())
        return error = "--script drives the car itself; it takes no --driver", false;
    if (o.window && !o.session.soundPath.empty())
        return error = "--sound renders a headless drive's sound into a file; a --window drive plays it live", false;
    if (o.window && o.session.pictures.wanted())
        return error = "--frames and --video draw a headless drive; --window shows it", false;
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
                "  --frames DIR     draw the drive: one PNG per 1/fps of simulated time into DIR\n"
                "                   (created when missing), named frame_000001.png, ...\n"
                "  --video FILE     draw the drive into an H.264 MP4 through ffmpeg; with --sound\n"
                "                   the run's sound is added as its audio track\n"
                "  --fps N          pictures per simulated second (default 30)\n"
                "  --size WxH       picture size in pixels (default 1280x720); with --window the\n"
                "                   window's size at the start\n"
                "  --camera VIEW    chase (default: behind the car), cockpit (the driver's eye),\n"
                "                   car (the car's view point), tv (the nearest trackside post)\n"
                "  --plots          PNG plots of speed and rpm over distance and of the driven line\n"
                "  --profile        time the car's sections and print them at the end\n"
                "  --progress S     a progress line every S simulated seconds (default 10)\n"
                "  --quiet          no progress lines\n");
    printCarRunOptionHelp();
}
