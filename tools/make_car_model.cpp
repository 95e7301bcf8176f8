// Writes the car's graphics data into a data folder:
//   cars/solvi/solvi.ase          body, glass, lights, under-tray and the four
//                                 wheels ("TYRE_LF" ... with their rims)
//   cars/solvi/solvi_int.ase      cockpit: dashboard, steering wheel, dials,
//                                 needles and the two warning lamps
//   cars/solvi/texture/*.tga      shared textures and the shadow blob
//   cars/solvi/skins/NAME/*.tga   the paint of each skin
//   cars/solvi/cfg.ini            the skin in use
// Usage: make_car_model DATA_DIR
//
// Geometry is built in car axes (x = left, y = up, z = forward, metres,
// origin at the body's reference point) and written the way the exporter of
// the modelling tool writes it: z-up, y pointing backwards, in tenths of a
// metre, so the loader's axis change and the car's scale of 0.1 bring every
// vertex back to where it was built. Nothing here is random: the output is
// the same byte for byte on every run.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(V3 a) { return std::sqrt(dot(a, a)); }

struct UV {
    double u = 0, v = 0;
};

// --- car dimensions (metres, car axes) --------------------------------------

constexpr double kFrontAxleZ = 1.137;
constexpr double kRearAxleZ = -1.558;
constexpr double kWheelX = 0.80;
constexpr double kWheelY = 0.06;
constexpr double kFrontRadius = 0.327;
constexpr double kRearRadius = 0.347;
constexpr double kFrontTyreWidth = 0.24;
constexpr double kRearTyreWidth = 0.29;

// The driver's eye (the car's head offset) and the cockpit layout around it.
const V3 kHead{0.4, 0.5, 0.4};

// --- meshes -------------------------------------------------------------------

struct Mesh {
    std::string name;
    std::string parent;
    V3 pivot;
    int material = 0;
    std::vector<V3> v;
    std::vector<UV> t;
    std::vector<std::array<int, 3>> f;

    int add(V3 p, UV uv = {}) {
        v.push_back(p);
        t.push_back(uv);
        return static_cast<int>(v.size()) - 1;
    }
    // Triangles too small to have a direction are left out: the loader's
    // normals need a face direction for every triangle.
    void tri(int a, int b, int c) {
        const V3 n = cross(v[b] - v[a], v[c] - v[a]);
        if (length(n) < 2e-7) return;
        f.push_back({a, b, c});
    }
    void quad(int a, int b, int c, int d) {
        tri(a, b, c);
        tri(a, c, d);
    }
    V3 normal(size_t i) const {
        const auto& k = f[i];
        return cross(v[k[1]] - v[k[0]], v[k[2]] - v[k[0]]);
    }
    V3 centroid(size_t i) const {
        const auto& k = f[i];
        return (v[k[0]] + v[k[1]] + v[k[2]]) * (1.0 / 3.0);
    }
    // Faces from `first` on are turned to face away from `inside(centroid)`.
    void orientFrom(size_t first, const std::function<V3(V3)>& inside) {
        for (size_t i = first; i < f.size(); ++i)
            if (dot(normal(i), centroid(i) - inside(centroid(i))) < 0) std::swap(f[i][1], f[i][2]);
    }
    void flip(size_t first) {
        for (size_t i = first; i < f.size(); ++i) std::swap(f[i][1], f[i][2]);
    }
};

// A grid of rings (rows) joined into quads; `side(k, i)` picks the mesh that
// gets the quad between rings k, k+1 and ring points i, i+1. The rings'
// direction decides the winding; callers flip with `faceUp` when the band
// they know faces up came out facing down.
struct Loft {
    std::vector<std::vector<V3>> rings;
    std::vector<std::vector<UV>> uvs;
};

void emitLoft(const Loft& loft, const std::function<Mesh*(size_t k, size_t i)>& route, bool flip) {
    for (size_t k = 0; k + 1 < loft.rings.size(); ++k) {
        const size_t n = loft.rings[k].size();
        for (size_t i = 0; i + 1 < n; ++i) {
            Mesh* m = route(k, i);
            if (m == nullptr) continue;
            const int a = m->add(loft.rings[k][i], loft.uvs[k][i]);
            const int b = m->add(loft.rings[k + 1][i], loft.uvs[k + 1][i]);
            const int c = m->add(loft.rings[k + 1][i + 1], loft.uvs[k + 1][i + 1]);
            const int d = m->add(loft.rings[k][i + 1], loft.uvs[k][i + 1]);
            if (flip)
                m->quad(a, d, c, b);
            else
                m->quad(a, b, c, d);
        }
    }
}

// Joins equal corners (same position and texture coordinate) so the file
// lists each once.
void weld(Mesh& m) {
    std::vector<V3> v;
    std::vector<UV> t;
    std::vector<int> map(m.v.size());
    for (size_t i = 0; i < m.v.size(); ++i) {
        int found = -1;
        for (size_t j = v.size(); j-- > 0 && found < 0;) {
            if (length(v[j] - m.v[i]) < 1e-6 && std::fabs(t[j].u - m.t[i].u) < 1e-6 && std::fabs(t[j].v - m.t[i].v) < 1e-6)
                found = static_cast<int>(j);
        }
        if (found < 0) {
            found = static_cast<int>(v.size());
            v.push_back(m.v[i]);
            t.push_back(m.t[i]);
        }
        map[i] = found;
    }
    for (auto& face : m.f)
        for (int& c : face) c = map[static_cast<size_t>(c)];
    m.v = std::move(v);
    m.t = std::move(t);
}

// --- the body's shape ---------------------------------------------------------

// Piecewise-linear in z through (z, value) pairs given in ascending z.
double table(const std::vector<std::pair<double, double>>& t, double z) {
    if (z <= t.front().first) return t.front().second;
    for (size_t i = 1; i < t.size(); ++i) {
        if (z <= t[i].first) {
            const double s = (z - t[i - 1].first) / (t[i].first - t[i - 1].first);
            const double e = s * s * (3 - 2 * s);  // eased, so the silhouette has no kinks
            return t[i - 1].second + (t[i].second - t[i - 1].second) * (0.35 * s + 0.65 * e);
        }
    }
    return t.back().second;
}

constexpr double kTailZ = -2.22;
constexpr double kNoseZ = 2.17;

const std::vector<std::pair<double, double>> kBottom = {
    {-2.22, -0.10}, {-2.10, -0.15}, {-1.90, -0.17}, {1.80, -0.17}, {2.00, -0.15}, {2.12, -0.12}, {2.17, -0.08}};
// The shoulder line: fenders over the wheels, the beltline between them.
const std::vector<std::pair<double, double>> kShoulder = {
    {-2.22, 0.46}, {-2.10, 0.53}, {-1.80, 0.58}, {-1.558, 0.60}, {-1.20, 0.58}, {-0.90, 0.54}, {-0.40, 0.49},
    {0.20, 0.46},  {0.55, 0.45},  {0.80, 0.47},  {1.137, 0.49},  {1.50, 0.42},  {1.80, 0.31},  {2.00, 0.21},
    {2.12, 0.13},  {2.17, 0.06}};
