#pragma once
// The figures a run leaves behind, printed at its end and written as one JSON
// object. A figure that does not apply to the run is null.

#include <optional>
#include <string>
#include <vector>

// Why a run ended. Every reason but the goal means the run stopped before
// what it was asked to do.
// Quit: the driver closed the window (Escape) before the goal; the run
// still counts as a success.
enum class RunEnd { Goal, TimeLimit, Stuck, OutOfFuel, Interrupted, Quit };
// The reason as the summary writes it: "goal", "time limit", "stuck",
// "out of fuel", "interrupted", "quit".
const char* runEndName(RunEnd end);

struct RunSummary {
    int lapsCompleted = 0;
    std::vector<double> lapTimesS;
    std::optional<double> bestLapS;
    double topSpeedKmh = 0;
    std::optional<double> zeroTo100S;     // the host's own, from standstill
    std::optional<double> sprint2To100S;  // the car's sprint clock, 2-100 km/h
    std::optional<double> brake100To0M;
    std::optional<double> skidpadG;  // only the skidpad scenario measures it
    double simSeconds = 0;
    double wallSeconds = 0;
    double realTimeFactor = 0;
    double maxOffroadSeconds = 0;  // longest stretch with a wheel on gravel or sand
    bool nanSeen = false;
    RunEnd ended = RunEnd::Goal;

    std::string toJson() const;
    // Writes toJson() to the file; false when it cannot be written.
    bool write(const std::string& path) const;
    // The human-readable summary lines.
    void print() const;
};
