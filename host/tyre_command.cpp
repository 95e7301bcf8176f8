// vqsim tyre FILE [--load N] [--camber DEG] [--csv OUT] [--raw] [--png OUT]:
// the tyre rig for users. Prints the tyre's forces over slip angle and slip
// ratio, its peaks, and on request writes a combined-slip CSV grid and a PNG
// plot of the pure-slip curves (through gnuplot).

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "chassis/tyre.h"
#include "host/arg_reader.h"
#include "host/commands.h"
#include "host/gnuplot.h"
#include "host/tyre_sweep.h"
#include "host/car_console.h"

namespace {

struct TyreOptions {
    std::string file;
    TyreConditions conditions;
    std::string csv;
    std::string png;
    bool raw = false;
    bool help = false;
};

void printTyreUsage()
{
    std::printf(
        "usage: vqsim tyre FILE [--load N] [--camber DEG] [--csv OUT] [--raw] [--png OUT]\n\n"
        "Runs a tyre file through the car's tyre model and prints the lateral\n"
        "force, longitudinal force and aligning moment over slip angle (pure lateral) and\n"
        "slip ratio (pure longitudinal), with their peaks. The tyre is in contact on a\n"
        "surface of blend 1 and friction 1, both grip factors are 1 and the wheel turns at\n"
        "50 rad/s. One of the car's own tyre files (matched by name) gets the car's values\n"
        "first, as the car loads it (the car's loadTyres); any other file is read over the\n"
        "model's defaults.\n\n"
        "Options:\n"
        "  --load N       vertical load in newtons (default 4000)\n"
        "  --camber DEG   camber angle in degrees, -90...90 (default 0)\n"
        "  --csv OUT      also write a combined-slip grid as CSV to OUT\n"
        "  --raw          read the file over the model's defaults even if it is the car's\n"
        "  --png OUT      also plot the two pure-slip curves into a PNG (needs gnuplot)\n"
        "  --help         this text\n");
    std::fputs(kNoCarConsoleHelp, stdout);
}

bool parseTyreOptions(int argc, const char* const* argv, TyreOptions& options, std::string& error)
{
    ArgReader args(argc, argv, 1);
    for (; !args.done(); args.next()) {
        const std::string word = args.word();
        if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--raw") {
            options.raw = true;
        } else if (word == "--load") {
            double value;
            if (!args.number(value)) return error = args.error, false;
            if (value < 0.0 || value > 1e7) return error = "--load needs a load of 0 to 1e7 newtons", false;
            options.conditions.load = static_cast<float>(value);
        } else if (word == "--camber") {
            double value;
            if (!args.number(value)) return error = args.error, false;
            if (std::fabs(value) > 90.0) return error = "--camber needs an angle of -90 to 90 degrees", false;
            options.conditions.camber = static_cast<float>(value);
        } else if (word == "--csv") {
            if (!args.value(options.csv)) return error = args.error, false;
        } else if (word == "--png") {
            if (!args.value(options.png)) return error = args.error, false;
        } else if (word.size() > 1 && word[0] == '-') {
            return error = "unknown option '" + word + "'", false;
        } else if (options.file.empty()) {
            options.file = word;
        } else {
            return error = "one tyre file at a time ('" + options.file + "' and '" + word + "')", false;
        }
    }
    if (!options.help && options.file.empty()) return error = "tyre needs a tyre FILE", false;
    return true;
}

const TyreSample* nearest(const std::vector<TyreSample>& samples, float angle, float ratio)
{
    const TyreSample* best = nullptr;
    float bestDistance = 0.0f;
    for (const TyreSample& s : samples) {
        const float d = std::fabs(s.slipAngle - angle) + std::fabs(s.slipRatio - ratio);
        if (!best || d < bestDistance) best = &s, bestDistance = d;
    }
    return best;
}

void printParameters(const CTyre& t)
{
    std::printf("  RB %g  RC %g  RD %g  RE %g  STIFFX %g  STIFFY %g  STIFFG %g\n", t.RB, t.RC, t.RD, t.RE, t.STIFFX,
                t.STIFFY, t.STIFFG);
    std::printf("  LOADSENS %g  OPTIMALLOAD %g  XPEAK %g  alignB %g  alignC %g  alignD %g  alignE %g\n", t.LOADSENS,
                t.OPTIMALLOAD, t.XPEAK, t.alignB, t.alignC, t.alignD, t.alignE);
}

