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
    // Empties the curve, then reads the curve file (missing values read as 0).
    void load(const std::string& path);

    std::size_t size() const { return X.size(); }

    std::vector<float> X;  // inputs
    std::vector<float> Y;  // outputs, Y[i] belongs to X[i]
};
