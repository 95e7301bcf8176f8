#pragma once
// ROpenALMixer: the host's 3D mixer over OpenAL Soft. Channel numbers map to
// sources created on first use, waves to buffers; frequency becomes pitch
// against the wave's own rate, volume / 32760 the gain, and the distance
// record the inverse-distance-clamped fall-off. With no sound hardware (or
// when asked) it opens the loopback device and renders on demand into
// 16-bit stereo at 44100 Hz. It never fails a run: without OpenAL at all
// every call does nothing and every channel reads as finished.
// Not modelled: effects, cones, streaming, queueing behind a playing sound.

#include <cstdint>
#include <map>
#include <vector>

#include "sound/mixer.h"

// OpenAL's own opaque handle types (ALCdevice, ALCcontext).
struct ALCdevice_struct;
struct ALCcontext_struct;

class ROpenALMixer : public RMixer {
public:
    enum class Output {
        Device,    // the default sound device, loopback when there is none
        Loopback,  // nothing is heard; the caller pulls the mix with render()
    };
    static constexpr int32_t kLoopbackRate = 44100;  // frames per second, stereo 16-bit
    static constexpr int32_t kMaxChannels = 256;     // channel numbers 0..255

    explicit ROpenALMixer(Output output);
    ~ROpenALMixer() override;
    ROpenALMixer(const ROpenALMixer&) = delete;
    ROpenALMixer& operator=(const ROpenALMixer&) = delete;

    bool isOpen() const { return context != nullptr; }
    bool isLoopback() const { return loopback; }

    // Loopback only: the next frames of the mix, interleaved left/right, in
    // out (resized to 2 · frames). Silence for a device mixer or none.
    void render(std::vector<int16_t>& out, int32_t frames);

    MixerSession initSession() override;
    void closeSession(MixerSession session) override;
    MixerWave openWave(MixerSession session, const char* path, int32_t a, int32_t b) override;
    void freeWave(MixerSession session, MixerWave wave) override;
    void setFrequency(MixerSession session, int32_t channel, int32_t flags, int32_t hz) override;
    void setVolume(MixerSession session, int32_t channel, int32_t flags, int32_t volume) override;
    void setSourcePosition(MixerSession session, int32_t channel, int32_t flags, const float* xyz) override;
    void setSourceVelocity(MixerSession session, int32_t channel, int32_t flags, const float* xyz) override;
    void setDistanceMapping(MixerSession session, int32_t channel, int32_t flags, const void* record) override;
    void playEx(MixerSession session, int32_t channel, int32_t mode, MixerWave wave, int32_t loops,
                int32_t last) override;
    int32_t isChannelDone(MixerSession session, int32_t channel) override;
    void setListener(const float* position, const float* velocity, const float* forward,
                     const float* up) override;

    // How a distance record becomes OpenAL source parameters (public so
    // the mapping can be checked without a device).
    struct Attenuation {
        float referenceDistance;
        float maxDistance;
        float rolloff;
    };
    static Attenuation attenuationFor(const MixerDistanceRecord& record);

private:
    struct Wave {
        unsigned buffer = 0;
        int32_t rate = 0;
    };
    struct Channel {
        unsigned source = 0;
        int32_t frequency = 0;  // Hz asked for; 0 = the wave's own rate
        MixerWave wave = 0;     // last wave started, for its rate
    };

    bool makeCurrent() const;
    bool openLoopback();
    Channel* channelFor(int32_t number);
    void applyPitch(Channel& channel);

    ALCdevice_struct* device = nullptr;
    ALCcontext_struct* context = nullptr;
    bool loopback = false;
    MixerWave nextWave = 1;
    std::map<MixerWave, Wave> waves;
    std::map<int32_t, Channel> channels;
};