// The centre line of the top: bonnet, cabin floor of the glasshouse, deck.
const std::vector<std::pair<double, double>> kTop = {
    {-2.22, 0.44}, {-2.10, 0.51}, {-1.80, 0.55}, {-1.558, 0.56}, {-1.20, 0.56}, {-0.90, 0.53}, {-0.40, 0.48},
    {0.20, 0.45},  {0.55, 0.43},  {0.80, 0.40},  {1.137, 0.37},  {1.50, 0.31},  {1.80, 0.23},  {2.00, 0.16},
    {2.12, 0.10},  {2.17, 0.04}};
const std::vector<std::pair<double, double>> kHalfWidth = {
    {-2.22, 0.85}, {-2.10, 0.90}, {-1.80, 0.94}, {-1.558, 0.95}, {-1.20, 0.94}, {-0.90, 0.91}, {-0.40, 0.89},
    {0.20, 0.89},  {0.55, 0.90},  {0.80, 0.91},  {1.137, 0.93},  {1.50, 0.91},  {1.80, 0.87},  {2.00, 0.82},
    {2.12, 0.74},  {2.17, 0.64}};

struct Arch {
    double z, halfLength, height;
};
const Arch kArches[2] = {{kFrontAxleZ, 0.40, kFrontRadius + 0.035}, {kRearAxleZ, 0.42, kRearRadius + 0.035}};
constexpr double kWellInnerX = 0.58;

// Height of the wheel opening's edge at z; the floor where there is none.
double archEdge(double z) {
    const double floor = table(kBottom, z);
    for (const Arch& a : kArches) {
        const double d = (z - a.z) / a.halfLength;
        if (std::fabs(d) <= 1.0) return std::max(floor, kWheelY + a.height * std::sqrt(1 - d * d));
    }
    return floor;
}

// One half of a body section, from the bottom centre round the left side to
// the top centre: floor, wheel-well wall, well roof, arch lip, side, shoulder,
// top. Without a wheel opening the well collapses onto the floor.
std::vector<V3> halfSection(double z) {
    const double yb = table(kBottom, z), ya = archEdge(z), ys = table(kShoulder, z), yt = table(kTop, z);
    const double w = table(kHalfWidth, z);
    const double lip = std::max(ya, yb + 0.06);
    const double side = std::max(ys - 0.12, lip + 0.02);
    return {{0, yb, z},
            {kWellInnerX, yb, z},
            {kWellInnerX, ya, z},
            {w - 0.02, ya, z},
            {w, lip, z},
            {w + 0.005, side, z},
            {w - 0.07, ys, z},
            {0.55 * w, yt + 0.35 * (ys - yt), z},
            {0, yt, z}};
}
// Texture rows of the half section's points: the left side runs from v = 0
// (under the car) to 0.5 (the top centre), the right side on to 1.
const double kSectionV[9] = {0.0, 0.04, 0.08, 0.12, 0.17, 0.27, 0.36, 0.44, 0.5};

double bodyU(double z) { return (kNoseZ - z) / (kNoseZ - kTailZ); }

std::vector<double> bodyStations() {
    std::vector<double> zs;
    auto inArch = [](double z) {
        for (const Arch& a : kArches)
            if (std::fabs(z - a.z) < a.halfLength + 0.04) return true;
        return false;
    };
    for (double z = kTailZ; z < kNoseZ - 0.01; z += 0.075)
        if (!inArch(z)) zs.push_back(z);
    zs.push_back(kNoseZ);
    zs.push_back(kNoseZ - 0.025);
    zs.push_back(kTailZ + 0.03);
    for (const Arch& a : kArches) {
        zs.push_back(a.z - a.halfLength - 0.006);
        zs.push_back(a.z + a.halfLength + 0.006);
        const int steps = 14;
        for (int i = 0; i <= steps; ++i) zs.push_back(a.z - a.halfLength * std::cos(kPi * i / steps));
    }
    std::sort(zs.begin(), zs.end());
    return zs;
}

// The glasshouse: windscreen, side windows, roof and the fastback rear
// window, sitting on the shoulder line between these two stations.
constexpr double kScreenBaseZ = 0.64;
constexpr double kBackLightEndZ = -1.80;
const std::vector<std::pair<double, double>> kRoof = {
    {-1.80, 0.0},  {-1.45, 0.11}, {-1.20, 0.22}, {-0.95, 0.31}, {-0.70, 0.355}, {-0.40, 0.38},
    {-0.20, 0.37}, {0.10, 0.27},  {0.40, 0.12},  {0.64, 0.0}};

// --- body ----------------------------------------------------------------------

struct CarMeshes {
    Mesh body{"BODY", "", {}, 0, {}, {}, {}};
    Mesh glass{"GLASS", "BODY", {}, 1, {}, {}, {}};
    Mesh lights{"LIGHTS", "BODY", {}, 2, {}, {}, {}};
    Mesh under{"UNDER", "BODY", {}, 3, {}, {}, {}};
};

void buildLowerBody(CarMeshes& c) {
    Loft loft;
    for (const double z : bodyStations()) {
        const std::vector<V3> half = halfSection(z);
        std::vector<V3> ring;
        std::vector<UV> uv;
        for (int i = 0; i < 9; ++i) {
            ring.push_back(half[i]);
            uv.push_back({bodyU(z), kSectionV[i]});
        }
        for (int i = 7; i >= 0; --i) {
            ring.push_back({-half[i].x, half[i].y, z});
            uv.push_back({bodyU(z), 1.0 - kSectionV[i]});
        }
        loft.rings.push_back(ring);
        loft.uvs.push_back(uv);
    }
    // Floor and wheel wells in black, the rest painted.
    auto route = [&](size_t, size_t i) -> Mesh* { return (i < 3 || i >= 13) ? &c.under : &c.body; };
    const size_t bodyFirst = c.body.f.size(), underFirst = c.under.f.size();
    emitLoft(loft, route, false);
    // The top centre band must face up; if it does not, the whole loft is
    // wound the other way round.
    double up = 0;
    for (size_t i = bodyFirst; i < c.body.f.size(); ++i)
        if (c.body.centroid(i).y > 0.3 && std::fabs(c.body.centroid(i).x) < 0.2) up += c.body.normal(i).y;
    if (up < 0) {
        c.body.flip(bodyFirst);
        c.under.flip(underFirst);
    }

    // End caps: the nose is the black intake, the tail panel is painted.
    for (int end = 0; end < 2; ++end) {
        const std::vector<V3>& ring = end == 0 ? loft.rings.front() : loft.rings.back();
        Mesh& m = end == 0 ? c.body : c.under;
        V3 centre;
        for (const V3& p : ring) centre = centre + p;
        centre = centre * (1.0 / static_cast<double>(ring.size()));
        const size_t first = m.f.size();
        const int ci = m.add(centre, {end == 0 ? 0.99 : 0.01, 0.3});
        for (size_t i = 0; i + 1 < ring.size(); ++i) {
            const int a = m.add(ring[i], {end == 0 ? 0.99 : 0.01, 0.3});
            const int b = m.add(ring[i + 1], {end == 0 ? 0.99 : 0.01, 0.3});
            m.tri(ci, a, b);
        }
        const double facing = end == 0 ? -1.0 : 1.0;
        m.orientFrom(first, [&](V3 p) { return V3{p.x, p.y, p.z - facing}; });
    }
}

