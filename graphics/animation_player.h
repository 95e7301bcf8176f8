// RAnimationPlayer: plays the animation tracks of frames (their rotation and
// position segments) over a duration in milliseconds, once or looping, by
// the engine's frame-time scale. Each segment drives its frame's matrix:
// rotation segments the orientation rows by spherical interpolation,
// position segments the position row linearly. Keys stay the frames'.
#pragma once

#include <vector>

class CSceneFrame;
class REngine;
struct RAnimationKey;

class RAnimationPlayer {
public:
    // One segment to play: a key of a frame's track and that frame. The
    // entries are the player's; the key and the frame are not.
    struct Segment {
        CSceneFrame* frame = nullptr;
        const RAnimationKey* key = nullptr;
        bool active = false;  // currentFrame lay inside the segment last update
    };

    explicit RAnimationPlayer(REngine* engine = nullptr) : engine(engine) {}
    RAnimationPlayer(const RAnimationPlayer&) = delete;
    RAnimationPlayer& operator=(const RAnimationPlayer&) = delete;

    // Appends; the first segment sets firstFrame and lastFrame from its key
    // times, later ones widen them.
    void addSegment(CSceneFrame* frame, const RAnimationKey* key);
    // Every segment of every frame's track in the subtree, depth first.
    void addFrameTracks(CSceneFrame* root);

    void play(bool loopIt);
    void stop() { playing = false; }
    void freeze() { frozen = true; }
    void setDuration(int ms) { durationMs = ms; }
    // Once per drawn frame: advances the clock by timeScale × 33 ms while
    // playing, evaluates the segments that contain the current key time
    // (and once more at its end a segment just left), and restarts or stops
    // past the duration.
    void update();

    // The key time shown, and the frame's pose a segment gives at `time`.
    static void evaluate(CSceneFrame* frame, const RAnimationKey& key, float time);

    std::vector<Segment> segments;
    int firstFrame = 0;
    int lastFrame = 0;
    int durationMs = 2000;
    REngine* engine;
    float currentFrame = 0.0f;  // key time now
    float timeMs = 0.0f;
    bool playing = false;
    bool loop = false;
    bool frozen = false;
};
