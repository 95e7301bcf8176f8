#include "host/track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include "car/icar.h"

namespace {
// How far from its segment a point may lie and still find it through the
// grid: beyond the walls, with room to spare.
constexpr float kGridMargin = 15.0f;
// The wall is reported once the car is this close to it.
constexpr float kWallReach = 12.0f;
}  // namespace

bool Track::load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open the track file " + path;
        return false;
    }
    points_.clear();
    std::string line;
    int lineNo = 0;
    long expected = -1;
    auto fail = [&](const std::string& why) {
        error = path + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        if (expected >= 0) {
            Vector3 p;
            if (!(words >> p.x >> p.y >> p.z)) return fail("expected a point 'x y z'");
            points_.push_back(p);
            if (static_cast<long>(points_.size()) == expected) break;
            continue;
        }
        std::string key;
        words >> key;
        float value = 0;
        if (key == "name") {
            words >> name_;
            continue;
        }
        if (key == "points") {
            if (!(words >> expected) || expected < 3) return fail("'points' needs a count of at least 3");
            continue;
        }
        if (!(words >> value) || !std::isfinite(value)) return fail("'" + key + "' needs a number");
        if (key == "road_half_width") roadHalfWidth_ = value;
        else if (key == "kerb_width") kerbWidth_ = value;
        else if (key == "gravel_width") gravelWidth_ = value;
        else if (key == "sand_width") sandWidth_ = value;
        else if (key == "finish_at") finishAt_ = value;
        else if (key == "intermediate_at") intermediateAt_ = value;
        else if (key == "line_length") lineLength_ = value;
        else return fail("unknown key '" + key + "'");
    }
    if (expected < 0) {
        error = path + ": no 'points' section";
        return false;
    }
    if (static_cast<long>(points_.size()) != expected) {
        error = path + ": 'points' promises " + std::to_string(expected) + " points, the file holds " +
                std::to_string(points_.size());
        return false;
    }
    if (roadHalfWidth_ <= 0 || kerbWidth_ < 0 || gravelWidth_ < 0 || sandWidth_ < 0) {
        error = path + ": surface widths must be positive";
        return false;
    }

    return finishPoints(path, error);
}

bool Track::finishPoints(const std::string& origin, std::string& error)
{
    const size_t n = points_.size();
    startS_.assign(n, 0);
    segLength_.assign(n, 0);
    length_ = 0;
    for (size_t i = 0; i < n; ++i) {
        const Vector3& a = points_[i];
        const Vector3& b = points_[(i + 1) % n];
        startS_[i] = length_;
        segLength_[i] = std::hypot(b.x - a.x, b.z - a.z);
        if (segLength_[i] <= 0) {
            error = origin + ": points " + std::to_string(i) + " and " + std::to_string((i + 1) % n) + " coincide";
            return false;
        }
        length_ += segLength_[i];
    }
    finishAt_ = wrap(finishAt_);
    intermediateAt_ = wrap(intermediateAt_);
    if (name_.empty()) name_ = "track";
    buildIndex();
    return true;
}

void Track::makeStrip(float straight, float radius)
{
    constexpr float kPi = 3.14159265f;
    points_.clear();
    name_ = "strip";
    const float step = 2.0f;
    // Out along +z on x = 0, round to the left, back along -z.
    for (float z = 0; z < straight; z += step) points_.push_back({0, 0, z});
    const int arc = static_cast<int>(kPi * radius / step);
    for (int i = 0; i < arc; ++i) {
        const float a = kPi * i / arc;
        points_.push_back({radius - radius * std::cos(a), 0, straight + radius * std::sin(a)});
    }
    for (float z = straight; z > 0; z -= step) points_.push_back({2 * radius, 0, z});
    for (int i = 0; i < arc; ++i) {
        const float a = kPi * i / arc;
        points_.push_back({radius + radius * std::cos(a), 0, -radius * std::sin(a)});
    }
    finishAt_ = 50.0f;
    intermediateAt_ = straight + kPi * radius + straight * 0.5f;
    gravelWidth_ = 0.0f;
    sandWidth_ = 0.0f;
    std::string error;
    finishPoints("strip", error);
}

