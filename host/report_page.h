#pragma once
// The report's one page, drawn by gnuplot: the engine's power and torque
// curves, the speed through the gears with the shift points, the deceleration
// of the stops, the g-g diagram of the lap, and the data sheet as text.

#include <string>

struct ReportResults;

// Writes the page as a PNG of 1800 x 1100 pixels. Returns false with a reason
// when gnuplot is missing or fails.
bool writeReportPage(const ReportResults& results, const std::string& sheetText, const std::string& pngPath,
                     std::string& error);
