#include "host/track_mesh.h"

#include <algorithm>
#include <cmath>

#include "graphics/engine.h"
#include "graphics/material.h"
#include "graphics/mesh_builder.h"
#include "graphics/scene_frame.h"
#include "host/track.h"

namespace {
// Small lifts keep overlapping bands from fighting in the depth buffer where
// a tight bend folds the outer ones over each other: the road on top.
constexpr float kLineLift = 0.015f;
constexpr float kKerbLift = 0.005f;
constexpr float kRunOffDrop = -0.01f;
constexpr float kGrassDrop = -0.04f;
constexpr float kGrassBeyondWall = 60.0f;  // m of grass outside each wall
constexpr float kWallHeight = 1.2f;        // m
constexpr float kFieldSize = 4000.0f;      // m, the square field under everything
constexpr float kFieldDrop = 2.0f;         // m below the lowest centre point
constexpr int kKerbStripe = 2;             // segments per red or white kerb stripe

RMaterial* colour(REngine& engine, float r, float g, float b)
{
    RMaterial* m = engine.createMaterial();
    m->setDiffuse(r, g, b);
    m->setSpecular(0, 0, 0);
    m->setTwoSided(true);
    return m;
}

// The left-pointing horizontal unit vector across a direction of travel.
Vector3 leftOf(const Vector3& tangent)
{
    const Vector3 left{tangent.z, 0, -tangent.x};
    const float n = left.length();
    return n > 1e-6f ? left * (1.0f / n) : Vector3{1, 0, 0};
}
}  // namespace

CSceneFrame* buildTrackMesh(REngine& engine, const Track& track)
{
    CSceneFrame* frame = engine.createFrame();
    frame->name = "TRACK";
    const std::vector<Vector3>& points = track.centreLine();
    const size_t n = points.size();
    if (n < 3) return frame;

    RMeshBuilder road(&engine, frame, colour(engine, 0.42f, 0.42f, 0.43f));
    RMeshBuilder kerbRed(&engine, frame, colour(engine, 0.85f, 0.08f, 0.06f));
    RMeshBuilder kerbWhite(&engine, frame, colour(engine, 0.95f, 0.95f, 0.95f));
    RMeshBuilder gravel(&engine, frame, colour(engine, 0.62f, 0.58f, 0.50f));
    RMeshBuilder sand(&engine, frame, colour(engine, 0.86f, 0.76f, 0.52f));
    RMeshBuilder grass(&engine, frame, colour(engine, 0.25f, 0.55f, 0.18f));
    RMeshBuilder wall(&engine, frame, colour(engine, 0.75f, 0.75f, 0.78f));
    RMeshBuilder lines(&engine, frame, colour(engine, 1.0f, 1.0f, 1.0f));
    RMeshBuilder field(&engine, frame, colour(engine, 0.22f, 0.48f, 0.16f));

    // Left direction at each point: the mean of the two segments meeting there.
    std::vector<Vector3> left(n);
    for (size_t i = 0; i < n; ++i) {
        const Vector3 ahead = points[(i + 1) % n] - points[i];
        const Vector3 behind = points[i] - points[(i + n - 1) % n];
        left[i] = leftOf(ahead.normalised() + behind.normalised());
    }
    const Vector3 up{0, 1, 0};
    const float road0 = track.roadHalfWidth();
    const float kerb0 = road0 + track.kerbWidth();
    const float gravel0 = kerb0 + track.gravelWidth();
    const float sand0 = gravel0 + track.sandWidth();
    const float grass0 = sand0 + kGrassBeyondWall;
    auto at = [&](size_t i, float lateral, float lift) {
        return points[i % n] + left[i % n] * lateral + Vector3{0, lift, 0};
    };
    // A band between two lateral offsets on one side from point i to i + 1.
    auto band = [&](RMeshBuilder& b, size_t i, float from, float to, float lift) {
        b.quad(at(i, from, lift), at(i + 1, from, lift), at(i + 1, to, lift), at(i, to, lift), up);
    };
    float lowest = points[0].y;
    for (size_t i = 0; i < n; ++i) {
        lowest = std::min(lowest, points[i].y);
        band(road, i, -road0, road0, 0);
        RMeshBuilder& kerb = (i / kKerbStripe) % 2 ? kerbWhite : kerbRed;
        for (float sideSign : {1.0f, -1.0f}) {
            band(kerb, i, sideSign * road0, sideSign * kerb0, kKerbLift);
            band(gravel, i, sideSign * kerb0, sideSign * gravel0, kRunOffDrop);
            band(sand, i, sideSign * gravel0, sideSign * sand0, kRunOffDrop);
            band(grass, i, sideSign * sand0, sideSign * grass0, kGrassDrop);
            const Vector3 a = at(i, sideSign * sand0, kGrassDrop), b = at(i + 1, sideSign * sand0, kGrassDrop);
            const Vector3 rise{0, kWallHeight - kGrassDrop, 0};
            wall.quad(a, b, b + rise, a + rise, left[i] * -sideSign);
        }
    }
    // The timing lines: white strips across the road.
    for (float s : {track.finishAt(), track.intermediateAt()}) {
        const Vector3 c = track.centreAt(s);
        const Vector3 t = track.tangentAt(s);
        const Vector3 l = leftOf(t);
        const Vector3 half = t * (track.lineLength() / 2);
        const Vector3 lift{0, kLineLift, 0};
        lines.quad(c - l * road0 - half + lift, c - l * road0 + half + lift, c + l * road0 + half + lift,
                   c + l * road0 - half + lift, up);
    }
    // The field: a square under the whole track, out to the horizon.
    Vector3 mid{0, 0, 0};
    for (const Vector3& p : points) mid = mid + p * (1.0f / n);
    const float h = lowest - kFieldDrop, r = kFieldSize / 2;
    field.quad({mid.x - r, h, mid.z - r}, {mid.x + r, h, mid.z - r}, {mid.x + r, h, mid.z + r},
               {mid.x - r, h, mid.z + r}, up);
    frame->buildBuffers();
    return frame;
}