void buildGlasshouse(CarMeshes& c) {
    Loft loft;
    const int steps = 30;
    std::vector<double> zs;
    for (int i = 0; i <= steps; ++i) zs.push_back(kBackLightEndZ + (kScreenBaseZ - kBackLightEndZ) * i / steps);
    for (const double z : zs) {
        const double w = table(kHalfWidth, z);
        const double base = table(kShoulder, z) - 0.012;
        const double h = table(kRoof, z);
        const double grow = std::min(1.0, h / 0.22);
        const double wb = w - 0.11;
        const double wr = w - 0.30;
        const double x1 = wb - (wb - wr) * grow;
        const std::vector<V3> half = {
            {wb, base, z}, {x1, base + 0.90 * h, z}, {x1 - 0.07 * grow, base + 0.97 * h, z},
            {0.5 * (x1 - 0.07 * grow), base + 0.995 * h, z}, {0, base + h, z}};
        std::vector<V3> ring;
        std::vector<UV> uv;
        for (size_t i = 0; i < half.size(); ++i) {
            ring.push_back(half[i]);
            uv.push_back({bodyU(z), 0.5 - 0.1 * half[i].x});
        }
        for (int i = 3; i >= 0; --i) {
            ring.push_back({-half[i].x, half[i].y, z});
            uv.push_back({bodyU(z), 0.5 + 0.1 * half[i].x});
        }
        loft.rings.push_back(ring);
        loft.uvs.push_back(uv);
    }
    // Bands (per side): 0 side window, 1 roof rail and pillars, 2-3 top.
    auto route = [&](size_t k, size_t i) -> Mesh* {
        const double z = 0.5 * (loft.rings[k][0].z + loft.rings[k + 1][0].z);
        const size_t band = i < 4 ? i : 7 - i;
        if (band == 0) return (z > -1.30 && z < 0.36) ? &c.glass : &c.body;
        if (band == 1) return &c.body;
        return (z > -0.22 || z < -1.02) ? &c.glass : &c.body;
    };
    const size_t g0 = c.glass.f.size();
    const size_t b0 = c.body.f.size();
    emitLoft(loft, route, false);
    // The roof must face up (see the lower body).
    double up = 0;
    for (size_t i = b0; i < c.body.f.size(); ++i)
        if (std::fabs(c.body.centroid(i).x) < 0.2) up += c.body.normal(i).y;
    if (up < 0) {
        c.glass.flip(g0);
        c.body.flip(b0);
    }
    // The glass takes its own texture: coordinates across and along.
    for (size_t i = 0; i < c.glass.v.size(); ++i)
        c.glass.t[i] = {0.5 + 0.5 * c.glass.v[i].x, (kScreenBaseZ - c.glass.v[i].z) / (kScreenBaseZ - kBackLightEndZ)};
}

// A patch lying on the lower body just outside it: headlights.
void buildLights(CarMeshes& c) {
    for (int side = -1; side <= 1; side += 2) {
        // Headlights: flush lenses on the nose between the fender crest and
        // the bonnet, where the shoulder drops towards the nose.
        const size_t first = c.lights.f.size();
        const int nz = 6, ns = 4;
        std::vector<int> idx;
        for (int a = 0; a <= nz; ++a) {
            const double z = 1.78 + 0.26 * a / nz;
            const std::vector<V3> half = halfSection(z);
            for (int b = 0; b <= ns; ++b) {
                // From the side point (5) over the shoulder (6) to the top (7).
                const double s = 5.6 + 1.2 * b / ns;
                const int i0 = static_cast<int>(s);
                const double f = s - i0;
                V3 p = half[i0] * (1 - f) + half[i0 + 1] * f;
                // Pushed out from the car's centre line, so it sits proud.
                V3 out{p.x, p.y - 0.1, 0.25};
                p = p + out * (0.008 / length(out));
                p.x *= side;
                idx.push_back(c.lights.add(p, {0.05 + 0.4 * b / ns, 0.05 + 0.9 * a / nz}));
            }
        }
        for (int a = 0; a < nz; ++a)
            for (int b = 0; b < ns; ++b) {
                const int i = a * (ns + 1) + b;
                c.lights.quad(idx[i], idx[i + 1], idx[i + ns + 2], idx[i + ns + 1]);
            }
        c.lights.orientFrom(first, [](V3 p) { return V3{0, p.y - 0.3, p.z - 0.4}; });

        // Tail lights: two lenses across the tail panel, just behind it.
        const double zt = kTailZ - 0.006;
        const double ys = table(kShoulder, kTailZ);
        const double xs[2][2] = {{0.50, 0.78}, {0.22, 0.46}};
        for (int l = 0; l < 2; ++l) {
            const size_t f0 = c.lights.f.size();
            const double y0 = ys - 0.17, y1 = ys - 0.08;
            const double x0 = xs[l][0] * side, x1 = xs[l][1] * side;
            const double u0 = l == 0 ? 0.55 : 0.55, u1 = 0.95;
            const int a = c.lights.add({x0, y0, zt}, {u0, 0.95});
            const int b = c.lights.add({x1, y0, zt}, {u1, 0.95});
            const int cc = c.lights.add({x1, y1, zt}, {u1, 0.05});
            const int d = c.lights.add({x0, y1, zt}, {u0, 0.05});
            c.lights.quad(a, b, cc, d);
            c.lights.orientFrom(f0, [](V3 p) { return V3{p.x, p.y, p.z + 1}; });
        }
    }
}

// Door mirrors: small painted wedges on the door tops ahead of the windows.
void buildMirrors(CarMeshes& c) {
    for (int side = -1; side <= 1; side += 2) {
        const double z0 = 0.30, z1 = 0.42;
        const double x0 = table(kHalfWidth, 0.36) - 0.08, x1 = x0 + 0.17;
        const double y0 = table(kShoulder, 0.36) + 0.04, y1 = y0 + 0.10;
        const V3 lo{(x0 + x1) * 0.5 * side, (y0 + y1) * 0.5, (z0 + z1) * 0.5};
        const size_t first = c.body.f.size();
        V3 p[8];
        for (int i = 0; i < 8; ++i) {
            const double x = (i & 1) ? x1 : x0, y = (i & 2) ? y1 : y0, z = (i & 4) ? z1 : z0;
            p[i] = {x * side, y, z - ((i & 4) && (i & 1) ? 0.04 : 0.0)};
        }
        const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
        for (const auto& q : faces) {
            int id[4];
            for (int k = 0; k < 4; ++k) id[k] = c.body.add(p[q[k]], {0.6, 0.3});
            c.body.quad(id[0], id[1], id[2], id[3]);
        }
        c.body.orientFrom(first, [&](V3) { return lo; });
    }
}

