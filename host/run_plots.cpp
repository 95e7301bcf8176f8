#include "host/run_plots.h"

#include <cstdio>

#include "host/gnuplot.h"

namespace {
// Column numbers of the telemetry CSV (1-based, as gnuplot counts).
constexpr int kDistance = 2, kX = 3, kZ = 5, kSpeed = 6, kRpm = 7;
}  // namespace

bool writeRunPlots(const std::string& csvPath, const std::string& folder, std::vector<std::string>& written,
                   std::string& error)
{
    if (!gnuplotAvailable()) {
        error = "plots need gnuplot, which is not installed here (Debian package gnuplot-nox; scripts/deps.sh "
                "installs it)";
        return false;
    }
    const std::string terminal = pngTerminal();
    const std::string data = gnuplotQuoted(csvPath);
    char script[2048];

    const std::string speedPng = folder + "/speed_rpm.png";
    std::snprintf(script, sizeof script,
                  "set terminal %s size 1200,700\nset output %s\nset datafile separator ','\n"
                  "set key autotitle columnhead\nset grid\nset xlabel 'distance (m)'\n"
                  "set ylabel 'speed (km/h)'\nset y2label 'engine speed (rpm)'\nset ytics nomirror\nset y2tics\n"
                  "plot %s using %d:%d with lines lw 2 title 'speed', %s using %d:%d axes x1y2 with lines "
                  "title 'rpm'\n",
                  terminal.c_str(), gnuplotQuoted(speedPng).c_str(), data.c_str(), kDistance, kSpeed, data.c_str(),
                  kDistance, kRpm);
    if (!runGnuplot(script, error)) return false;
    written.push_back(speedPng);

    const std::string linePng = folder + "/line.png";
    std::snprintf(script, sizeof script,
                  "set terminal %s size 900,900\nset output %s\nset datafile separator ','\n"
                  "set key autotitle columnhead\nset size ratio -1\nset grid\nset xlabel 'x (m)'\n"
                  "set ylabel 'z (m)'\nplot %s using %d:%d:%d with lines lw 2 palette title 'driven line "
                  "(colour: km/h)'\n",
                  terminal.c_str(), gnuplotQuoted(linePng).c_str(), data.c_str(), kX, kZ, kSpeed);
    if (!runGnuplot(script, error)) return false;
    written.push_back(linePng);
    return true;
}