bool plotPng(const std::string& path, const std::string& title, const std::vector<TyreSample>& lateral,
             const std::vector<TyreSample>& longitudinal, std::string& error)
{
    FILE* gp = popen("gnuplot", "w");
    if (!gp) {
        error = "cannot start gnuplot";
        return false;
    }
    std::fprintf(gp, "set terminal %s size 1000,1100\n", pngTerminal().c_str());
    std::fprintf(gp, "set output %s\n", gnuplotQuoted(path).c_str());
    std::fprintf(gp, "$lat << EOD\n");
    for (const TyreSample& s : lateral) std::fprintf(gp, "%.9g %.9g %.9g\n", s.slipAngle, s.fy, s.mz);
    std::fprintf(gp, "EOD\n$lon << EOD\n");
    for (const TyreSample& s : longitudinal) std::fprintf(gp, "%.9g %.9g\n", s.slipRatio, s.fx);
    std::fprintf(gp, "EOD\n");
    std::fprintf(gp, "set multiplot layout 3,1 title %s noenhanced\n", gnuplotQuoted(title).c_str());
    std::fprintf(gp, "set grid\nset key top right\nset xzeroaxis lt -1\nset yzeroaxis lt -1\nset xrange [-90:90]\nset xtics 15\n");
    std::fprintf(gp, "set xlabel 'slip angle (deg), slip ratio 0'\nset ylabel 'lateral force Fy (N)'\n");
    std::fprintf(gp, "plot $lat using 1:2 with lines lw 2 title 'Fy'\n");
    std::fprintf(gp, "set ylabel 'aligning moment Mz (N m)'\n");
    std::fprintf(gp, "plot $lat using 1:3 with lines lw 2 lc 2 title 'Mz'\n");
    std::fprintf(gp, "set xrange [-1:1]\nset xtics 0.1\n");
    std::fprintf(gp, "set xlabel 'slip ratio, slip angle 0'\nset ylabel 'longitudinal force Fx (N)'\n");
    std::fprintf(gp, "set key top left\nplot $lon using 1:2 with lines lw 2 lc 3 title 'Fx'\n");
    std::fprintf(gp, "unset multiplot\nset output\n");
    const int status = pclose(gp);
    if (status != 0) {
        error = "gnuplot failed to write " + path;
        return false;
    }
    return true;
}

}  // namespace

int runTyreCommand(int argc, const char* const* argv)
{
    TyreOptions options;
    std::string error;
    if (!parseTyreOptions(argc, argv, options, error)) return commandLineError("tyre", error);
    if (options.help) {
        printTyreUsage();
        return 0;
    }
    if (!options.png.empty() && !gnuplotAvailable()) {
        std::fprintf(stderr, "vqsim: --png needs gnuplot, which is not installed here (Debian package gnuplot-nox; "
                             "scripts/deps.sh installs it)\n");
        return 1;
    }

    CTyre tyre;
    TyreParameterSet set;
    if (!prepareTyre(options.file, options.raw, tyre, set, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return 1;
    }
    const TyreConditions& c = options.conditions;
    std::printf("tyre file: %s\n", options.file.c_str());
    std::printf("parameter set: %s\n", describeParameterSet(set));
    printParameters(tyre);
    std::printf("conditions: load %g N, camber %g deg, wheel speed %g rad/s, in contact, surface blend 1, "
                "surface friction 1, grip factors 1\n\n",
                c.load, c.camber, c.wheelSpeed);

    const std::vector<TyreSample> lateral = sweepSlipAngle(tyre, c);
    const std::vector<TyreSample> longitudinal = sweepSlipRatio(tyre, c);

    std::printf("pure lateral (slip ratio 0):\n  %14s %12s %12s %12s\n", "slip angle deg", "Fy N", "Mz N m", "Fx N");
    const float angles[] = {-90, -30, -10, -6, -4, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 25, 30, 40, 50, 60, 70, 80, 90};
    for (float angle : angles) {
        const TyreSample* s = nearest(lateral, angle, 0.0f);
        std::printf("  %14.1f %12.1f %12.1f %12.1f\n", s->slipAngle, s->fy, s->mz, s->fx);
    }
    std::printf("\npure longitudinal (slip angle 0):\n  %14s %12s %12s %12s\n", "slip ratio", "Fx N", "Fy N",
                "Mz N m");
    const float ratios[] = {-1.0f, -0.5f, -0.3f, -0.2f, -0.15f, -0.1f, -0.075f, -0.05f, -0.025f, 0.0f,
                            0.025f, 0.05f, 0.075f, 0.1f,  0.15f,   0.2f,   0.3f,   0.5f,   1.0f};
    for (float ratio : ratios) {
        const TyreSample* s = nearest(longitudinal, 0.0f, ratio);
        std::printf("  %14.3f %12.1f %12.1f %12.1f\n", s->slipRatio, s->fx, s->fy, s->mz);
    }

    const TyrePeak lat = lateralPeak(lateral);
    const TyrePeak traction = longitudinalPeak(longitudinal, false);
    const TyrePeak braking = longitudinalPeak(longitudinal, true);
    std::printf("\npeak lateral force: %.1f N at slip angle %.1f deg\n", lat.force, lat.slip);
    std::printf("peak longitudinal force: %.1f N at slip ratio %.3f (traction), %.1f N at slip ratio %.3f "
                "(braking)\n",
                traction.force, traction.slip, braking.force, braking.slip);

    if (!options.csv.empty()) {
        const std::vector<TyreSample> grid = combinedGrid(tyre, c);
        if (!writeTyreCsv(options.csv, grid)) {
            std::fprintf(stderr, "vqsim: cannot write the CSV file %s\n", options.csv.c_str());
            return 1;
        }
        std::printf("wrote %s: %d combined-slip rows\n", options.csv.c_str(), static_cast<int>(grid.size()));
    }
    if (!options.png.empty()) {
        std::fflush(stdout);
        char title[512];
        std::snprintf(title, sizeof title, "%s (%s), load %g N, camber %g deg",
                      std::filesystem::path(options.file).filename().c_str(),
                      set == TyreParameterSet::Raw ? "raw" : (set == TyreParameterSet::CarFront ? "car front" : "car rear"),
                      c.load, c.camber);
        if (!plotPng(options.png, title, lateral, longitudinal, error)) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            return 1;
        }
        std::printf("wrote %s\n", options.png.c_str());
    }
    return 0;
}
