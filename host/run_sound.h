#pragma once
// The sound of a run: the car's sounds and the host's road noise mixed by
// OpenAL Soft, either on its loopback device and written, 1/30 s at a time,
// into a 16-bit stereo WAV file, or (a window's drive) played live on the
// sound device. The listener sits in the driver's seat, where the
// car plays its road noise too. A run that asks for no file still hands the
// car a sound system, over a silent mixer whose channels finish on the
// simulated clock, so the car hears "finished" exactly when it would with
// sound: its impact handling depends on it.

#include <memory>
#include <string>
#include <vector>

#include "sound/openal_mixer.h"
#include "sound/silent_mixer.h"
#include "sound/sound_system.h"
#include "sound/wav_writer.h"

class ICar;

class RunSound {
public:
    static constexpr double kUpdatesPerSecond = 30.0;
    static constexpr int32_t kSampleRate = 44100;
    static constexpr int32_t kChannels = 8;  // the car's and the host's mixer channels

    RunSound() = default;
    RunSound(const RunSound&) = delete;
    RunSound& operator=(const RunSound&) = delete;
    ~RunSound();

    // Opens the mixer and the file (with no file: the sound device when
    // `live`, else a silent mixer; a live run without a device goes on
    // silently and says so), hands the car its sound system and puts the
    // road noise on its channel. False with a reason on failure.
    bool start(ICar& car, const std::string& wavPath, bool live, std::string& error);
    // Called after every physics step: at each 1/30 s of simulated time the
    // car updates its sounds and the listener follows it; the slice of the
    // mix is written to the file (with the silent mixer, its clock moves to
    // `time`).
    void step(ICar& car, double time);
    // Finishes the file; returns the seconds of sound written.
    double finish();
    // Frees the mixer's waves; must run before the plug-in that made the
    // car's buffers is unloaded.
    void release();

    // A WAV file is being rendered.
    bool active() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

private:
    // The car's sounds over `mixer`, the road noise on its channel.
    void attach(ICar& car, RMixer& mixer);

    std::unique_ptr<ROpenALMixer> mixer_;
    std::unique_ptr<RSilentMixer> silent_;
    std::unique_ptr<RSoundSystem> system_;
    RWavWriter wav_;
    std::string path_;
    long updates_ = 0;
    long framesWritten_ = 0;
    std::vector<int16_t> slice_;
};
