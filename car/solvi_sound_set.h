#pragma once
// CSolviSoundSet: the car's sounds on the host's channels: a looping engine
// note whose pitch follows the engine speed, one-shot impact and scrape
// sounds, and the level and pitch of the host's road-noise sound. The car
// owns one and hands it plain values each frame; the gearbox and clutch
// handling that shares the per-frame call stays with the car.

#include <cstdint>
#include <string>

#include "chassis/vector3.h"

class RSoundBuffer;
class RSoundSystem;

class CSolviSoundSet {
public:
    // Channel indices in the host's sound system.
    static constexpr int32_t kEngineChannel = 1;
    static constexpr int32_t kHitChannel = 4;  // impacts and scrapes share it
    static constexpr int32_t kRoadChannel = 7; // the host's road noise

    // What one frame's update needs from the car.
    struct EngineSoundInput {
        int32_t rpm = 0;               // engine speed, rpm
        float engineSoundLevel = 0.0f; // the car's engine sound level, 0..1
        float speed = 0.0f;            // car speed, m/s
        Vector3 position{0, 0, 0};     // car body (rigid body outside, scene frame in the car)
        Vector3 velocity{0, 0, 0};     // car body linear velocity, m/s
        bool inCar = false;            // the view is from the driver's seat
        bool replayView = false;       // the car is showing a replay
    };

    // Creates the engine, hit and scrape buffers (paths relative to the
    // working directory; a missing wave ends the process), starts the
    // engine note looping silently on its channel and reads the sound
    // description.
    void initSounds(RSoundSystem* system);
    // rpmRef = ENGINE / RPMREF of the file. A file that cannot be read, a
    // missing key or a value outside kLowestRpmRef ... kHighestRpmRef (the
    // pitch divides by it) is reported in one line and rpmRef stays.
    void loadSoundDescription(const std::string& path);
    // What loadSoundDescription would refuse in the file; empty when nothing.
    static std::string checkSoundDescription(const std::string& path);
    static constexpr int32_t kLowestRpmRef = 100;
    static constexpr int32_t kHighestRpmRef = 100000;
    // Engine pitch and level, engine position, and the road noise on the
    // host's channel. Nothing before initSounds.
    void updateEngineSound(const EngineSoundInput& input);

    // One-shot impact at position, volume 0..1 (other values keep the last).
    void playHit(const Vector3& position, const Vector3& velocity, float volume);
    // One-shot scrape at full volume.
    void playScrape(const Vector3& position, const Vector3& velocity);
    // The impact channel has played nothing yet or has finished.
    bool isHitFree() const;

    RSoundSystem* soundSystem = nullptr;
    RSoundBuffer* engineSound = nullptr;
    RSoundBuffer* hitSound = nullptr;
    RSoundBuffer* scrapeSound = nullptr;
    int32_t rpmRef = 8000;  // rpm at which the engine wave plays at its recorded pitch

private:
    static std::string readSoundDescription(const std::string& path, int32_t& rpm);
    void playOneShot(RSoundBuffer* buffer, const Vector3& position, const Vector3& velocity, float volume);
    bool hitChannelUsed = false;
};