// --- wheels --------------------------------------------------------------------

// Tyre (lathe about the axle) and rim (dished disc on the outer face) of one
// wheel, both with their pivot at the wheel centre so that the wheel frame
// turns them about the axle.
void buildWheel(const std::string& suffix, V3 centre, double radius, double width, int outward,
                std::vector<Mesh>& out) {
    Mesh tyre{"TYRE_" + suffix, "", centre, 4, {}, {}, {}};
    Mesh rim{"RIM_" + suffix, "TYRE_" + suffix, centre, 5, {}, {}, {}};
    const int segments = 20;
    const double rimR = radius * 0.64;
    const double hw = width * 0.5;
    // Profile from the outer bead round the tread to the inner bead:
    // (offset along the axle, outward; radius).
    const std::vector<std::pair<double, double>> profile = {
        {hw - 0.02, rimR},          {hw + 0.004, radius * 0.78}, {hw - 0.004, radius * 0.93},
        {hw - 0.03, radius},        {-hw + 0.03, radius},        {-hw + 0.004, radius * 0.93},
        {-hw - 0.004, radius * 0.78}, {-hw + 0.02, rimR}};
    const double profileV[8] = {0.0, 0.15, 0.3, 0.4, 0.6, 0.7, 0.85, 1.0};
    std::vector<std::vector<int>> grid(segments + 1);
    for (int s = 0; s <= segments; ++s) {
        const double a = 2 * kPi * s / segments;
        for (size_t p = 0; p < profile.size(); ++p) {
            const V3 pos{centre.x + outward * profile[p].first, centre.y + profile[p].second * std::cos(a),
                         centre.z + profile[p].second * std::sin(a)};
            grid[s].push_back(tyre.add(pos, {4.0 * s / segments, profileV[p]}));
        }
    }
    for (int s = 0; s < segments; ++s)
        for (size_t p = 0; p + 1 < profile.size(); ++p)
            tyre.quad(grid[s][p], grid[s + 1][p], grid[s + 1][p + 1], grid[s][p + 1]);
    tyre.orientFrom(0, [&](V3 p) {
        // Away from the ring through the middle of the tyre's cross-section.
        const double r = std::hypot(p.y - centre.y, p.z - centre.z);
        const double mid = (radius + rimR) * 0.5;
        return V3{centre.x, centre.y + (p.y - centre.y) * mid / r, centre.z + (p.z - centre.z) * mid / r};
    });

    // Rim: a hub standing out, spokes dished back to the lip, the lip flush
    // with the bead.
    const double face = hw - 0.025;
    const std::vector<std::pair<double, double>> disc = {
        {face + 0.012, 0.0}, {face + 0.012, rimR * 0.18}, {face - 0.015, rimR * 0.30}, {face - 0.005, rimR * 0.92},
        {face + 0.004, rimR}, {face - 0.01, rimR * 1.02}};
    std::vector<std::vector<int>> rg(segments + 1);
    for (int s = 0; s <= segments; ++s) {
        const double a = 2 * kPi * s / segments;
        for (size_t p = 0; p < disc.size(); ++p) {
            const double r = disc[p].second;
            const V3 pos{centre.x + outward * disc[p].first, centre.y + r * std::cos(a), centre.z + r * std::sin(a)};
            // Planar texture as seen from outside: u across, v down.
            const double rr = r / (rimR * 1.02);
            rg[s].push_back(rim.add(pos, {0.5 - 0.5 * outward * rr * std::sin(a), 0.5 - 0.5 * rr * std::cos(a)}));
        }
    }
    for (int s = 0; s < segments; ++s)
        for (size_t p = 0; p + 1 < disc.size(); ++p) rim.quad(rg[s][p], rg[s + 1][p], rg[s + 1][p + 1], rg[s][p + 1]);
    rim.orientFrom(0, [&](V3 p) { return V3{p.x - outward, p.y, p.z}; });
    out.push_back(tyre);
    out.push_back(rim);
}

// --- cockpit -------------------------------------------------------------------

// A prism: a convex outline in the (z, y) plane pulled along x from x0 to x1.
void extrudeX(Mesh& m, const std::vector<std::pair<double, double>>& outline, double x0, double x1, double uvScale) {
    double cz = 0, cy = 0;
    for (const auto& p : outline) {
        cz += p.first;
        cy += p.second;
    }
    cz /= static_cast<double>(outline.size());
    cy /= static_cast<double>(outline.size());
    const size_t n = outline.size();
    // The sides are wound from the outline's turning sense: a quad
    // (x0,p) (x1,p) (x1,q) (x0,q) faces outwards when the outline runs
    // anticlockwise in the (z, y) plane.
    double area = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto& p = outline[i];
        const auto& q = outline[(i + 1) % n];
        area += p.first * q.second - q.first * p.second;
    }
    double run = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto& p = outline[i];
        const auto& q = outline[(i + 1) % n];
        const double len = std::hypot(q.first - p.first, q.second - p.second);
        const int a = m.add({x0, p.second, p.first}, {x0 * uvScale, run * uvScale});
        const int b = m.add({x1, p.second, p.first}, {x1 * uvScale, run * uvScale});
        const int c = m.add({x1, q.second, q.first}, {x1 * uvScale, (run + len) * uvScale});
        const int d = m.add({x0, q.second, q.first}, {x0 * uvScale, (run + len) * uvScale});
        if (area > 0)
            m.quad(a, b, c, d);
        else
            m.quad(a, d, c, b);
        run += len;
    }
    const size_t caps = m.f.size();
    for (int end = 0; end < 2; ++end) {
        const double x = end == 0 ? x0 : x1;
        const int centre = m.add({x, cy, cz}, {cz * uvScale, cy * uvScale});
        for (size_t i = 0; i < n; ++i) {
            const auto& p = outline[i];
            const auto& q = outline[(i + 1) % n];
            m.tri(centre, m.add({x, p.second, p.first}, {p.first * uvScale, p.second * uvScale}),
                  m.add({x, q.second, q.first}, {q.first * uvScale, q.second * uvScale}));
        }
    }
    const double xm = 0.5 * (x0 + x1);
    // The end caps look away from the middle along x.
    m.orientFrom(caps, [&](V3 p) { return V3{xm, p.y, p.z}; });
}

