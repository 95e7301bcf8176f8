#pragma once
// The host's track as the car sees it: ground and wall queries and the two
// timing lines. The host implements it; positions in the table are fixed, so
// unused positions hold placeholders.

#include "chassis/vector3.h"

class ICar;

// One ground surface of the track. Its contents are the host's; the car only
// compares surfaces and hands them back to the track.
struct TrackSurface;

// Per-wheel memory the track may use to speed up repeated queries; the car
// keeps one per wheel and hands it back with every query.
struct GroundQueryCache {
    int hint = -1;  // the track's own meaning; -1 = nothing remembered
};

// The three values a surface gives the tyres.
struct SurfaceInfo {
    int kind;        // 0 asphalt, 1 gravel, 2 kerb, 3 sand
    float friction;  // grip factor
    float blend;     // how much of the surface's character blends into the tyre
};

// A wall as a plane a·x + b·y + c·z + d = 0 with its normal pointing at the road.
struct WallRecord {
    float a, b, c, d;
};

class ITrack {
public:
    virtual void unusedSlot0() = 0;
    // Casts from `point` straight down. Returns the surface hit (or null) and
    // fills the hit point, the ground normal and the surface's values.
    virtual const TrackSurface* queryGround(const Vector3& point, Vector3& hit, Vector3& normal,
                                            const TrackSurface* previous, const SurfaceInfo** info,
                                            GroundQueryCache* cache, int reserved) = 0;
    // The wall nearest to the car, or null when no wall is close.
    virtual const WallRecord* queryWall(ICar* car) = 0;
    virtual float trackValue() = 0;
    virtual void unusedSlot4() = 0;
    virtual bool isFinishLine(const TrackSurface* surface) = 0;
    virtual bool isIntermediateLine(const TrackSurface* surface) = 0;

protected:
    ~ITrack() = default;
};
