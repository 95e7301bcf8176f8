#pragma once
// The figures a run leaves behind, printed at its end and written as one JSON
// object. A figure that does not apply to the run is null.

#include <optional>
#include <string>
#include <vector>

struct RunSummary {
    int lapsCompleted = 0;
    std::vector<double> lapTimesS;
    std::optional<double> bestLapS;
    double topSpeedKmh = 0;
    std::optional<double> zeroTo100S;
    std::optional<double> brake100To0M;
    std::optional<double> skidpadG;  // only the skidpad scenario measures it
    double simSeconds = 0;
    double wallSeconds = 0;
    double realTimeFactor = 0;
    double maxOffroadSeconds = 0;  // longest stretch with a wheel on gravel or sand
    bool nanSeen = false;
    bool interrupted = false;  // a signal stopped the run before its end

    std::string toJson() const;
    // Writes toJson() to the file; false when it cannot be written.
    bool write(const std::string& path) const;
    // The human-readable summary lines.
    void print() const;
};
