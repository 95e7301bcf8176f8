#include "sound/sound_channel.h"

#include <cstdio>

#include "sound/sound_buffer.h"
#include "sound/sound_system.h"

RSoundChannel::RSoundChannel(RSoundSystem* system_, int32_t number_) : system(system_), number(number_) {}

void RSoundChannel::attach(RSoundBuffer* b)
{
    RMixer* mixer = system ? system->mixer : nullptr;
    if (b && mixer) {
        const MixerSession s = system->session;
        if (b->frequency != 0) mixer->setFrequency(s, number, kFlags, b->frequency);
        mixer->setVolume(s, number, kFlags, static_cast<int32_t>(b->volume * volume * kFullVolume));
        // The mixer gets copies, so it never holds on to the buffer's fields.
        const float position[3] = {b->position[0], b->position[1], b->position[2]};
        const float velocity[3] = {b->velocity[0], b->velocity[1], b->velocity[2]};
        mixer->setSourcePosition(s, number, kFlags, position);
        mixer->setSourceVelocity(s, number, kFlags, velocity);
        const MixerDistanceRecord record{static_cast<int32_t>(sizeof(MixerDistanceRecord)), b->mapDistanceA,
                                         1000.0f, b->mapDistanceB};
        mixer->setDistanceMapping(s, number, kFlags, &record);
    }
    buffer = b;
}

void RSoundChannel::play(int32_t loops)
{
    if (!buffer || !system || !system->mixer) return;
    if (resetFrequency) {
        system->mixer->setFrequency(system->session, number, kFlags, kFirstPlayFrequency);
        resetFrequency = false;
    }
    system->mixer->playEx(system->session, number, 1, buffer->wave, loops, 0);
}

void RSoundChannel::playQueued()
{
    if (!buffer || !system || !system->mixer) return;
    std::printf("playing queued on %d chan\n", number);
    system->mixer->playEx(system->session, number, 0, buffer->wave, 0, 0);
}

bool RSoundChannel::isDone() const
{
    if (!system || !system->mixer) return true;
    return system->mixer->isChannelDone(system->session, number) != 0;
}