// A cylinder along z from z0 to z1 round (x, y).
void cylinderZ(Mesh& m, double x, double y, double z0, double z1, double r, int segments) {
    const size_t first = m.f.size();
    for (int s = 0; s < segments; ++s) {
        const double a0 = 2 * kPi * s / segments, a1 = 2 * kPi * (s + 1) / segments;
        const V3 p0{x + r * std::cos(a0), y + r * std::sin(a0), 0}, p1{x + r * std::cos(a1), y + r * std::sin(a1), 0};
        const int a = m.add({p0.x, p0.y, z0}, {0.1, 0.1}), b = m.add({p1.x, p1.y, z0}, {0.2, 0.1});
        const int c = m.add({p1.x, p1.y, z1}, {0.2, 0.3}), d = m.add({p0.x, p0.y, z1}, {0.1, 0.3});
        m.quad(a, b, c, d);
        const int e = m.add({x, y, z0}, {0.15, 0.2});
        m.tri(e, b, a);
    }
    m.orientFrom(first, [&](V3 p) {
        if (std::fabs(p.z - z0) < 1e-9) return V3{p.x, p.y, p.z + 1};
        return V3{x, y, p.z};
    });
}

// A torus round the z axis through (cx, cy, cz): the steering wheel's rim.
void torusZ(Mesh& m, V3 c, double R, double r, int major, int minor) {
    std::vector<std::vector<int>> g(major + 1);
    for (int i = 0; i <= major; ++i) {
        const double a = 2 * kPi * i / major;
        for (int j = 0; j <= minor; ++j) {
            const double b = 2 * kPi * j / minor;
            const double rr = R + r * std::cos(b);
            g[i].push_back(m.add({c.x + rr * std::cos(a), c.y + rr * std::sin(a), c.z + r * std::sin(b)},
                                 {2.0 * i / major, 1.0 * j / minor}));
        }
    }
    const size_t first = m.f.size();
    for (int i = 0; i < major; ++i)
        for (int j = 0; j < minor; ++j) m.quad(g[i][j], g[i + 1][j], g[i + 1][j + 1], g[i][j + 1]);
    m.orientFrom(first, [&](V3 p) {
        const double d = std::hypot(p.x - c.x, p.y - c.y);
        return V3{c.x + (p.x - c.x) * R / d, c.y + (p.y - c.y) * R / d, c.z};
    });
}

// Dial layout: the needles turn clockwise as the driver sees them (a turn
// about +z by a negative angle), starting from kDialRest, measured from +x
// (the car's left) towards +y.
constexpr double kDialRestDeg = 185.0;
constexpr double kDialRadius = 0.075;
constexpr double kDialZ = 0.94;
constexpr double kDialY = 0.355;
constexpr double kRpmDialX = 0.49;
constexpr double kKmhDialX = 0.31;
constexpr double kRpmDegPer1000 = 19.0;
constexpr double kKmhDegPerKmh = 0.58;

void dialFace(Mesh& m, double xc) {
    const int segments = 28;
    const int centre = m.add({xc, kDialY, kDialZ}, {0.5, 0.5});
    std::vector<int> ring;
    for (int s = 0; s <= segments; ++s) {
        const double a = 2 * kPi * s / segments;
        const double dx = kDialRadius * std::cos(a), dy = kDialRadius * std::sin(a);
        // The picture is drawn as the driver sees it: its right is the car's
        // right (-x), its top is up.
        ring.push_back(m.add({xc + dx, kDialY + dy, kDialZ}, {0.5 - 0.5 * dx / kDialRadius, 0.5 - 0.5 * dy / kDialRadius}));
    }
    const size_t first = m.f.size();
    for (int s = 0; s < segments; ++s) m.tri(centre, ring[s], ring[s + 1]);
    m.orientFrom(first, [](V3 p) { return V3{p.x, p.y, p.z + 1}; });
}

