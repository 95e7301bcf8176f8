#include "host/run_summary.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/car_console.h"
#include "host/file_commit.h"

namespace {
std::string number(double v)
{
    if (!std::isfinite(v)) return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

std::string number(const std::optional<double>& v) { return v ? number(*v) : "null"; }

std::string lapText(double seconds)
{
    const long ms = std::lround(seconds * 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%03ld", ms / 60000, (ms % 60000) / 1000, ms % 1000);
    return text;
}
}  // namespace

const char* runEndName(RunEnd end)
{
    switch (end) {
    case RunEnd::Goal: return "goal";
    case RunEnd::TimeLimit: return "time limit";
    case RunEnd::Stuck: return "stuck";
    case RunEnd::OutOfFuel: return "out of fuel";
    case RunEnd::Interrupted: return "interrupted";
    case RunEnd::Quit: return "quit";
    }
    return "goal";
}

std::string RunSummary::toJson() const
{
    std::ostringstream out;
    out << "{\n";
    out << "  \"laps_completed\": " << lapsCompleted << ",\n";
    out << "  \"lap_times_s\": [";
    for (size_t i = 0; i < lapTimesS.size(); ++i) out << (i ? ", " : "") << number(lapTimesS[i]);
    out << "],\n";
    out << "  \"best_lap_s\": " << number(bestLapS) << ",\n";
    out << "  \"top_speed_kmh\": " << number(topSpeedKmh) << ",\n";
    out << "  \"zero_to_100_s\": " << number(zeroTo100S) << ",\n";
    out << "  \"sprint_2_100_s\": " << number(sprint2To100S) << ",\n";
    out << "  \"brake_100_0_m\": " << number(brake100To0M) << ",\n";
    if (skidpadG) out << "  \"skidpad_g\": " << number(skidpadG) << ",\n";
    out << "  \"sim_seconds\": " << number(simSeconds) << ",\n";
    out << "  \"wall_seconds\": " << number(wallSeconds) << ",\n";
    out << "  \"real_time_factor\": " << number(realTimeFactor) << ",\n";
    out << "  \"max_offroad_seconds\": " << number(maxOffroadSeconds) << ",\n";
    out << "  \"nan_seen\": " << (nanSeen ? "true" : "false") << ",\n";
    out << "  \"ended\": \"" << runEndName(ended) << "\",\n";
    out << "  \"interrupted\": " << (ended == RunEnd::Interrupted ? "true" : "false") << "\n";
    out << "}\n";
    return out.str();
}

bool RunSummary::write(const std::string& path) const
{
    {
        std::ofstream file(partialPath(path));
        if (!file) return false;
        file << toJson();
        if (!file) return false;
    }
    return commitPartial(path);
}

void RunSummary::print() const
{
    hostPrintf("summary:\n");
    hostPrintf("  laps             %d\n", lapsCompleted);
    if (bestLapS) hostPrintf("  best lap         %s\n", lapText(*bestLapS).c_str());
    hostPrintf("  top speed        %.1f km/h\n", topSpeedKmh);
    if (zeroTo100S) hostPrintf("  0-100 km/h       %.2f s\n", *zeroTo100S);
    if (sprint2To100S) hostPrintf("  2-100 km/h       %.2f s (the car's sprint clock)\n", *sprint2To100S);
    if (brake100To0M) hostPrintf("  100-0 km/h       %.1f m\n", *brake100To0M);
    if (skidpadG) hostPrintf("  skidpad          %.2f g\n", *skidpadG);
    hostPrintf("  simulated        %.1f s\n", simSeconds);
    // A window run goes at about real time, a loaded machine slower: one
    // decimal there, where "0x" or "1x" would say nothing.
    hostPrintf("  wall time        %.2f s (%.*fx real time)\n", wallSeconds, realTimeFactor < 10 ? 1 : 0,
               realTimeFactor);
    hostPrintf("  longest off-road %.2f s\n", maxOffroadSeconds);
    if (nanSeen) hostPrintf("  NaN seen in the car's state\n");
    hostPrintf("  ended            %s\n", runEndName(ended));
}
