// RAnimationKey: one segment of a frame's animation track, between two
// consecutive keys of one kind (rotation or position) on one frame. The
// frame owns its segments; reading them from files and evaluating them at a
// time belongs to the animation player.
#pragma once

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

// A rotation as a unit quaternion (x, y, z the vector part).
struct RQuaternion {
    float x, y, z, w;
};

struct RAnimationKey {
    RQuaternion startRotation{0.0f, 0.0f, 0.0f, 1.0f};  // rotation segments
    RQuaternion endRotation{0.0f, 0.0f, 0.0f, 1.0f};
    Matrix4 workStart;  // working matrices, identity at creation
    Matrix4 workEnd;
    float step = 0.005f;
    int frame = 0;      // key time of the first key
    int startTime = 0;  // key times (frame numbers) of the two keys
    int endTime = 0;
    int isPosition = 0;  // 0 rotation segment, 1 position segment
    Vector3 startPosition{0.0f, 0.0f, 0.0f};  // position segments
    Vector3 endPosition{0.0f, 0.0f, 0.0f};
};