Mesh needle(const std::string& name, double xc) {
    const V3 pivot{xc, kDialY, kDialZ - 0.006};
    Mesh m{name, "", pivot, 0, {}, {}, {}};
    const double a = kDialRestDeg * kPi / 180.0;
    const V3 dir{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
    const int tail = m.add(pivot - dir * 0.014, {0.5, 0.9});
    const int l = m.add(pivot + across * 0.004, {0.2, 0.6});
    const int tip = m.add(pivot + dir * (kDialRadius * 0.86), {0.5, 0.1});
    const int r = m.add(pivot - across * 0.004, {0.8, 0.6});
    m.quad(tail, l, tip, r);
    m.orientFrom(0, [](V3 p) { return V3{p.x, p.y, p.z + 1}; });
    return m;
}

Mesh lamp(const std::string& name, double xc, int material) {
    const V3 c{xc, kDialY + kDialRadius + 0.022, kDialZ - 0.004};
    Mesh m{name, "", c, material, {}, {}, {}};
    const double h = 0.011;
    const int a = m.add({c.x - h, c.y - h, c.z}, {0, 1}), b = m.add({c.x + h, c.y - h, c.z}, {1, 1});
    const int d = m.add({c.x + h, c.y + h, c.z}, {1, 0}), e = m.add({c.x - h, c.y + h, c.z}, {0, 0});
    m.quad(a, b, d, e);
    m.orientFrom(0, [](V3 p) { return V3{p.x, p.y, p.z + 1}; });
    return m;
}

// --- ASE output ------------------------------------------------------------------

struct Material {
    std::string name;
    double r, g, b;
    std::string bitmap;  // empty: plain colour
    double transparency = 0;
    double selfIllum = 0;
    double shine = 0.3;
};

// Car axes, metres -> file axes (z up, y backwards), tenths of a metre.
void fileCoords(V3 p, double out[3]) {
    out[0] = p.x * 10.0;
    out[1] = -p.z * 10.0;
    out[2] = p.y * 10.0;
}

// Fixed-point text (0.1 mm in the file's units): the same on every machine, without "-0.0000".
std::string num(double v) {
    char buf[32];
    if (std::fabs(v) < 5e-4) v = 0;
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

bool writeAse(const fs::path& path, const std::vector<Material>& materials, const std::vector<Mesh>& meshes) {
    std::string s;
    s += "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"Solvi car model, written by make_car_model\"\n";
    s += "*SCENE {\n\t*SCENE_FILENAME \"" + path.filename().string() +
         "\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 100\n\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n";
    s += "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(materials.size()) + "\n";
    for (size_t i = 0; i < materials.size(); ++i) {
        const Material& m = materials[i];
        const std::string rgb = num(m.r) + "\t" + num(m.g) + "\t" + num(m.b);
        s += "\t*MATERIAL " + std::to_string(i) + " {\n";
        s += "\t\t*MATERIAL_NAME \"" + m.name + "\"\n\t\t*MATERIAL_CLASS \"Standard\"\n";
        s += "\t\t*MATERIAL_AMBIENT " + rgb + "\n\t\t*MATERIAL_DIFFUSE " + rgb + "\n";
        s += "\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n";
        s += "\t\t*MATERIAL_SHINE 0.2500\n\t\t*MATERIAL_SHINESTRENGTH " + num(m.shine) + "\n";
        s += "\t\t*MATERIAL_TRANSPARENCY " + num(m.transparency) + "\n";
        s += "\t\t*MATERIAL_SHADING Blinn\n";
        s += "\t\t*MATERIAL_SELFILLUM " + num(m.selfIllum) + "\n";
        if (!m.bitmap.empty()) {
            s += "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_NAME \"" + m.name + "Map\"\n\t\t\t*MAP_CLASS \"Bitmap\"\n";
            s += "\t\t\t*MAP_AMOUNT 1.0000\n\t\t\t*BITMAP \"maps\\" + m.bitmap + "\"\n";
            s += "\t\t\t*UVW_U_TILING 1.0000\n\t\t\t*UVW_V_TILING 1.0000\n\t\t}\n";
        }
        s += "\t}\n";
    }
    s += "}\n";
    for (const Mesh& m : meshes) {
        double pv[3];
        fileCoords(m.pivot, pv);
        const std::string pos = num(pv[0]) + "\t" + num(pv[1]) + "\t" + num(pv[2]);
        s += "*GEOMOBJECT {\n\t*NODE_NAME \"" + m.name + "\"\n";
        if (!m.parent.empty()) s += "\t*NODE_PARENT \"" + m.parent + "\"\n";
        s += "\t*NODE_TM {\n\t\t*NODE_NAME \"" + m.name + "\"\n";
        s += "\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n";
        s += "\t\t*TM_ROW3 " + pos + "\n\t\t*TM_POS " + pos + "\n";
        s += "\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000\n\t\t*TM_ROTANGLE 0.0000\n\t}\n";
        s += "\t*MESH {\n\t\t*TIMEVALUE 0\n";
        s += "\t\t*MESH_NUMVERTEX " + std::to_string(m.v.size()) + "\n";
        s += "\t\t*MESH_NUMFACES " + std::to_string(m.f.size()) + "\n";
        s += "\t\t*MESH_VERTEX_LIST {\n";
        for (size_t i = 0; i < m.v.size(); ++i) {
            double p[3];
            fileCoords(m.v[i], p);
            s += "\t\t\t*MESH_VERTEX " + std::to_string(i) + "\t" + num(p[0]) + "\t" + num(p[1]) + "\t" + num(p[2]) + "\n";
        }
        s += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
        for (size_t i = 0; i < m.f.size(); ++i)
            s += "\t\t\t*MESH_FACE " + std::to_string(i) + ": A: " + std::to_string(m.f[i][0]) + " B: " +
                 std::to_string(m.f[i][1]) + " C: " + std::to_string(m.f[i][2]) + " AB: 1 BC: 1 CA: 1\n";
        s += "\t\t}\n\t\t*MESH_NUMTVERTEX " + std::to_string(m.t.size()) + "\n\t\t*MESH_TVERTLIST {\n";
        for (size_t i = 0; i < m.t.size(); ++i)
            s += "\t\t\t*MESH_TVERT " + std::to_string(i) + "\t" + num(m.t[i].u) + "\t" + num(m.t[i].v) + "\t0.0000\n";
        s += "\t\t}\n\t\t*MESH_NUMTVFACES " + std::to_string(m.f.size()) + "\n\t\t*MESH_TFACELIST {\n";
        for (size_t i = 0; i < m.f.size(); ++i)
            s += "\t\t\t*MESH_TFACE " + std::to_string(i) + "\t" + std::to_string(m.f[i][0]) + "\t" +
                 std::to_string(m.f[i][1]) + "\t" + std::to_string(m.f[i][2]) + "\n";
        s += "\t\t}\n\t}\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n";
        s += "\t*MATERIAL_REF " + std::to_string(m.material) + "\n}\n";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
    return std::fclose(f) == 0 && ok;
}

// --- images --------------------------------------------------------------------

// Rows top first, as the texture coordinates count them (v = 0 at the top).
struct Image {
    int w, h, channels;
    std::vector<uint8_t> px;
    Image(int width, int height, int ch) : w(width), h(height), channels(ch), px(static_cast<size_t>(width * height * ch), 0) {}
    void set(int x, int y, double r, double g, double b, double a = 1.0) {
        uint8_t* p = &px[static_cast<size_t>((y * w + x) * channels)];
        auto c = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0), 0L, 255L)); };
        p[0] = c(r);
        p[1] = c(g);
        p[2] = c(b);
        if (channels == 4) p[3] = c(a);
    }
};

// Uncompressed true-colour TGA, rows bottom-up (the default origin).
bool writeTga(const fs::path& path, const Image& img) {
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = static_cast<uint8_t>(img.w & 0xFF);
    header[13] = static_cast<uint8_t>(img.w >> 8);
    header[14] = static_cast<uint8_t>(img.h & 0xFF);
    header[15] = static_cast<uint8_t>(img.h >> 8);
    header[16] = static_cast<uint8_t>(img.channels * 8);
    header[17] = img.channels == 4 ? 8 : 0;
    std::vector<uint8_t> out(header, header + 18);
    for (int y = img.h - 1; y >= 0; --y)
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = &img.px[static_cast<size_t>((y * img.w + x) * img.channels)];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (img.channels == 4) out.push_back(p[3]);
        }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// Deterministic grain for textures: a hash of the pixel, in [0, 1).
double grain(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFF) / 65536.0;
}

double smooth(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Body paint: u runs from the nose (0) to the tail (1), v round the section
// (0 under the car, 0.5 the top centre line, 1 under again on the right).
Image paint(double r, double g, double b, bool centreStripes, double sr, double sg, double sb) {
    Image img(128, 128, 3);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const double v = (y + 0.5) / img.h;
            const double side = std::min(v, 1 - v);  // 0 under the car, 0.5 on top
            // Darker low on the sides, lighter on top: a cheap sense of light.
            double shade = 0.78 + 0.34 * smooth(0.12, 0.45, side) + 0.03 * (grain(x, y, 7) - 0.5);
            double cr = r * shade, cg = g * shade, cb = b * shade;
            if (side < 0.16) cr = cg = cb = 0.08 + 0.04 * grain(x, y, 3);  // sill and floor
            const bool sideStripe = side > 0.215 && side < 0.235;
            const bool topStripe = centreStripes && std::fabs(v - 0.5) > 0.006 && std::fabs(v - 0.5) < 0.022;
            if (sideStripe || topStripe) {
                cr = sr;
                cg = sg;
                cb = sb;
            }
            img.set(x, y, cr, cg, cb);
        }
    return img;
}

Image plain(int size, double r, double g, double b, double noise, uint32_t seed) {
    Image img(size, size, 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double n = 1 + noise * (grain(x, y, seed) - 0.5);
            img.set(x, y, r * n, g * n, b * n);
        }
    return img;
}

