// The bundled circuit through the track interface the car calls: ground
// heights and surfaces by distance from the centre line, the timing strips,
// the walls, and the grid lookup agreeing with a scan of every segment.

#include <cmath>
#include <fstream>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "car/solvi.h"
#include "host/track.h"
#include "support/temp_dir.h"

namespace {

class BundledTrack : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(track.load(SOLVI_DATA_DIR "/tracks/valley/track.txt", error)) << error;
    }

    // A point at distance s along the lap, `lateral` metres to the left.
    Vector3 at(float s, float lateral) const {
        const Vector3 c = track.centreAt(s);
        const Vector3 t = track.tangentAt(s);
        return Vector3{c.x + t.z * lateral, c.y + 1.0f, c.z - t.x * lateral};
    }

    int kindAt(float s, float lateral) {
        Vector3 hit, normal;
        const SurfaceInfo* info = nullptr;
        const TrackSurface* surface = track.queryGround(at(s, lateral), hit, normal, nullptr, &info, nullptr, 0);
        EXPECT_NE(surface, nullptr);
        EXPECT_EQ(info, surface ? &surface->info : nullptr);
        return info ? info->kind : -1;
    }

    Track track;
};

}  // namespace

TEST_F(BundledTrack, IsAClosedLoopOfTwoToFourKilometresStraightButForItsCurves) {
    EXPECT_GT(track.length(), 2000.0f);
    EXPECT_LT(track.length(), 4000.0f);
    EXPECT_FLOAT_EQ(track.trackValue(), track.length());
    const auto& line = track.centreLine();
    const Vector3 gap = line.front() - line.back();
    EXPECT_LT(gap.length(), 3.0f);
    EXPECT_NEAR(track.curvatureAt(300.0f), 0.0f, 1e-4f);
    float tightest = 0;
    for (float s = 0; s < track.length(); s += 5.0f) tightest = std::max(tightest, std::fabs(track.curvatureAt(s)));
    EXPECT_NEAR(tightest, 1.0f / 35.0f, 0.004f);  // the 35 m hairpin
}

TEST_F(BundledTrack, SurfacesByDistanceFromTheCentreOnBothSidesAndTimingStripsOfTheirOwn) {
    const float s = 400.0f;  // on the main straight, away from the timing strips
    for (float side : {1.0f, -1.0f}) {
        EXPECT_EQ(kindAt(s, side * 0.0f), 0);
        EXPECT_EQ(kindAt(s, side * 5.5f), 0);   // asphalt
        EXPECT_EQ(kindAt(s, side * 6.6f), 2);   // kerb
        EXPECT_EQ(kindAt(s, side * 12.0f), 1);  // gravel
        EXPECT_EQ(kindAt(s, side * 24.0f), 3);  // sand
    }
    // The timing strips are surfaces of their own.
    Vector3 hit, normal;
    const SurfaceInfo* info = nullptr;
    const float finish = track.finishAt();
    const TrackSurface* onLine = track.queryGround(at(finish + 1.0f, 2.0f), hit, normal, nullptr, &info, nullptr, 0);
    const TrackSurface* before = track.queryGround(at(finish - 1.0f, 2.0f), hit, normal, nullptr, &info, nullptr, 0);
    EXPECT_TRUE(track.isFinishLine(onLine));
    EXPECT_FALSE(track.isFinishLine(before));
    EXPECT_FALSE(track.isIntermediateLine(onLine));
    EXPECT_EQ(onLine->info.kind, 0);  // drives like asphalt

    int intermediates = 0;
    for (float s = 0; s < track.length(); s += 0.5f) {
        const TrackSurface* surface = track.queryGround(at(s, 0), hit, normal, nullptr, &info, nullptr, 0);
        intermediates += track.isIntermediateLine(surface) ? 1 : 0;
    }
    EXPECT_EQ(intermediates, 4);  // a 2 m strip sampled every 0.5 m
}

TEST_F(BundledTrack, GroundFollowsTheCentreLineAndAWallFacesTheRoadWhenTheCarIsNear) {
    for (float s : {10.0f, 700.0f, 1500.0f, 2500.0f}) {
        Vector3 hit, normal;
        const SurfaceInfo* info = nullptr;
        const Vector3 probe = at(s, 3.0f);
        track.queryGround(probe, hit, normal, nullptr, &info, nullptr, 0);
        EXPECT_FLOAT_EQ(hit.x, probe.x);
        EXPECT_FLOAT_EQ(hit.z, probe.z);
        EXPECT_NEAR(hit.y, track.centreAt(s).y, 0.01f) << s;
        EXPECT_NEAR(normal.length(), 1.0f, 1e-5f);
        EXPECT_GT(normal.y, 0.99f);  // gentle slopes only
    }
    // A wall faces the road, only when the car is near it.
    TempDir dir;
    WorkIn work(dir.path());
    CSolvi car;
    const float s = 400.0f;
    for (float side : {1.0f, -1.0f}) {
        const Vector3 nearWall = at(s, side * (track.wallOffset() - 2.0f));
        car.matrix.setPosition(nearWall);
        const WallRecord* wall = track.queryWall(&car);
        ASSERT_NE(wall, nullptr);
        const float distance = wall->a * nearWall.x + wall->b * nearWall.y + wall->c * nearWall.z + wall->d;
        EXPECT_NEAR(distance, 2.0f, 0.01f);  // on the road's side, 2 m from the wall
        EXPECT_FLOAT_EQ(wall->b, 0.0f);
    }
    car.matrix.setPosition(at(s, 0));
    EXPECT_EQ(track.queryWall(&car), nullptr);
}

TEST_F(BundledTrack, GridLookupFindsTheSameSegmentAsAFullScan) {
    const auto& line = track.centreLine();
    const int n = static_cast<int>(line.size());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> along(0, track.length()), across(-28, 28);
    for (int trial = 0; trial < 2000; ++trial) {
        const Vector3 p = at(along(random), across(random));
        float best = std::numeric_limits<float>::max();
        for (int i = 0; i < n; ++i) {
            const Vector3 a = line[i], b = line[(i + 1) % n];
            const float dx = b.x - a.x, dz = b.z - a.z;
            const float u = std::clamp(((p.x - a.x) * dx + (p.z - a.z) * dz) / (dx * dx + dz * dz), 0.0f, 1.0f);
            best = std::min(best, std::hypot(a.x + u * dx - p.x, a.z + u * dz - p.z));
        }
        const Track::Placement placed = track.place(p.x, p.z);
        EXPECT_NEAR(std::fabs(placed.lateral), best, 1e-3f) << trial;
    }
}

TEST(TrackFile, BadFilesAreReportedWithTheirLine) {
    TempDir dir;
    const struct { const char* file; const char* text; const char* message; } cases[] = {
        {"none.txt", nullptr, "cannot open the track file"},
        {"short.txt", "name t\npoints 4\n0 0 0\n10 0 0\n10 0 10\n", "promises 4 points, the file holds 3"},
        {"key.txt", "name t\nbanking 3\npoints 3\n0 0 0\n10 0 0\n10 0 10\n", "key.txt:2: unknown key 'banking'"},
        {"point.txt", "points 3\n0 0 0\n10 zero 0\n10 0 10\n", "point.txt:3: expected a point"},
    };
    for (const auto& c : cases) {
        if (c.text) std::ofstream(dir / c.file) << c.text;
        Track track;
        std::string error;
        EXPECT_FALSE(track.load((dir / c.file).string(), error)) << c.file;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}
