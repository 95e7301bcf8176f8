#pragma once
// RMixer: the host's 3D mixer as the sound code sees it: a session, waves
// opened from files, numbered channels with frequency, volume, source
// position and velocity, a distance mapping, play and a "finished" query.
// Only the values passed across are fixed; each back end decides what they
// mean when it renders (or, for the recording back end, that it renders nothing).

#include <cstdint>

using MixerSession = std::uintptr_t;  // 0 = no session
using MixerWave = std::uintptr_t;     // 0 = no wave

// The distance record the sound code hands over: a 16-byte block of a
// 32-bit size (16) and three floats. Back ends read it as reference distance,
// maximum distance and fall-off scale.
struct MixerDistanceRecord {
    int32_t size;
    float distanceA;
    float maxDistance;
    float distanceB;
};
static_assert(sizeof(MixerDistanceRecord) == 16, "the distance record is 16 bytes");

class RMixer {
public:
    virtual ~RMixer() = default;

    // The session the host opens once and hands to its sound system.
    virtual MixerSession initSession() = 0;
    virtual void closeSession(MixerSession session) = 0;

    // Loads the wave at path; 0 when it cannot be read. The two trailing
    // values are passed through as the caller gives them.
    virtual MixerWave openWave(MixerSession session, const char* path, int32_t a, int32_t b) = 0;
    virtual void freeWave(MixerSession session, MixerWave wave) = 0;

    // Per-channel parameters; flags is passed through unchanged.
    virtual void setFrequency(MixerSession session, int32_t channel, int32_t flags, int32_t hz) = 0;
    // volume: 0 (silent) to 32760 (full).
    virtual void setVolume(MixerSession session, int32_t channel, int32_t flags, int32_t volume) = 0;
    // xyz: three floats, world units (+Y up, +Z forward).
    virtual void setSourcePosition(MixerSession session, int32_t channel, int32_t flags, const float* xyz) = 0;
    virtual void setSourceVelocity(MixerSession session, int32_t channel, int32_t flags, const float* xyz) = 0;
    // record: a MixerDistanceRecord (its first field holds its size).
    virtual void setDistanceMapping(MixerSession session, int32_t channel, int32_t flags, const void* record) = 0;

    // Starts wave on channel. mode 1 plays it loops + 1 times (loops -1:
    // endlessly); mode 0 plays it once. Whatever the channel played stops.
    virtual void playEx(MixerSession session, int32_t channel, int32_t mode, MixerWave wave, int32_t loops,
                        int32_t last) = 0;
    // Non-zero when the channel plays nothing.
    virtual int32_t isChannelDone(MixerSession session, int32_t channel) = 0;

    // The listener (the camera), set by the host only; same units and axes
    // as the sources. forward and up need not be normalised.
    virtual void setListener(const float* position, const float* velocity, const float* forward,
                             const float* up) = 0;
};
