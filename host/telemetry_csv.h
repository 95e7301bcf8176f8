#pragma once
// The host's telemetry log of a run: one CSV row at the first physics step at
// or after each k/30 s of simulated time, read through the car's interface.
// The header names every column with its unit; tyre temperatures are inner,
// middle and outer across the tread, in degrees Celsius.

#include <cstdio>
#include <string>

class ICar;
struct CarState;
struct DriverInputs;

class TelemetryCsv {
public:
    static constexpr double kRowsPerSecond = 30.0;

    TelemetryCsv() = default;
    TelemetryCsv(const TelemetryCsv&) = delete;
    TelemetryCsv& operator=(const TelemetryCsv&) = delete;
    ~TelemetryCsv();

    // Opens the file and writes the header; false when it cannot be written.
    // Rows go to a partial file that close() renames onto path.
    bool open(const std::string& path);
    // Called after every physics step; writes a row when the next sample time
    // has been reached. `distance` is the metres driven so far.
    void sample(ICar& car, const CarState& state, const DriverInputs& inputs, double time, double distance);
    void close();

    long rows() const { return rows_; }
    const std::string& path() const { return path_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    long rows_ = 0;
};