Image tyreImage() {
    Image img(64, 64, 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double v = (y + 0.5) / 64, u = (x + 0.5) / 64;
            double c = 0.09 + 0.02 * grain(x, y, 11);
            if (v > 0.4 && v < 0.6) {
                // Tread: two grooves round the tyre and slanted sipes.
                if (std::fabs(v - 0.46) < 0.012 || std::fabs(v - 0.54) < 0.012) c = 0.03;
                if (std::fmod(u * 16 + (v - 0.5) * 4 + 8, 1.0) < 0.12 && std::fabs(v - 0.5) > 0.05) c = 0.04;
            } else if ((v > 0.12 && v < 0.16) || (v > 0.84 && v < 0.88)) {
                c = 0.16;  // a raised ring on the sidewall
            }
            img.set(x, y, c, c, c);
        }
    return img;
}

Image rimImage() {
    Image img(128, 128, 3);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double dx = (x + 0.5) / 64 - 1, dy = (y + 0.5) / 64 - 1;
            const double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            double c = 0.12;  // the dark gaps between spokes
            const double spoke = std::fabs(std::remainder(a * 5 / (2 * kPi), 1.0));
            if (r > 0.86) c = 0.72;                               // lip
            else if (r < 0.22) c = 0.6 + 0.2 * (r < 0.08);        // hub and cap
            else if (spoke < 0.11 + 0.05 * (0.86 - r)) c = 0.78;  // five spokes
            const double lit = 1 - 0.25 * (dy + 1) * 0.5;
            img.set(x, y, c * lit, c * lit, c * lit * 1.04);
        }
    return img;
}

Image glassImage() {
    Image img(64, 64, 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double v = (y + 0.5) / 64, u = (x + 0.5) / 64;
            // A dark tint with a soft diagonal sheen.
            const double sheen = 0.12 * std::exp(-std::pow((u + v - 0.8) * 5, 2));
            img.set(x, y, 0.10 + sheen, 0.13 + sheen, 0.17 + sheen);
        }
    return img;
}

// Left half head lamp lens, right half tail lamp lens.
Image lightsImage() {
    Image img(64, 64, 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double u = (x + 0.5) / 64, v = (y + 0.5) / 64;
            if (u < 0.5) {
                const double d = std::hypot((u - 0.25) * 2.2, (v - 0.5) * 1.1);
                const double c = 0.75 + 0.25 * (1 - smooth(0.1, 0.5, d));
                img.set(x, y, c, c, c * 0.97);
            } else {
                const bool frame = std::fabs(std::fmod(v * 4, 1.0) - 0.5) > 0.46;
                const double c = frame ? 0.35 : 0.85;
                img.set(x, y, c, 0.05 * c, 0.04 * c);
            }
        }
    return img;
}

Image interiorImage() { return plain(64, 0.14, 0.14, 0.15, 0.25, 21); }

Image trimImage() { return plain(64, 0.07, 0.07, 0.075, 0.3, 5); }

// A dial face as the driver sees it: ticks every `step` degrees from the
// rest angle turning clockwise, the last `red` ticks in red.
Image dialImage(int ticks, int majorEvery, double stepDeg, int redFrom) {
    const int size = 128;
    Image img(size, size, 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Picture right is the car's -x, picture up is +y.
            const double px = -((x + 0.5) / size * 2 - 1), py = -((y + 0.5) / size * 2 - 1);
            const double r = std::hypot(px, py);
            double cr = 0.05, cg = 0.05, cb = 0.06;
            if (r > 0.95) cr = cg = cb = 0.55;  // bezel
            double ang = kDialRestDeg - std::atan2(py, px) * 180.0 / kPi;
            ang = std::fmod(ang + 720.0, 360.0);  // degrees turned from rest
            const double span = stepDeg * ticks;
            if (r > 0.66 && r < 0.93 && ang <= span + 1.5) {
                const double k = ang / stepDeg;
                const int nearest = static_cast<int>(std::lround(k));
                const double off = std::fabs(k - nearest) * stepDeg * kPi / 180.0 * r;  // arc distance
                const bool major = nearest % majorEvery == 0;
                const double halfWidth = major ? 0.028 : 0.014;
                const double inner = major ? 0.70 : 0.80;
                if (off < halfWidth && r > inner && nearest <= ticks) {
                    if (nearest >= redFrom) {
                        cr = 0.9; cg = 0.1; cb = 0.08;
                    } else {
                        cr = cg = cb = 0.92;
                    }
                }
                if (r > 0.90 && k * majorEvery >= redFrom * majorEvery && nearest >= redFrom) {
                    cr = 0.8; cg = 0.08; cb = 0.06;  // the red arc
                }
            }
            if (r < 0.08) cr = cg = cb = 0.3;  // needle boss
            img.set(x, y, cr, cg, cb);
        }
    return img;
}

// The car's shadow on the road: black, with an alpha that falls off softly
// at the edges of a rounded rectangle.
Image shadowImage() {
    Image img(64, 64, 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double u = std::fabs((x + 0.5) / 32 - 1), v = std::fabs((y + 0.5) / 32 - 1);
            const double qx = std::max(u - 0.55, 0.0), qy = std::max(v - 0.6, 0.0);
            const double d = std::hypot(qx, qy);
            const double a = 0.72 * (1 - smooth(0.0, 0.38, d));
            img.set(x, y, 0, 0, 0, a);
        }
    return img;
}

