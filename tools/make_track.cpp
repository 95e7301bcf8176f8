// Writes the bundled circuit: a closed centre line of straights and arcs
// with gentle height changes, and the widths of its surfaces.
// Usage: make_track DATA_DIR   (writes DATA_DIR/tracks/valley/track.txt)

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpacing = 2.0;  // metres between centre-line points

// A piece of the layout: a straight (radius 0) or an arc turning by `degrees`
// (positive to the left, seen from above with +y up).
struct Piece {
    double length;  // straights only
    double radius;
    double degrees;
};

Piece straight(double length) { return {length, 0, 0}; }
Piece arc(double radius, double degrees) { return {0, radius, degrees}; }

// Heading 0 drives along +z; turning left turns towards +x, as the car's
// left side is +x when it faces +z.
struct Pose {
    double x = 0, z = 0, heading = 0;
};

void advance(Pose& p, const Piece& piece, std::vector<Pose>* out)
{
    if (piece.radius == 0) {
        const int n = static_cast<int>(std::ceil(piece.length / kSpacing));
        for (int i = 0; i < n; ++i) {
            const double step = piece.length / n;
            p.x += std::sin(p.heading) * step;
            p.z += std::cos(p.heading) * step;
            if (out) out->push_back(p);
        }
        return;
    }
    const double turn = piece.degrees * kPi / 180.0;
    const double arcLength = std::fabs(turn) * piece.radius;
    const int n = static_cast<int>(std::ceil(arcLength / kSpacing));
    for (int i = 0; i < n; ++i) {
        const double dTheta = turn / n;
        // Exact chord of the arc step, taken along the mean heading.
        const double chord = 2.0 * piece.radius * std::sin(std::fabs(dTheta) / 2.0);
        const double mid = p.heading + dTheta / 2.0;
        p.x += std::sin(mid) * chord;
        p.z += std::cos(mid) * chord;
        p.heading += dTheta;
        if (out) out->push_back(p);
    }
}

Pose trace(const std::vector<Piece>& layout, std::vector<Pose>* out)
{
    Pose p;
    for (const Piece& piece : layout) advance(p, piece, out);
    return p;
}

// A long main straight, a medium first corner, a fast sweeper onto a long
// straight, a chicane, a slow hairpin, a back straight and a fast last corner:
// one full turn to the left in all. The main straight (piece 0) and the short
// straight after the first corner (piece 2) run at right angles; their
// lengths are solved so that the loop closes exactly.
std::vector<Piece> layout()
{
    return {
        straight(600),     // main straight, start/finish line near its start
        arc(60, 90),       // turn 1, medium
        straight(250),
        arc(200, 60),      // fast sweeper
        straight(600),
        arc(45, -40),      // chicane, right
        arc(45, 40),       // chicane, left
        straight(250),
        arc(35, 120),      // hairpin
        straight(700),     // back straight
        arc(100, 90),      // fast last corner onto the main straight
        straight(200),
    };
}

void close(std::vector<Piece>& pieces)
{
    // The end point is linear in the two straights' lengths; their directions
    // are fixed by the turns before them.
    const Pose end = trace(pieces, nullptr);
    Pose before2;
    for (int i = 0; i < 2; ++i) advance(before2, pieces[i], nullptr);
    const double d1x = 0, d1z = 1;  // piece 0 runs along +z
    const double d2x = std::sin(before2.heading), d2z = std::cos(before2.heading);
    const double gx = -end.x, gz = -end.z;
    const double det = d1x * d2z - d1z * d2x;
    pieces[0].length += (gx * d2z - gz * d2x) / det;
    pieces[2].length += (d1x * gz - d1z * gx) / det;
}

double height(double s, double total)
{
    const double u = 2.0 * kPi * s / total;
    return 4.0 * std::sin(u) + 1.5 * std::sin(3.0 * u + 1.0) - 1.5 * std::sin(1.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_track DATA_DIR\n");
        return 2;
    }
    std::vector<Piece> pieces = layout();
    close(pieces);
    if (pieces[0].length <= 0 || pieces[2].length <= 0) {
        std::fprintf(stderr, "make_track: the layout cannot be closed with positive straights\n");
        return 1;
    }
    std::vector<Pose> poses;
    poses.push_back(Pose{});
    trace(pieces, &poses);
    poses.pop_back();  // the last point is the first again

    double total = 0;
    for (size_t i = 0; i < poses.size(); ++i) {
        const Pose& a = poses[i];
        const Pose& b = poses[(i + 1) % poses.size()];
        total += std::hypot(b.x - a.x, b.z - a.z);
    }

    const fs::path dir = fs::path(argv[1]) / "tracks" / "valley";
    fs::create_directories(dir);
    const fs::path file = dir / "track.txt";
    std::FILE* f = std::fopen(file.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "make_track: cannot write %s\n", file.c_str());
        return 1;
    }
    std::fprintf(f, "# vqsim track: a closed centre line, surfaces by distance from it\n");
    std::fprintf(f, "name valley\n");
    std::fprintf(f, "road_half_width 6.0\nkerb_width 1.2\ngravel_width 14.0\nsand_width 5.0\n");
    std::fprintf(f, "finish_at 150.0\nintermediate_at %.1f\nline_length 2.0\n", std::floor(total * 0.55));
    std::fprintf(f, "points %zu\n", poses.size());
    double s = 0;
    for (size_t i = 0; i < poses.size(); ++i) {
        std::fprintf(f, "%.3f %.3f %.3f\n", poses[i].x, height(s, total), poses[i].z);
        const Pose& next = poses[(i + 1) % poses.size()];
        s += std::hypot(next.x - poses[i].x, next.z - poses[i].z);
    }
    std::fclose(f);
    std::printf("wrote %s: %zu points, %.0f m\n", file.c_str(), poses.size(), total);
    return 0;
}