void Track::makeCircle(float radius)
{
    constexpr float kPi = 3.14159265f;
    points_.clear();
    name_ = "skidpad";
    // Starts at the origin heading +z and turns left, towards +x, about (radius, 0, 0).
    const int n = static_cast<int>(2 * kPi * radius / 1.0f);
    for (int i = 0; i < n; ++i) {
        const float a = 2 * kPi * i / n;
        points_.push_back({radius - radius * std::cos(a), 0, radius * std::sin(a)});
    }
    finishAt_ = 0.25f * 2 * kPi * radius;
    intermediateAt_ = 0.75f * 2 * kPi * radius;
    std::string error;
    finishPoints("skidpad", error);
}

void Track::buildIndex()
{
    float minX = std::numeric_limits<float>::max(), minZ = minX;
    float maxX = std::numeric_limits<float>::lowest(), maxZ = maxX;
    for (const Vector3& p : points_) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minZ = std::min(minZ, p.z);
        maxZ = std::max(maxZ, p.z);
    }
    const float reach = wallOffset() + kGridMargin;
    gridX0_ = minX - reach;
    gridZ0_ = minZ - reach;
    gridW_ = static_cast<int>((maxX - minX + 2 * reach) / cellSize_) + 1;
    gridH_ = static_cast<int>((maxZ - minZ + 2 * reach) / cellSize_) + 1;
    cells_.assign(static_cast<size_t>(gridW_) * gridH_, {});
    const int n = static_cast<int>(points_.size());
    for (int i = 0; i < n; ++i) {
        const Vector3& a = points_[i];
        const Vector3& b = points_[(i + 1) % n];
        const int x0 = static_cast<int>((std::min(a.x, b.x) - reach - gridX0_) / cellSize_);
        const int x1 = static_cast<int>((std::max(a.x, b.x) + reach - gridX0_) / cellSize_);
        const int z0 = static_cast<int>((std::min(a.z, b.z) - reach - gridZ0_) / cellSize_);
        const int z1 = static_cast<int>((std::max(a.z, b.z) + reach - gridZ0_) / cellSize_);
        for (int cz = std::max(0, z0); cz <= std::min(gridH_ - 1, z1); ++cz)
            for (int cx = std::max(0, x0); cx <= std::min(gridW_ - 1, x1); ++cx)
                cells_[static_cast<size_t>(cz) * gridW_ + cx].push_back(i);
    }
}

float Track::wrap(float s) const
{
    if (length_ <= 0) return 0;
    float w = std::fmod(s, length_);
    return w < 0 ? w + length_ : w;
}

int Track::segmentAt(float s) const
{
    const float w = wrap(s);
    const auto it = std::upper_bound(startS_.begin(), startS_.end(), w);
    return static_cast<int>(it - startS_.begin()) - 1;
}

Track::Placement Track::place(float x, float z) const
{
    const int n = static_cast<int>(points_.size());
    auto distanceTo = [&](int i, float& u) {
        const Vector3& a = points_[i];
        const Vector3& b = points_[(i + 1) % n];
        const float dx = b.x - a.x, dz = b.z - a.z;
        u = std::clamp(((x - a.x) * dx + (z - a.z) * dz) / (segLength_[i] * segLength_[i]), 0.0f, 1.0f);
        const float px = a.x + u * dx - x, pz = a.z + u * dz - z;
        return px * px + pz * pz;
    };
    int best = 0;
    float bestU = 0, bestD = std::numeric_limits<float>::max();
    auto consider = [&](int i) {
        float u;
        const float d = distanceTo(i, u);
        if (d < bestD) {
            bestD = d;
            best = i;
            bestU = u;
        }
    };
    const int cx = static_cast<int>(std::floor((x - gridX0_) / cellSize_));
    const int cz = static_cast<int>(std::floor((z - gridZ0_) / cellSize_));
    const bool inGrid = cx >= 0 && cz >= 0 && cx < gridW_ && cz < gridH_;
    const std::vector<int>* cell = inGrid ? &cells_[static_cast<size_t>(cz) * gridW_ + cx] : nullptr;
    if (cell && !cell->empty()) {
        for (int i : *cell) consider(i);
    } else {
        // Far from every segment (off the map): look at them all.
        for (int i = 0; i < n; ++i) consider(i);
    }

    const Vector3& a = points_[best];
    const Vector3& b = points_[(best + 1) % n];
    Placement p;
    p.segment = best;
    p.s = wrap(startS_[best] + bestU * segLength_[best]);
    p.tangent = {(b.x - a.x) / segLength_[best], 0, (b.z - a.z) / segLength_[best]};
    p.left = {p.tangent.z, 0, -p.tangent.x};
    const float cxp = a.x + bestU * (b.x - a.x), czp = a.z + bestU * (b.z - a.z);
    p.lateral = (x - cxp) * p.left.x + (z - czp) * p.left.z;
    p.height = a.y + bestU * (b.y - a.y);
    p.grade = (b.y - a.y) / segLength_[best];
    return p;
}

