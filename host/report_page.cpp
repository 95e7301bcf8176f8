#include "host/report_page.h"

#include <cstdio>
#include <sstream>

#include "host/gnuplot.h"
#include "host/report_battery.h"

namespace {
constexpr int kWidth = 1800, kHeight = 1100;
// The four plots share the left 62 % of the page; the sheet's text the rest.
constexpr double kPlotsWidth = 0.62;

// An inline data block "$name" of rows.
template <class Points, class Row>
void dataBlock(std::ostringstream& out, const std::string& name, const Points& points, Row row)
{
    out << "$" << name << " << EOD\n";
    for (const auto& p : points) out << row(p) << "\n";
    out << "EOD\n";
}

std::string columns(std::initializer_list<double> values)
{
    std::string line;
    for (double v : values) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%.5g", line.empty() ? "" : " ", v);
        line += text;
    }
    return line;
}

// Where the speed trace changes gear: the shift points.
std::vector<ReportResults::LaunchPoint> shiftPoints(const std::vector<ReportResults::LaunchPoint>& launch)
{
    std::vector<ReportResults::LaunchPoint> shifts;
    for (size_t k = 1; k < launch.size(); ++k)
        if (launch[k].gear != launch[k - 1].gear && launch[k - 1].gear > 0) shifts.push_back(launch[k - 1]);
    return shifts;
}

void panel(std::ostringstream& out, int column, int row)
{
    const double w = kPlotsWidth / 2, h = 0.5;
    out << "set origin " << column * w << "," << (1 - row) * h << "\nset size " << w << "," << h << "\n";
}
}  // namespace

bool writeReportPage(const ReportResults& r, const std::string& sheetText, const std::string& pngPath,
                     std::string& error)
{
    if (!gnuplotAvailable()) {
        error = "the report's page needs gnuplot, which is not installed here (Debian package gnuplot-nox; "
                "scripts/deps.sh installs it)";
        return false;
    }
    std::ostringstream out;
    out << "set terminal " << pngTerminal() << " noenhanced size " << kWidth << "," << kHeight << " font ',10'\n"
        << "set output " << gnuplotQuoted(pngPath) << "\n";
    dataBlock(out, "engine", r.engineCurve, [](const auto& p) { return columns({p.rpm, p.torqueNm, p.powerKw}); });
    dataBlock(out, "launch", r.launch, [](const auto& p) { return columns({p.time, p.kmh, double(p.gear)}); });
    dataBlock(out, "shifts", shiftPoints(r.launch),
              [](const auto& p) { return columns({p.time, p.kmh, double(p.gear)}); });
    for (size_t i = 0; i < r.stops.size(); ++i)
        dataBlock(out, "stop" + std::to_string(i), r.stops[i].points,
                  [](const auto& p) { return columns({p.time, p.kmh, p.decelG}); });
    dataBlock(out, "gg", r.lapGG, [](const auto& p) { return columns({p.lateralG, p.longitudinalG}); });
    // gnuplot refuses to plot an empty block; a lone NaN row draws nothing.
    for (const char* name : {"$engine", "$launch", "$shifts", "$gg"})
        out << "if (|" << name << "| == 0) { set print " << name << "; print 'NaN NaN NaN'; unset print }\n";

    out << "set multiplot\nset grid\nset key top left\n";
    panel(out, 0, 0);
    out << "set title 'engine at full load'\nset xlabel 'engine speed (rpm)'\nset ylabel 'torque (N m)'\n"
           "set y2label 'power (kW)'\nset ytics nomirror\nset y2tics\n"
           "plot $engine using 1:2 with lines lw 2 title 'torque', $engine using 1:3 axes x1y2 with lines lw 2 "
           "title 'power'\n"
           "unset y2label\nunset y2tics\nset ytics mirror\n";
    panel(out, 1, 0);
    out << "set title 'full throttle through the gears'\nset xlabel 'time from the launch (s)'\n"
           "set ylabel 'speed (km/h)'\n"
           "plot $launch using 1:2 with lines lw 2 title 'speed', $shifts using 1:2 with points pt 7 ps 1.2 "
           "title 'shift up', $shifts using 1:2:(sprintf('%d-%d', $3, $3 + 1)) with labels offset 0,1 notitle\n";
    panel(out, 0, 1);
    out << "set title 'full stops'\nset xlabel 'time from the brake going on (s)'\n"
           "set ylabel 'deceleration (g)'\nplot ";
    for (size_t i = 0; i < r.stops.size(); ++i)
        out << (i ? ", " : "") << "$stop" << i << " using 1:3 with lines lw 2 title "
            << gnuplotQuoted(r.stops[i].title);
    if (r.stops.empty()) out << "NaN notitle";
    out << "\n";
    panel(out, 1, 1);
    out << "set title 'g-g diagram of the lap'\nset xlabel 'lateral (g, left +)'\n"
           "set ylabel 'longitudinal (g, forward +)'\nset size ratio -1\nset xrange [-1.5:1.5]\n"
           "set yrange [-1.5:1.5]\nplot $gg using 1:2 with points pt 7 ps 0.3 notitle\n"
           "set size noratio\nset autoscale\n";

    // The data sheet, one label a line, in a fixed-width face.
    out << "set origin " << kPlotsWidth << ",0\nset size " << 1 - kPlotsWidth << ",1\n"
        << "unset title\nunset border\nunset tics\nunset grid\nunset xlabel\nunset ylabel\nunset key\n"
           "set xrange [0:1]\nset yrange [0:1]\n";
    std::istringstream lines(sheetText);
    int n = 0;
    for (std::string line; std::getline(lines, line); ++n)
        out << "set label " << n + 1 << " " << gnuplotQuoted(line) << " at graph 0, graph " << 0.98 - n * 0.021
            << " font 'DejaVu Sans Mono,11'\n";
    out << "plot NaN notitle\nunset multiplot\n";
    return runGnuplot(out.str(), error);
}
