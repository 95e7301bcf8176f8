#pragma once
// The host's track: a closed centre line with surfaces by distance from it
// (asphalt, kerb, gravel, sand), a vertical wall beyond the sand on each side,
// and two thin strips across the road that serve as the finish and the
// intermediate line. The ground is level across the road and follows the
// centre line's height along it. Ground queries find the nearest centre-line
// segment through a uniform grid, never by scanning the whole loop.

#include <string>
#include <vector>

#include "car/track.h"
#include "chassis/vector3.h"

struct TrackSurface {
    SurfaceInfo info;
    const char* name;
};

class Track : public ITrack {
public:
    // Reads a track file ("track.txt" of a track folder). On failure returns
    // false with a message naming the file and the line.
    bool load(const std::string& path, std::string& error);

    // A flat test strip instead of a file: two straights of `straight` metres
    // joined by half circles of `radius` metres, the finish line 50 m into the
    // first straight and the intermediate line on the way back. Its walls
    // stand at the kerbs' outer edge, with no gravel or sand before them: a
    // car that meets a wall there is still on a hard surface and can drive
    // on, which impact tests need (the run-off traps a car).
    void makeStrip(float straight, float radius);
    // A flat circle of the given radius, driven anticlockwise seen from above
    // (turning left), for steady-state cornering.
    void makeCircle(float radius);

    // ITrack
    void unusedSlot0() override {}
    const TrackSurface* queryGround(const Vector3& point, Vector3& hit, Vector3& normal, const TrackSurface* previous,
                                    const SurfaceInfo** info, GroundQueryCache* cache, int reserved) override;
    const WallRecord* queryWall(ICar* car) override;
    float trackValue() override { return length_; }  // the lap length, m
    void unusedSlot4() override {}
    bool isFinishLine(const TrackSurface* surface) override { return surface == &finishLine_; }
    bool isIntermediateLine(const TrackSurface* surface) override { return surface == &intermediateLine_; }

    // Where a point lies relative to the centre line.
    struct Placement {
        int segment = 0;
        float s = 0;        // distance along the lap from the first point, m
        float lateral = 0;  // signed distance from the centre line, + to the left, m
        float height = 0;   // ground height under the point, m
        Vector3 tangent{0, 0, 1};
        Vector3 left{1, 0, 0};
        float grade = 0;    // rise per metre along the tangent
    };
    Placement place(float x, float z) const;

    // The centre line at a distance along the lap (wrapped into the lap).
    Vector3 centreAt(float s) const;
    Vector3 tangentAt(float s) const;
    // Signed curvature (1/m, + turning left) around s, over a window of the
    // given length.
    float curvatureAt(float s, float window = 10.0f) const;

    float length() const { return length_; }
    float finishAt() const { return finishAt_; }
    float roadHalfWidth() const { return roadHalfWidth_; }
    // Widths of the bands beyond the road on each side, m.
    float kerbWidth() const { return kerbWidth_; }
    float gravelWidth() const { return gravelWidth_; }
    float sandWidth() const { return sandWidth_; }
    float intermediateAt() const { return intermediateAt_; }
    float lineLength() const { return lineLength_; }  // the timing lines' depth along the road, m
    float wallOffset() const { return roadHalfWidth_ + kerbWidth_ + gravelWidth_ + sandWidth_; }
    const std::string& name() const { return name_; }
    const std::vector<Vector3>& centreLine() const { return points_; }

    // The surface at a lateral offset and lap distance; exposed for reports.
    const TrackSurface* surfaceAt(float s, float lateral) const;

private:
    // Lap distances, segment lengths and the grid, once the points are in.
    bool finishPoints(const std::string& origin, std::string& error);
    void buildIndex();
    float wrap(float s) const;
    int segmentAt(float s) const;

    std::string name_;
    float roadHalfWidth_ = 6.0f, kerbWidth_ = 1.0f, gravelWidth_ = 10.0f, sandWidth_ = 5.0f;
    float finishAt_ = 0, intermediateAt_ = 0, lineLength_ = 2.0f;
    std::vector<Vector3> points_;
    std::vector<float> startS_;   // lap distance at each point
    std::vector<float> segLength_;
    float length_ = 0;

    // Uniform grid over the track's extent; each cell lists the segments that
    // pass within reach of it.
    float gridX0_ = 0, gridZ0_ = 0, cellSize_ = 25.0f;
    int gridW_ = 0, gridH_ = 0;
    std::vector<std::vector<int>> cells_;

    TrackSurface asphalt_{{0, 1.0f, 1.0f}, "asphalt"};
    TrackSurface kerb_{{2, 1.0f, 1.0f}, "kerb"};
    TrackSurface gravel_{{1, 0.55f, 0.4f}, "gravel"};
    TrackSurface sand_{{3, 0.6f, 0.15f}, "sand"};
    TrackSurface finishLine_{{0, 1.0f, 1.0f}, "finish line"};
    TrackSurface intermediateLine_{{0, 1.0f, 1.0f}, "intermediate line"};
    WallRecord wall_{};
};