const TrackSurface* Track::surfaceAt(float s, float lateral) const
{
    const float d = std::fabs(lateral);
    if (d <= roadHalfWidth_) {
        auto within = [&](float start) { return wrap(s - start) < lineLength_; };
        if (within(finishAt_)) return &finishLine_;
        if (within(intermediateAt_)) return &intermediateLine_;
        return &asphalt_;
    }
    if (d <= roadHalfWidth_ + kerbWidth_) return &kerb_;
    if (d <= roadHalfWidth_ + kerbWidth_ + gravelWidth_) return &gravel_;
    return &sand_;
}

const TrackSurface* Track::queryGround(const Vector3& point, Vector3& hit, Vector3& normal, const TrackSurface*,
                                       const SurfaceInfo** info, GroundQueryCache* cache, int)
{
    if (points_.empty()) return nullptr;
    const Placement p = place(point.x, point.z);
    if (cache) cache->hint = p.segment;
    hit = {point.x, p.height, point.z};
    // Level across the road, sloping along it.
    normal = Vector3{-p.grade * p.tangent.x, 1.0f, -p.grade * p.tangent.z}.normalised();
    const TrackSurface* surface = surfaceAt(p.s, p.lateral);
    if (info) *info = &surface->info;
    return surface;
}

const WallRecord* Track::queryWall(ICar* car)
{
    if (!car || points_.empty()) return nullptr;
    const Vector3 position = car->getMatrix()->getPosition();
    const Placement p = place(position.x, position.z);
    if (std::fabs(p.lateral) < wallOffset() - kWallReach) return nullptr;
    const float side = p.lateral >= 0 ? 1.0f : -1.0f;
    const Vector3 centre = centreAt(p.s);
    const Vector3 onWall = centre + p.left * (side * wallOffset());
    const Vector3 n = p.left * -side;  // facing the road
    wall_ = {n.x, 0.0f, n.z, -dot(n, onWall)};
    return &wall_;
}

Vector3 Track::centreAt(float s) const
{
    const int i = segmentAt(s);
    const float u = (wrap(s) - startS_[i]) / segLength_[i];
    const Vector3& a = points_[i];
    const Vector3& b = points_[(i + 1) % points_.size()];
    return a + (b - a) * u;
}

Vector3 Track::tangentAt(float s) const
{
    const int i = segmentAt(s);
    const Vector3& a = points_[i];
    const Vector3& b = points_[(i + 1) % points_.size()];
    return Vector3{b.x - a.x, 0, b.z - a.z}.normalised();
}

float Track::curvatureAt(float s, float window) const
{
    const Vector3 t0 = tangentAt(s - window * 0.5f);
    const Vector3 t1 = tangentAt(s + window * 0.5f);
    // Turning left turns the tangent towards +x when driving along +z.
    const float turn = std::atan2(t0.z * t1.x - t0.x * t1.z, t0.x * t1.x + t0.z * t1.z);
    return turn / window;
}
