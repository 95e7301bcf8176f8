#include "sound/openal_mixer.h"

#include <AL/al.h>
#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "sound/wav_reader.h"

namespace {

// Our world is +Y up, +Z forward, +X right (left-handed); OpenAL's is
// right-handed. Mirroring z on every position, velocity and listener axis
// keeps left and right where they belong.
void toAl(const float* in, ALfloat* out)
{
    out[0] = in[0];
    out[1] = in[1];
    out[2] = -in[2];
}

}  // namespace

ROpenALMixer::ROpenALMixer(Output output)
{
    if (output == Output::Device) {
        device = alcOpenDevice(nullptr);
        if (device) {
            context = alcCreateContext(device, nullptr);
            if (!context) {
                alcCloseDevice(device);
                device = nullptr;
            }
        }
        if (!context) std::printf("ROpenALMixer: no sound device, mixing into loopback\n");
    }
    if (!context) openLoopback();
    if (context) alcMakeContextCurrent(context);
}

bool ROpenALMixer::openLoopback()
{
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
    device = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!device) return false;
    if (!alcIsRenderFormatSupportedSOFT(device, kLoopbackRate, ALC_STEREO_SOFT, ALC_SHORT_SOFT)) {
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    // Plain stereo panning: a listener-dependent head model would make the
    // rendered mix depend on the machine's configuration.
    std::vector<ALCint> attributes = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                      ALC_SHORT_SOFT,           ALC_FREQUENCY,   kLoopbackRate};
    if (alcIsExtensionPresent(device, "ALC_SOFT_HRTF")) {
        attributes.push_back(ALC_HRTF_SOFT);
        attributes.push_back(ALC_FALSE);
    }
    attributes.push_back(0);
    context = alcCreateContext(device, attributes.data());
    if (!context) {
        alcCloseDevice(device);
        device = nullptr;
        return false;
    }
    loopback = true;
    return true;
}

ROpenALMixer::~ROpenALMixer()
{
    if (!context) return;
    makeCurrent();
    for (auto& [number, channel] : channels) {
        alSourceStop(channel.source);
        alDeleteSources(1, &channel.source);
    }
    for (auto& [handle, wave] : waves) alDeleteBuffers(1, &wave.buffer);
    if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

bool ROpenALMixer::makeCurrent() const
{
    if (!context) return false;
    // Several mixers may live side by side (tests); the calls go to the
    // current context, so make ours current when it is not.
    if (alcGetCurrentContext() != context) alcMakeContextCurrent(context);
    return true;
}

void ROpenALMixer::render(std::vector<int16_t>& out, int32_t frames)
{
    out.assign(static_cast<std::size_t>(std::max(frames, 0)) * 2, 0);
    if (!loopback || !context || frames <= 0) return;
    alcRenderSamplesSOFT(device, out.data(), frames);
}

MixerSession ROpenALMixer::initSession()
{
    // One session per mixer: the mixer itself.
    return reinterpret_cast<MixerSession>(this);
}

void ROpenALMixer::closeSession(MixerSession) {}

MixerWave ROpenALMixer::openWave(MixerSession, const char* path, int32_t, int32_t)
{
    if (!makeCurrent() || !path) return 0;
    WaveData data;
    std::string why;
    if (!readWavFile(path, data, &why)) {
        std::printf("ROpenALMixer: cannot read wave %s (%s)\n", path, why.c_str());
        return 0;
    }
    Wave wave;
    wave.rate = data.sampleRate;
    alGetError();
    alGenBuffers(1, &wave.buffer);
    alBufferData(wave.buffer, data.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, data.samples.data(),
                 static_cast<ALsizei>(data.samples.size() * sizeof(int16_t)), data.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &wave.buffer);
        return 0;
    }
    const MixerWave handle = nextWave++;
    waves[handle] = wave;
    return handle;
}

void ROpenALMixer::freeWave(MixerSession, MixerWave handle)
{
    const auto it = waves.find(handle);
    if (it == waves.end() || !makeCurrent()) return;
    // A buffer still attached to a source cannot be deleted: stop and
    // detach every channel that last played it.
    for (auto& [number, channel] : channels) {
        if (channel.wave != handle) continue;
        alSourceStop(channel.source);
        alSourcei(channel.source, AL_BUFFER, 0);
        channel.wave = 0;
    }
    alDeleteBuffers(1, &it->second.buffer);
    waves.erase(it);
}

ROpenALMixer::Channel* ROpenALMixer::channelFor(int32_t number)
{
    if (number < 0 || number >= kMaxChannels || !makeCurrent()) return nullptr;
    const auto it = channels.find(number);
    if (it != channels.end()) return &it->second;
    Channel channel;
    alGetError();
    alGenSources(1, &channel.source);
    if (alGetError() != AL_NO_ERROR) return nullptr;
    return &(channels[number] = channel);
}

