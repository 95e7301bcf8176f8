#include "sound/sound_buffer.h"

#include <cstdio>
#include <cstdlib>

#include "sound/sound_system.h"
#include "system/system.h"

RSoundBuffer::RSoundBuffer(RSoundSystem* system_) : system(system_) {}

RSoundBuffer::~RSoundBuffer()
{
    if (wave != 0 && system && system->mixer) system->mixer->freeWave(system->session, wave);
}

void RSoundBuffer::loadWAV(const std::string& path)
{
    if (!RSystem().fileExists(path)) {
        std::printf("RSoundBuffer::loadWAV : file not found %s\n", path.c_str());
        std::fflush(stdout);
        std::exit(0);
    }
    if (system && system->mixer) wave = system->mixer->openWave(system->session, path.c_str(), 0, 1);
}

void RSoundBuffer::setDistance(float a, float b)
{
    mapDistanceA = a;
    mapDistanceB = b;
}

void RSoundBuffer::setPosition(float x, float y, float z)
{
    position[0] = x;
    position[1] = y;
    position[2] = z;
}

void RSoundBuffer::setVelocity(float x, float y, float z)
{
    velocity[0] = x;
    velocity[1] = y;
    velocity[2] = z;
}

void RSoundBuffer::setFrequency(int32_t hz)
{
    if (hz != 0) frequency = hz;
}

void RSoundBuffer::setVolume(float v)
{
    if (v >= 0.0f && v <= 1.0f) volume = v;
}
