#include "sound/sound_system.h"

#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"

RSoundSystem::RSoundSystem(RMixer* mixer_, int32_t channelCount) : mixer(mixer_)
{
    if (mixer) session = mixer->initSession();
    for (int32_t i = 0; i < channelCount; ++i) channels.push_back(new RSoundChannel(this, i));
}

RSoundSystem::~RSoundSystem()
{
    for (RSoundBuffer* buffer : buffers) delete buffer;
    for (RSoundChannel* channel : channels) delete channel;
    if (mixer) mixer->closeSession(session);
}

RSoundBuffer* RSoundSystem::createBuffer(const std::string& path)
{
    auto* buffer = new RSoundBuffer(this);
    buffer->loadWAV(path);
    buffers.push_back(buffer);
    return buffer;
}

RSoundChannel* RSoundSystem::channel(int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= channels.size()) return nullptr;
    return channels[static_cast<std::size_t>(index)];
}
