#pragma once
// RSoundChannel: one of the host's numbered mixer channels. Attaching a
// buffer pushes that buffer's parameters to the mixer channel; play and
// playQueued start the attached buffer looping or once.

#include <cstdint>

class RSoundBuffer;
class RSoundSystem;

class RSoundChannel {
public:
    // Flag value passed with every per-channel mixer call.
    static constexpr int32_t kFlags = 32;
    // Frequency sent once before a channel's first play.
    static constexpr int32_t kFirstPlayFrequency = 22050;
    // Volume sent for a buffer volume of 1 on a channel gain of 1.
    static constexpr float kFullVolume = 32760.0f;

    RSoundChannel(RSoundSystem* system, int32_t number);

    // Sends buffer's frequency (unless 0), volume, position, velocity and
    // distance record to the mixer, then keeps buffer. Null only detaches.
    void attach(RSoundBuffer* buffer);
    // Starts the attached buffer, loops extra times (-1 endless).
    void play(int32_t loops);
    // Starts the attached buffer once, printing "playing queued on N chan".
    void playQueued();
    // True when the mixer reports the channel finished.
    bool isDone() const;

    RSoundSystem* system = nullptr;
    RSoundBuffer* buffer = nullptr;
    int32_t number = 0;
    float volume = 1.0f;  // channel gain 0..1, kept by the host
    bool resetFrequency = true;
};
