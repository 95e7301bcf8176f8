#include "chassis/curve.h"

#include <cstdio>
#include <utility>

#include "services/ini_reader.h"

namespace {
// The shortest header a point's section can have is "[VALUE0]".
constexpr std::size_t kShortestValueSection = 8;
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

void CCurve::load(const std::string& path)
{
    X.clear();
    Y.clear();
    CIniReader reader;
    reader.load(path);
    int count = reader.getInt("HEADER", "VALUES");
    if (count <= 0) return;
    // VALUES is only a claim. Trust it no further than the number of distinct
    // "[VALUEi]" sections the file could hold, so that a damaged or hostile
    // header cannot make us reserve or loop over billions of points.
    const std::size_t fits = reader.contentSize() / kShortestValueSection;
    if (static_cast<std::size_t>(count) > fits) {
        std::printf("CCurve::load : %s declares %d values but can hold at most %d, reading %d\n", path.c_str(),
                    count, static_cast<int>(fits), static_cast<int>(fits));
        count = static_cast<int>(fits);
    }
    X.reserve(count);
    Y.reserve(count);
    char section[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(section, sizeof section, "VALUE%d", i);
        addValue(reader.getFloat(section, "X"), reader.getFloat(section, "Y"));
    }
}
