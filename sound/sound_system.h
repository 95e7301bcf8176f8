#pragma once
// RSoundSystem: the host's sound system as the car receives it: the mixer
// session, the buffers created through it (owned here) and the host's
// numbered channels. The host builds it over a mixer of its choice; the car
// only creates buffers and drives channels. Listener placement stays with
// the host and its mixer.

#include <cstdint>
#include <string>
#include <vector>

#include "sound/mixer.h"

class RSoundBuffer;
class RSoundChannel;

class RSoundSystem {
public:
    // Opens a session on mixer (not owned; it must outlive the system) and
    // creates channelCount channels numbered 0, 1, ... in that order.
    RSoundSystem(RMixer* mixer, int32_t channelCount);
    // Frees every buffer's wave, deletes the channels, closes the session.
    ~RSoundSystem();
    RSoundSystem(const RSoundSystem&) = delete;
    RSoundSystem& operator=(const RSoundSystem&) = delete;

    // A new buffer with the wave at path loaded (a missing file ends the
    // process); the system keeps and later deletes it.
    RSoundBuffer* createBuffer(const std::string& path);
    // The channel at index, or null when there is none.
    RSoundChannel* channel(int32_t index) const;

    // Fields in this order; the host and the car read them directly.
    MixerSession session = 0;
    std::vector<RSoundBuffer*> buffers;
    std::vector<RSoundChannel*> channels;
    // Addition of this port, after the fields above: the mixer the session
    // belongs to, which buffers and channels call.
    RMixer* mixer = nullptr;
};
