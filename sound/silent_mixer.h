#pragma once
// RSilentMixer: a mixer that renders nothing but keeps time like one that
// does. A channel played once reads as finished when the wave's length has
// passed on the clock its owner advances (simulated time for vqsim), at the
// channel's frequency or, before one is set, the wave's own rate; a looping
// channel never finishes. Runs without sound therefore see the same
// "finished" answers as runs with it. Waves are read only for their length.

#include <cstdint>
#include <map>

#include "sound/mixer.h"

class RSilentMixer : public RMixer {
public:
    // Moves the clock to `seconds` (it never runs backwards).
    void advanceTo(double seconds);

    MixerSession initSession() override { return 1; }
    void closeSession(MixerSession) override {}
    // 0 when the file is not a readable wave.
    MixerWave openWave(MixerSession session, const char* path, int32_t a, int32_t b) override;
    void freeWave(MixerSession session, MixerWave wave) override;
    void setFrequency(MixerSession session, int32_t channel, int32_t flags, int32_t hz) override;
    void setVolume(MixerSession, int32_t, int32_t, int32_t) override {}
    void setSourcePosition(MixerSession, int32_t, int32_t, const float*) override {}
    void setSourceVelocity(MixerSession, int32_t, int32_t, const float*) override {}
    void setDistanceMapping(MixerSession, int32_t, int32_t, const void*) override {}
    void playEx(MixerSession session, int32_t channel, int32_t mode, MixerWave wave, int32_t loops,
                int32_t last) override;
    int32_t isChannelDone(MixerSession session, int32_t channel) override;
    void setListener(const float*, const float*, const float*, const float*) override {}

private:
    struct Wave {
        double frames = 0;
        int32_t rate = 0;
    };
    struct Channel {
        int32_t frequency = 0;  // 0: the wave's own rate
        double endsAt = 0;      // clock time the playing wave finishes
    };
    std::map<MixerWave, Wave> waves_;
    std::map<int32_t, Channel> channels_;
    MixerWave nextWave_ = 1;
    double now_ = 0;
};
