#include "chassis/curve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "services/ini_reader.h"

namespace {
// The shortest header a point's section can have is "[VALUE0]".
constexpr std::size_t kShortestValueSection = 8;
// Curves hold tens of points; a file may hold a few thousand.
constexpr std::size_t kMostPoints = 10000;
// Inputs and outputs are rpm, degrees, newton metres: a value beyond this is
// a damaged file, and keeping the values this small keeps every
// interpolation product inside a float.
constexpr float kLargestValue = 1e7f;
}  // namespace

void CCurve::addValue(float x, float y)
{
    X.push_back(x);
    Y.push_back(y);
}

float CCurve::getValue(float x) const
{
    const std::size_t n = X.size();
    if (n == 0) return 0.0f;
    if (x <= X[0]) return Y[0];
    for (std::size_t i = 1; i < n; ++i) {
        if (X[i] >= x) return Y[i - 1] + (x - X[i - 1]) * (Y[i] - Y[i - 1]) / (X[i] - X[i - 1]);
    }
    return Y[n - 1];
}

void CCurve::resample(float step, float from, float to)
{
    if (!(step > 0.0f)) {
        std::printf("CCurve::resample : step %f is not positive, curve unchanged\n", step);
        return;
    }
    CCurve sampled;
    // The abscissa is a running single-precision sum, not from + i * step:
    // the exported engine curves depend on exactly which points that gives.
    for (float x = from; x <= to;) {
        sampled.addValue(x, getValue(x));
        const float next = x + step;
        // A step too small to move the sum would never reach the end.
        if (next == x) break;
        x = next;
    }
    X = std::move(sampled.X);
    Y = std::move(sampled.Y);
}

void CCurve::save(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return;
    std::fprintf(file, "[HEADER]\n");
    std::fprintf(file, "VALUES=%d\n\n", static_cast<int>(X.size()));
    for (std::size_t i = 0; i < X.size(); ++i) {
        std::fprintf(file, "[VALUE%d]\n", static_cast<int>(i));
        std::fprintf(file, "X=%f\n", static_cast<double>(X[i]));
        std::fprintf(file, "Y=%f\n\n", static_cast<double>(Y[i]));
    }
    std::fclose(file);
}

std::string CCurve::readFile(const std::string& path, std::vector<float>& xs, std::vector<float>& ys)
{
    CIniReader reader;
    reader.load(path);
    if (!reader.isLoaded()) return "cannot open " + path;
    const std::string header = reader.getString("HEADER", "VALUES");
    const int count = reader.getInt("HEADER", "VALUES");
    // VALUES is only a claim. Trust it no further than the number of
    // "[VALUEi]" sections the file could hold, so that a damaged or hostile
    // header cannot make us reserve or loop over billions of points.
    const std::size_t fits = std::min(reader.contentSize() / kShortestValueSection, kMostPoints);
    if (header.empty()) return path + ": HEADER has no VALUES";
    if (count <= 0 || static_cast<std::size_t>(count) > fits)
        return path + ": VALUES is " + std::to_string(count) + "; it must lie between 1 and " + std::to_string(fits);
    xs.clear();
    ys.clear();
    xs.reserve(count);
    ys.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::string section = "VALUE" + std::to_string(i);
        for (const char* key : {"X", "Y"}) {
            const float v = reader.getFloat(section, key);
            std::string text = reader.getString(section, key);
            if (text.empty()) return path + ": " + section + " has no " + key;
            if (!std::isfinite(v) || std::fabs(v) > kLargestValue) {
                text = text.substr(0, text.find_first_of("\r\n"));
                return path + ": " + section + " " + key + " is " + text + "; it must be a number within +-" +
                       std::to_string(static_cast<long>(kLargestValue));
            }
            (key[0] == 'X' ? xs : ys).push_back(v);
        }
    }
    return "";
}

std::string CCurve::checkFile(const std::string& path)
{
    std::vector<float> xs, ys;
    return readFile(path, xs, ys);
}

bool CCurve::load(const std::string& path)
{
    std::vector<float> xs, ys;
    const std::string problem = readFile(path, xs, ys);
    if (!problem.empty()) {
        std::printf("CCurve::load : %s, keeping the previous %d points\n", problem.c_str(), static_cast<int>(size()));
        return false;
    }
    X = std::move(xs);
    Y = std::move(ys);
    return true;
}
