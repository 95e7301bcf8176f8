#include "graphics/animation_player.h"

#include <cmath>

#include "graphics/animation_key.h"
#include "graphics/engine.h"
#include "graphics/scene_frame.h"

namespace {

RQuaternion slerp(RQuaternion a, RQuaternion b, float s) {
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    // The shorter way round.
    if (d < 0.0f) {
        b = RQuaternion{-b.x, -b.y, -b.z, -b.w};
        d = -d;
    }
    float ka, kb;
    if (d > 0.9995f) {
        ka = 1.0f - s;
        kb = s;
    } else {
        const float theta = std::acos(d);
        const float sinTheta = std::sin(theta);
        ka = std::sin((1.0f - s) * theta) / sinTheta;
        kb = std::sin(s * theta) / sinTheta;
    }
    RQuaternion q{ka * a.x + kb * b.x, ka * a.y + kb * b.y, ka * a.z + kb * b.z, ka * a.w + kb * b.w};
    const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (n > 0.0f) q = RQuaternion{q.x / n, q.y / n, q.z / n, q.w / n};
    return q;
}

// Rows 0-2 of a row-vector rotation matrix for q; row 3 is left alone.
void setRotation(Matrix4& m, const RQuaternion& q) {
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    m.at(0, 0) = 1.0f - 2.0f * (yy + zz);
    m.at(0, 1) = 2.0f * (xy + wz);
    m.at(0, 2) = 2.0f * (xz - wy);
    m.at(1, 0) = 2.0f * (xy - wz);
    m.at(1, 1) = 1.0f - 2.0f * (xx + zz);
    m.at(1, 2) = 2.0f * (yz + wx);
    m.at(2, 0) = 2.0f * (xz + wy);
    m.at(2, 1) = 2.0f * (yz - wx);
    m.at(2, 2) = 1.0f - 2.0f * (xx + yy);
}

}  // namespace

void RAnimationPlayer::addSegment(CSceneFrame* frame, const RAnimationKey* key) {
    if (key == nullptr) return;
    if (segments.empty()) {
        firstFrame = key->startTime;
        lastFrame = key->endTime;
    } else {
        if (key->startTime < firstFrame) firstFrame = key->startTime;
        if (key->endTime > lastFrame) lastFrame = key->endTime;
    }
    segments.push_back(Segment{frame, key, false});
}

void RAnimationPlayer::addFrameTracks(CSceneFrame* root) {
    if (root == nullptr) return;
    for (const RAnimationKey* key : root->animation) addSegment(root, key);
    for (CSceneFrame* child : root->children) addFrameTracks(child);
}

void RAnimationPlayer::play(bool loopIt) {
    frozen = false;
    currentFrame = 0.0f;
    timeMs = 0.0f;
    playing = true;
    loop = loopIt;
}

void RAnimationPlayer::evaluate(CSceneFrame* frame, const RAnimationKey& key, float time) {
    if (frame == nullptr) return;
    const float span = static_cast<float>(key.endTime - key.startTime);
    float s = span > 0.0f ? (time - static_cast<float>(key.startTime)) / span : 1.0f;
    s = s < 0.0f ? 0.0f : (s > 1.0f ? 1.0f : s);
    if (key.isPosition) {
        const Vector3& a = key.startPosition;
        const Vector3& b = key.endPosition;
        frame->setPosition(a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s);
    } else {
        setRotation(frame->matrix, slerp(key.startRotation, key.endRotation, s));
    }
}

void RAnimationPlayer::update() {
    if (frozen) return;
    if (playing) {
        timeMs += (engine != nullptr ? engine->timeScale : 1.0f) * 33.0f;
        currentFrame = durationMs > 0 ? static_cast<float>(lastFrame) * timeMs / static_cast<float>(durationMs)
                                      : static_cast<float>(lastFrame);
    } else {
        if (currentFrame == 0.0f) return;
        currentFrame = 0.0f;
    }
    for (Segment& segment : segments) {
        const RAnimationKey& key = *segment.key;
        if (static_cast<float>(key.startTime) <= currentFrame && currentFrame <= static_cast<float>(key.endTime)) {
            evaluate(segment.frame, key, currentFrame);
            segment.active = true;
        } else if (segment.active) {
            evaluate(segment.frame, key, static_cast<float>(key.endTime));
            segment.active = false;
        }
    }
    if (timeMs > static_cast<float>(durationMs)) {
        if (loop) {
            timeMs = 0.0f;
            currentFrame = 0.0f;
            playing = true;
        } else {
            playing = false;
        }
    }
}
