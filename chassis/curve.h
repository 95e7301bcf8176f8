#pragma once
// A one-dimensional lookup table: (x, y) points in insertion order, sampled by
// linear interpolation and held flat beyond both ends. Nothing sorts the
// points; lookups assume X ascends. Also reads and writes its text file.

#include <cstddef>
#include <string>
#include <vector>

class CCurve {
public:
    CCurve() = default;
    CCurve(const CCurve&) = default;
    CCurve(CCurve&&) = default;
    CCurve& operator=(const CCurve&) = default;
    CCurve& operator=(CCurve&&) = default;
    virtual ~CCurve() = default;

    void addValue(float x, float y);
    // Y[0] at or below X[0], Y[n-1] above the last point, linear between the
    // first pair that brackets x. An empty curve gives 0.
    float getValue(float x) const;
    // Replaces the points by samples at from, from + step, ... while the
    // running sum (kept in single precision) stays at or below to. A step
    // that is not positive leaves the curve unchanged and says so.
    void resample(float step, float from, float to);
    // Writes the curve file; skipped silently when the file cannot be opened.
    void save(const std::string& path) const;
    // Reads the curve file. A file that cannot be opened, a count outside
    // 1 ... what the file can hold, a missing point or a value that is not a
    // finite number of sane size is reported in one line naming the file and
    // the key, and the curve keeps its points. Returns whether it was read.
    bool load(const std::string& path);
    // What load would refuse in the file, in words; empty when nothing.
    static std::string checkFile(const std::string& path);

    std::size_t size() const { return X.size(); }

    std::vector<float> X;  // inputs
    std::vector<float> Y;  // outputs, Y[i] belongs to X[i]

private:
    static std::string readFile(const std::string& path, std::vector<float>& xs, std::vector<float>& ys);
};