void ROpenALMixer::applyPitch(Channel& channel)
{
    const auto it = waves.find(channel.wave);
    float pitch = 1.0f;
    if (channel.frequency > 0 && it != waves.end())
        pitch = static_cast<float>(channel.frequency) / static_cast<float>(it->second.rate);
    alSourcef(channel.source, AL_PITCH, pitch);
}

void ROpenALMixer::setFrequency(MixerSession, int32_t number, int32_t, int32_t hz)
{
    Channel* channel = channelFor(number);
    if (!channel || hz <= 0) return;
    channel->frequency = hz;
    applyPitch(*channel);
}

void ROpenALMixer::setVolume(MixerSession, int32_t number, int32_t, int32_t volume)
{
    Channel* channel = channelFor(number);
    if (!channel) return;
    const float gain = std::clamp(static_cast<float>(volume) / 32760.0f, 0.0f, 1.0f);
    alSourcef(channel->source, AL_GAIN, gain);
}

void ROpenALMixer::setSourcePosition(MixerSession, int32_t number, int32_t, const float* xyz)
{
    Channel* channel = channelFor(number);
    if (!channel || !xyz) return;
    ALfloat p[3];
    toAl(xyz, p);
    alSourcefv(channel->source, AL_POSITION, p);
}

void ROpenALMixer::setSourceVelocity(MixerSession, int32_t number, int32_t, const float* xyz)
{
    Channel* channel = channelFor(number);
    if (!channel || !xyz) return;
    ALfloat v[3];
    toAl(xyz, v);
    alSourcefv(channel->source, AL_VELOCITY, v);
}

ROpenALMixer::Attenuation ROpenALMixer::attenuationFor(const MixerDistanceRecord& record)
{
    // With OpenAL's inverse-distance-clamped model the gain at distance d is
    //   A / (A + rolloff · (d − A)),  d clamped to [A, max].
    // A is the distance up to which the sound plays at full level; with
    // rolloff = 1 / B the level halves at A + A · B, so B stretches the
    // fall-off: (20, 2) halves at 60 m, (100, 4) at 500 m. Beyond the
    // maximum (1000) the level stops falling. Non-positive values fall back
    // to OpenAL's defaults (reference 1, rolloff 1) rather than silencing or
    // dividing by zero.
    Attenuation a{1.0f, record.maxDistance, 1.0f};
    if (record.distanceA > 0.0f) a.referenceDistance = record.distanceA;
    if (record.distanceB > 0.0f) a.rolloff = 1.0f / record.distanceB;
    if (!(a.maxDistance >= a.referenceDistance)) a.maxDistance = a.referenceDistance;
    return a;
}

void ROpenALMixer::setDistanceMapping(MixerSession, int32_t number, int32_t, const void* record)
{
    Channel* channel = channelFor(number);
    if (!channel || !record) return;
    MixerDistanceRecord r;
    std::memcpy(&r, record, sizeof r);
    if (r.size != static_cast<int32_t>(sizeof r)) return;  // not a record we know
    const Attenuation a = attenuationFor(r);
    alSourcef(channel->source, AL_REFERENCE_DISTANCE, a.referenceDistance);
    alSourcef(channel->source, AL_MAX_DISTANCE, a.maxDistance);
    alSourcef(channel->source, AL_ROLLOFF_FACTOR, a.rolloff);
}

void ROpenALMixer::playEx(MixerSession, int32_t number, int32_t mode, MixerWave handle, int32_t loops, int32_t)
{
    Channel* channel = channelFor(number);
    const auto it = waves.find(handle);
    if (!channel || it == waves.end()) return;
    const ALuint source = channel->source;
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    channel->wave = handle;
    if (mode == 1 && loops < 0) {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(it->second.buffer));
        alSourcei(source, AL_LOOPING, AL_TRUE);
    } else {
        // A counted repeat is the buffer queued that many times, which
        // keeps the seam sample-exact; the count is capped to stay small.
        const int32_t times = mode == 1 ? std::min(loops, 63) + 1 : 1;
        alSourcei(source, AL_LOOPING, AL_FALSE);
        const std::vector<ALuint> queue(static_cast<std::size_t>(times), it->second.buffer);
        alSourceQueueBuffers(source, times, queue.data());
    }
    applyPitch(*channel);
    alSourcePlay(source);
}

int32_t ROpenALMixer::isChannelDone(MixerSession, int32_t number)
{
    const auto it = channels.find(number);
    if (it == channels.end() || !makeCurrent()) return 1;
    ALint state = AL_STOPPED;
    alGetSourcei(it->second.source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || state == AL_PAUSED ? 0 : 1;
}

void ROpenALMixer::setListener(const float* position, const float* velocity, const float* forward,
                               const float* up)
{
    if (!makeCurrent()) return;
    ALfloat p[3], v[3], orientation[6];
    toAl(position, p);
    toAl(velocity, v);
    toAl(forward, orientation);
    toAl(up, orientation + 3);
    alListenerfv(AL_POSITION, p);
    alListenerfv(AL_VELOCITY, v);
    alListenerfv(AL_ORIENTATION, orientation);
}
