#pragma once
// PNG plots of a run from its telemetry CSV, drawn by gnuplot: speed and
// engine speed over the distance driven, and the driven line seen from above.

#include <string>
#include <vector>

// Writes "speed_rpm.png" and "line.png" into `folder`. Returns false with a
// reason when gnuplot is missing or fails; `written` lists the files made.
bool writeRunPlots(const std::string& csvPath, const std::string& folder, std::vector<std::string>& written,
                   std::string& error);
