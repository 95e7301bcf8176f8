// The OpenAL mixer rendering into its loopback buffer: the engine note's
// pitch follows rpm, and the distance record shapes the level.

#include <gtest/gtest.h>

#include <cmath>

#include "car/solvi_sound_set.h"
#include "sound/openal_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"
#include "sound/sound_system.h"
#include "sound/wav_reader.h"
#include "sound/wav_writer.h"
#include "support/temp_dir.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Mono mix of the next `seconds` of the render (after a short settling).
std::vector<double> renderMono(ROpenALMixer& mixer, double seconds) {
    std::vector<int16_t> pcm;
    mixer.render(pcm, ROpenALMixer::kLoopbackRate / 20);  // let pitch and gain changes settle
    mixer.render(pcm, static_cast<int32_t>(ROpenALMixer::kLoopbackRate * seconds));
    std::vector<double> mono(pcm.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = (pcm[2 * i] + pcm[2 * i + 1]) / 65536.0;
    return mono;
}

// The strongest frequency between 40 Hz and 2 kHz: a Hann-windowed
// Goertzel scan in 1 Hz steps.
double dominantHz(const std::vector<double>& x) {
    const std::size_t n = x.size();
    std::vector<double> w(n);
    for (std::size_t i = 0; i < n; ++i) w[i] = x[i] * (0.5 - 0.5 * std::cos(2 * kPi * i / (n - 1)));
    double best = 0, bestPower = -1;
    for (double hz = 40; hz <= 2000; hz += 1) {
        const double c = 2 * std::cos(2 * kPi * hz / ROpenALMixer::kLoopbackRate);
        double s1 = 0, s2 = 0;
        for (double v : w) {
            const double s = v + c * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
        if (power > bestPower) bestPower = power, best = hz;
    }
    return best;
}

double rms(const std::vector<double>& x) {
    double sum = 0;
    for (double v : x) sum += v * v;
    return std::sqrt(sum / x.size());
}

class LoopbackMixTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!mixer.isOpen() || !mixer.isLoopback()) GTEST_SKIP() << "no OpenAL loopback device";
        testing::internal::CaptureStdout();
        sounds.initSounds(&system);
        testing::internal::GetCapturedStdout();
    }
    CSolviSoundSet::EngineSoundInput at(int32_t rpm, Vector3 position) {
        CSolviSoundSet::EngineSoundInput in;
        in.rpm = rpm;
        in.engineSoundLevel = 1.0f;
        in.position = position;
        return in;
    }

    WorkIn inData{SOLVI_DATA_DIR};
    ROpenALMixer mixer{ROpenALMixer::Output::Loopback};
    RSoundSystem system{&mixer, 8};
    CSolviSoundSet sounds;
};

TEST_F(LoopbackMixTest, EngineNoteRisesWithRpm) {
    // The bundled wave fires at 533.3 Hz at its reference of 8000 rpm.
    double previous = 0;
    for (int32_t rpm : {2000, 4000, 8000}) {
        sounds.updateEngineSound(at(rpm, {0, 0, 0}));
        const double hz = dominantHz(renderMono(mixer, 0.25));
        EXPECT_NEAR(hz, 533.3 * rpm / 8000, 533.3 * rpm / 8000 * 0.015) << rpm;
        EXPECT_GT(hz, previous);
        previous = hz;
    }
}

TEST_F(LoopbackMixTest, DistanceRecordHalvesTheLevelAtATimesOnePlusB) {
    // The engine's (20, 2) record: full level out to 20 m, half at 60 m.
    sounds.updateEngineSound(at(6000, {0, 0, 10}));
    const double near = rms(renderMono(mixer, 0.2));
    sounds.updateEngineSound(at(6000, {0, 0, 60}));
    const double far = rms(renderMono(mixer, 0.2));
    ASSERT_GT(near, 0.01);
    EXPECT_NEAR(far / near, 0.5, 0.05);
}

TEST(WavFileTest, WrittenSamplesReadBackAndBrokenHeadersAreRefused) {
    TempDir dir;
    const std::string path = (dir / "t.wav").string();
    const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234};
    ASSERT_TRUE(RWavWriter::writeFile(path, 2, 44100, samples));
    WaveData wave;
    ASSERT_TRUE(readWavFile(path, wave));
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.sampleRate, 44100);
    EXPECT_EQ(wave.samples, samples);

    uint8_t bytes[44 + 4] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(std::fread(bytes, 1, sizeof bytes, f), 44u + 4u);
    std::fclose(f);
    std::string why;
    bytes[20] = 3;  // float samples
    EXPECT_FALSE(parseWav(bytes, sizeof bytes, wave, &why));
    EXPECT_EQ(why, "not PCM");
    bytes[20] = 1;
    bytes[40] = 0xff, bytes[41] = 0xff, bytes[42] = 0xff, bytes[43] = 0x7f;  // data size past the end
    ASSERT_TRUE(parseWav(bytes, sizeof bytes, wave));
    EXPECT_EQ(wave.samples.size(), 2u);  // only what is really there
}

}  // namespace