bool writeText(const fs::path& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_car_model DATA_DIR\n");
        return 2;
    }
    const fs::path car = fs::path(argv[1]) / "cars" / "solvi";
    std::error_code ec;
    for (const char* dir : {"texture", "skins/red", "skins/blue"}) fs::create_directories(car / dir, ec);

    // The body model. Its textures come from the skin folder (the paint)
    // and the shared texture folder (everything else).
    CarMeshes c;
    buildLowerBody(c);
    buildGlasshouse(c);
    buildLights(c);
    buildMirrors(c);
    std::vector<Mesh> body = {c.body, c.glass, c.lights, c.under};
    buildWheel("LF", {kWheelX, kWheelY, kFrontAxleZ}, kFrontRadius, kFrontTyreWidth, 1, body);
    buildWheel("RF", {-kWheelX, kWheelY, kFrontAxleZ}, kFrontRadius, kFrontTyreWidth, -1, body);
    buildWheel("LR", {kWheelX, kWheelY, kRearAxleZ}, kRearRadius, kRearTyreWidth, 1, body);
    buildWheel("RR", {-kWheelX, kWheelY, kRearAxleZ}, kRearRadius, kRearTyreWidth, -1, body);
    for (Mesh& m : body) weld(m);
    const std::vector<Material> bodyMaterials = {
        {"paint", 1.0, 1.0, 1.0, "body.tga", 0.0, 0.0, 0.6},
        {"glass", 0.6, 0.65, 0.7, "glass.tga", 0.25, 0.0, 0.9},
        {"lamps", 1.0, 1.0, 1.0, "lights.tga", 0.0, 0.4, 0.5},
        {"trim", 0.8, 0.8, 0.8, "trim.tga", 0.0, 0.0, 0.1},
        {"tyre", 0.9, 0.9, 0.9, "tyre.tga", 0.0, 0.0, 0.05},
        {"rim", 1.0, 1.0, 1.0, "rim.tga", 0.0, 0.0, 0.8},
    };

    // The cockpit, in the same axes, round the driver's seat on the left.
    std::vector<Mesh> cockpit;
    {
        Mesh dash{"DASH", "", {}, 0, {}, {}, {}};
        // Dashboard: a slab from door to door under the windscreen base.
        extrudeX(dash, {{1.30, 0.40}, {0.98, 0.43}, {0.95, 0.40}, {0.95, 0.10}, {1.30, 0.06}}, -0.80, 0.80, 2.0);
        // Binnacle hood over the two dials.
        extrudeX(dash, {{1.00, 0.425}, {0.90, 0.47}, {0.87, 0.462}, {0.955, 0.418}}, kKmhDialX - 0.11, kRpmDialX + 0.11, 2.0);
        // Centre tunnel and console.
        extrudeX(dash, {{0.95, 0.30}, {0.95, -0.12}, {-0.45, -0.12}, {-0.45, 0.02}, {0.55, 0.12}}, -0.12, 0.12, 2.0);
        // Steering column from the dash to the wheel's hub.
        cylinderZ(dash, 0.40, 0.30, 0.73, 0.95, 0.03, 10);
        cockpit.push_back(dash);

        Mesh dials{"DIALS", "", {}, 1, {}, {}, {}};
        dialFace(dials, kRpmDialX);
        cockpit.push_back(dials);
        Mesh dials2{"DIALS_KMH", "", {}, 2, {}, {}, {}};
        dialFace(dials2, kKmhDialX);
        cockpit.push_back(dials2);

        // Steering wheel: rim, three spokes and the hub, turning about its
        // own z at the column's end.
        const V3 wc{0.40, 0.30, 0.72};
        Mesh wheel{"INT_WHEEL", "", wc, 3, {}, {}, {}};
        torusZ(wheel, wc, 0.175, 0.017, 32, 8);
        cylinderZ(wheel, wc.x, wc.y, wc.z - 0.03, wc.z + 0.01, 0.055, 12);
        for (const double ang : {0.0, 180.0, 270.0}) {
            const double a = ang * kPi / 180.0;
            const V3 dir{std::cos(a), std::sin(a), 0}, across{-std::sin(a), std::cos(a), 0};
            const size_t first = wheel.f.size();
            V3 p[8];
            for (int i = 0; i < 8; ++i) {
                const double along = (i & 1) ? 0.165 : 0.05, side = (i & 2) ? 0.018 : -0.018, dz = (i & 4) ? 0.008 : -0.008;
                p[i] = wc + dir * along + across * side + V3{0, 0, dz - 0.01};
            }
            const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
            for (const auto& q : faces) {
                int id[4];
                for (int k = 0; k < 4; ++k) id[k] = wheel.add(p[q[k]], {0.3, 0.3});
                wheel.quad(id[0], id[1], id[2], id[3]);
            }
            const V3 mid = wc + dir * 0.1075 + V3{0, 0, -0.01};
            wheel.orientFrom(first, [&](V3) { return mid; });
        }
        cockpit.push_back(wheel);

        Mesh rpm = needle("INT_RPM", kRpmDialX);
        rpm.material = 4;
        Mesh kmh = needle("INT_KMH", kKmhDialX);
        kmh.material = 4;
        cockpit.push_back(rpm);
        cockpit.push_back(kmh);
        cockpit.push_back(lamp("INT_ABS", 0.42, 5));
        cockpit.push_back(lamp("INT_TC", 0.38, 6));
    }
    for (Mesh& m : cockpit) weld(m);
    const std::vector<Material> cockpitMaterials = {
        {"interior", 1.0, 1.0, 1.0, "interior.tga", 0.0, 0.0, 0.1},
        {"dial_rpm", 1.0, 1.0, 1.0, "dial_rpm.tga", 0.0, 0.3, 0.2},
        {"dial_kmh", 1.0, 1.0, 1.0, "dial_kmh.tga", 0.0, 0.3, 0.2},
        {"wheel", 1.0, 1.0, 1.0, "interior.tga", 0.0, 0.0, 0.2},
        {"needle", 1.0, 0.35, 0.05, "", 0.0, 0.8, 0.2},
        {"lamp_abs", 0.0, 0.1, 0.0, "", 0.0, 0.0, 0.2},
        {"lamp_tc", 0.0, 0.1, 0.0, "", 0.0, 0.0, 0.2},
    };

    bool ok = writeAse(car / "solvi.ase", bodyMaterials, body);
    ok = writeAse(car / "solvi_int.ase", cockpitMaterials, cockpit) && ok;

    const fs::path tex = car / "texture";
    ok = writeTga(tex / "glass.tga", glassImage()) && ok;
    ok = writeTga(tex / "lights.tga", lightsImage()) && ok;
    ok = writeTga(tex / "trim.tga", trimImage()) && ok;
    ok = writeTga(tex / "tyre.tga", tyreImage()) && ok;
    ok = writeTga(tex / "rim.tga", rimImage()) && ok;
    ok = writeTga(tex / "interior.tga", interiorImage()) && ok;
    // Rev counter to 10000 rpm (red from 7000, the limiter); speedometer to
    // 320 km/h in steps of 20.
    ok = writeTga(tex / "dial_rpm.tga", dialImage(20, 2, kRpmDegPer1000 * 0.5, 14)) && ok;
    ok = writeTga(tex / "dial_kmh.tga", dialImage(32, 2, kKmhDegPerKmh * 10.0, 33)) && ok;
    ok = writeTga(tex / "shadow.tga", shadowImage()) && ok;
    ok = writeTga(car / "skins" / "red" / "body.tga", paint(0.78, 0.06, 0.05, false, 0.05, 0.05, 0.05)) && ok;
    ok = writeTga(car / "skins" / "blue" / "body.tga", paint(0.08, 0.22, 0.62, true, 0.95, 0.95, 0.95)) && ok;
    ok = writeText(car / "cfg.ini", "[CURRENT]\r\nSKIN=red\r\n") && ok;
    if (!ok) {
        std::fprintf(stderr, "make_car_model: cannot write the car's graphics data under %s\n", car.c_str());
        return 1;
    }
    size_t triangles = 0;
    for (const Mesh& m : body) triangles += m.f.size();
    size_t cockpitTriangles = 0;
    for (const Mesh& m : cockpit) cockpitTriangles += m.f.size();
    std::printf("wrote %s: body %zu triangles, cockpit %zu triangles\n", car.c_str(), triangles, cockpitTriangles);
    return 0;
}
