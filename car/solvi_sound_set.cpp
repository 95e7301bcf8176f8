#include "car/solvi_sound_set.h"

#include <algorithm>
#include <cstdio>

#include "services/ini_reader.h"
#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"
#include "sound/sound_system.h"

namespace {

// Frequency at which a wave recorded at 22050 Hz plays at its own pitch.
constexpr int64_t kNativeFrequency = 22050;

}  // namespace

void CSolviSoundSet::initSounds(RSoundSystem* system)
{
    soundSystem = system;
    if (!system) return;
    engineSound = system->createBuffer("cars/solvi/sfx/engine.wav");
    engineSound->setDistance(30.0f, 5.0f);
    hitSound = system->createBuffer("sfx/hit.wav");
    scrapeSound = system->createBuffer("sfx/bottom.wav");

    // The note runs for the car's whole life; the first update gives it a
    // level, so it starts silent rather than at the wave's recorded level.
    engineSound->setVolume(0.0f);
    if (RSoundChannel* engine = system->channel(kEngineChannel)) {
        engine->attach(engineSound);
        engine->play(-1);
    }
    loadSoundDescription("cars/solvi/sfx/sound.ini");
}

std::string CSolviSoundSet::readSoundDescription(const std::string& path, int32_t& rpm)
{
    CIniReader ini;
    ini.load(path);
    if (!ini.isLoaded()) return "cannot read " + path;
    const std::string text = ini.getString("ENGINE", "RPMREF");
    if (text.empty()) return path + " has no [ENGINE] RPMREF";
    rpm = ini.getInt("ENGINE", "RPMREF");
    if (rpm < kLowestRpmRef || rpm > kHighestRpmRef)
        return path + ": RPMREF is " + std::to_string(rpm) + "; it must lie between " + std::to_string(kLowestRpmRef) +
               " and " + std::to_string(kHighestRpmRef);
    return "";
}

std::string CSolviSoundSet::checkSoundDescription(const std::string& path)
{
    int32_t rpm = 0;
    return readSoundDescription(path, rpm);
}

void CSolviSoundSet::loadSoundDescription(const std::string& path)
{
    int32_t rpm = 0;
    const std::string problem = readSoundDescription(path, rpm);
    if (problem.empty())
        rpmRef = rpm;
    else
        std::printf("CSolviSoundSet::loadSoundDescription : %s, keeping %d\n", problem.c_str(), rpmRef);
}

void CSolviSoundSet::updateEngineSound(const EngineSoundInput& in)
{
    if (!soundSystem || !engineSound) return;

    // At rest (rpm 0) the last pitch stays; the level alone silences it.
    // A reference of 0 would divide by zero: keep the last pitch then too.
    if (in.rpm > 0) {
        if (rpmRef != 0) engineSound->setFrequency(static_cast<int32_t>(in.rpm * kNativeFrequency / rpmRef));
        engineSound->setVolume(std::min(1.0f, 1.5f * in.engineSoundLevel));
    }
    engineSound->setPosition(in.position.x, in.position.y, in.position.z);
    engineSound->setDistance(20.0f, 2.0f);
    engineSound->setVelocity(in.velocity.x, in.velocity.y, in.velocity.z);
    if (RSoundChannel* engine = soundSystem->channel(kEngineChannel)) engine->attach(engineSound);

    // Road noise is only heard from the driver's seat of a live car; it is
    // re-attached every frame either way so its level follows at once.
    RSoundChannel* road = soundSystem->channel(kRoadChannel);
    RSoundBuffer* noise = road ? road->buffer : nullptr;
    if (!noise) return;
    if (!in.replayView && in.inCar) {
        noise->setPosition(in.position.x, in.position.y, in.position.z);
        noise->setVelocity(in.velocity.x, in.velocity.y, in.velocity.z);
        // Single-precision steps on purpose: speed 60 must give 11450 Hz,
        // which a double-precision sum of the same float s misses by one.
        const float s = 0.02f * in.speed;
        const float hz = s * 2000.0f + 9050.0f;
        noise->setFrequency(static_cast<int32_t>(hz));
        noise->setVolume(0.8f * std::min(1.0f, s));
    } else {
        noise->setVolume(0.0f);
    }
    road->attach(noise);
}

void CSolviSoundSet::playOneShot(RSoundBuffer* buffer, const Vector3& position, const Vector3& velocity,
                                 float volume)
{
    RSoundChannel* channel = soundSystem ? soundSystem->channel(kHitChannel) : nullptr;
    if (!buffer || !channel) return;
    buffer->setPosition(position.x, position.y, position.z);
    buffer->setVelocity(velocity.x, velocity.y, velocity.z);
    buffer->setVolume(volume);
    buffer->setDistance(100.0f, 4.0f);
    channel->attach(buffer);
    channel->playQueued();
    hitChannelUsed = true;
}

void CSolviSoundSet::playHit(const Vector3& position, const Vector3& velocity, float volume)
{
    playOneShot(hitSound, position, velocity, volume);
}

void CSolviSoundSet::playScrape(const Vector3& position, const Vector3& velocity)
{
    playOneShot(scrapeSound, position, velocity, 1.0f);
}

// Free: the impact channel has never played anything, or reports that it
// is done. The scrape sound plays on the same channel, so a scrape keeps it
// busy too.
bool CSolviSoundSet::isHitFree() const
{
    if (!hitChannelUsed) return true;
    const RSoundChannel* channel = soundSystem ? soundSystem->channel(kHitChannel) : nullptr;
    return !channel || channel->isDone();
}
