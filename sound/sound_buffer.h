#pragma once
// RSoundBuffer: one wave opened in the host's mixer with the playback
// parameters the next attach sends to a channel: position, velocity,
// distance mapping, frequency and volume. Setting a parameter changes
// nothing audible until the buffer is attached again.

#include <cstdint>
#include <string>

#include "sound/mixer.h"

class RSoundSystem;

class RSoundBuffer {
public:
    explicit RSoundBuffer(RSoundSystem* system);
    // Frees the wave in the mixer when one was opened.
    virtual ~RSoundBuffer();
    RSoundBuffer(const RSoundBuffer&) = delete;
    RSoundBuffer& operator=(const RSoundBuffer&) = delete;

    // Opens the wave at path. A missing file prints
    // "RSoundBuffer::loadWAV : file not found <path>" and ends the process
    // with exit code 0.
    void loadWAV(const std::string& path);

    void setDistance(float a, float b);
    void setPosition(float x, float y, float z);
    void setVelocity(float x, float y, float z);
    // Hz; 0 keeps the current frequency.
    void setFrequency(int32_t hz);
    // 0..1; anything else (NaN included) keeps the current volume.
    void setVolume(float v);

    RSoundSystem* system = nullptr;
    MixerWave wave = 0;
    float position[3] = {0.0f, 0.0f, 0.0f};  // world units
    float velocity[3] = {0.0f, 0.0f, 0.0f};  // world units per second
    float mapDistanceA = 0.1f;
    float mapDistanceB = 1.0f;
    int32_t frequency = 22050;  // Hz; 0 leaves the channel's
    float volume = 1.0f;        // 0..1
};
