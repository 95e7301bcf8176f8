#include "sound/silent_mixer.h"

#include <algorithm>
#include <limits>

#include "sound/wav_reader.h"

void RSilentMixer::advanceTo(double seconds) { now_ = std::max(now_, seconds); }

MixerWave RSilentMixer::openWave(MixerSession, const char* path, int32_t, int32_t)
{
    WaveData data;
    if (!path || !readWavFile(path, data) || data.sampleRate <= 0) return 0;
    const MixerWave handle = nextWave_++;
    waves_[handle] = {static_cast<double>(data.frames()), data.sampleRate};
    return handle;
}

void RSilentMixer::freeWave(MixerSession, MixerWave wave) { waves_.erase(wave); }

void RSilentMixer::setFrequency(MixerSession, int32_t channel, int32_t, int32_t hz)
{
    channels_[channel].frequency = hz;
}

void RSilentMixer::playEx(MixerSession, int32_t channel, int32_t mode, MixerWave wave, int32_t loops, int32_t)
{
    Channel& c = channels_[channel];
    const auto found = waves_.find(wave);
    if (found == waves_.end()) {
        c.endsAt = now_;
        return;
    }
    if (mode == 1 && loops < 0) {
        c.endsAt = std::numeric_limits<double>::infinity();
        return;
    }
    const int32_t rate = c.frequency > 0 ? c.frequency : found->second.rate;
    const double plays = mode == 1 ? loops + 1.0 : 1.0;
    c.endsAt = now_ + plays * found->second.frames / rate;
}

int32_t RSilentMixer::isChannelDone(MixerSession, int32_t channel)
{
    const auto found = channels_.find(channel);
    return found == channels_.end() || now_ >= found->second.endsAt ? 1 : 0;
}
