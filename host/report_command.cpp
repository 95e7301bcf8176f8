// vqsim report: the car's data sheet and its whole test battery in one
// command, printed as one table and, with --out, written as report.json and
// drawn on one page, report.png.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/arg_reader.h"
#include "host/car_console.h"
#include "host/car_run.h"
#include "host/commands.h"
#include "host/report_battery.h"
#include "host/report_page.h"
#include "host/report_sheet.h"

namespace fs = std::filesystem;

namespace {
void printReportUsage()
{
    std::printf("usage: vqsim report [--out DIR] [OPTIONS]\n\n"
                "Measures the car as a whole, each run with a fresh load of the car, and prints\n"
                "one table. The data sheet: total mass and front/rear weight from the settled\n"
                "wheel loads; peak power and torque from the engine curve the car writes\n"
                "(out/power.exp); the rev limit; each gear's ratio from engine against rear-wheel\n"
                "speed, with the road speed at the rev limit; the tyres; road load and lift at\n"
                "100 and 200 km/h, coasting with the clutch open. The battery: 0-100 and\n"
                "0-200 km/h and the quarter mile (as vqsim accel), top speed on a 12 km straight\n"
                "and the time to 99 %% of it, 100-0 km/h with ABS off and on, 200-0 km/h with\n"
                "the speeds at which the front and rear wheels first lock (slip ratio -0.9 or\n"
                "less), steady cornering on 40 m and 100 m circles, a lap of the circuit.\n\n"
                "Options:\n"
                "  --out DIR      write DIR/report.json (every figure, units in the key names)\n"
                "                 and DIR/report.png (one page drawn by gnuplot)\n");
    printCarRunOptionHelp();
}

bool writeText(const fs::path& path, const std::string& text)
{
    std::ofstream file(path);
    file << text;
    return static_cast<bool>(file);
}
}  // namespace

int runReportCommand(int argc, const char* const* argv)
{
    CarRunOptions options;
    std::string out;
    for (ArgReader args(argc, argv, 1); !args.done(); args.next()) {
        bool known = true;
        const bool ok = args.word() == "--out" ? args.value(out) : parseCarRunOption(args, options, known);
        if (!ok) return commandLineError("report", args.error);
        if (!known) return commandLineError("report", "unknown option '" + args.word() + "'");
    }
    if (options.help) {
        printReportUsage();
        return 0;
    }
    // The user's folder is relative to where vqsim was started.
    const fs::path outDir = out.empty() ? fs::path() : fs::absolute(out);

    CarRunPaths paths;
    if (!enterCarRun(options, paths)) return 1;
    const auto start = std::chrono::steady_clock::now();
    ReportResults results;
    int status = runReportBattery(options, paths, results) ? 0 : 1;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

    const ReportSheet sheet(results);
    hostPrintf("\n%s", sheet.text().c_str());
    hostPrintf("vqsim: report: %.0f s of wall time\n", wall.count());
    if (outDir.empty()) return status;

    std::error_code ec;
    fs::create_directories(outDir, ec);
    const fs::path json = outDir / "report.json", png = outDir / "report.png";
    if (writeText(json, sheet.json())) {
        hostPrintf("vqsim: wrote %s\n", json.string().c_str());
    } else {
        std::fprintf(stderr, "vqsim: cannot write %s\n", json.string().c_str());
        status = 1;
    }
    std::string error;
    if (writeReportPage(results, sheet.text(), png.string(), error)) {
        hostPrintf("vqsim: wrote %s\n", png.string().c_str());
    } else {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        status = 1;
    }
    return status;
}
