// The silent mixer keeps a played wave's time on the clock it is given: a
// wave of N frames at R frames a second is done N / R seconds after it was
// started (at the channel's frequency once one is set), a looping one never.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sound/silent_mixer.h"
#include "sound/wav_writer.h"
#include "support/temp_dir.h"

TEST(SilentMixer, ChannelsFinishWhenTheWaveHasPlayedOnTheClock) {
    TempDir dir;
    const std::string path = (dir / "w.wav").string();
    RWavWriter writer;
    ASSERT_TRUE(writer.open(path, 1, 22050));
    const std::vector<int16_t> samples(11025, 100);  // 0.5 s at its own rate
    writer.write(samples.data(), samples.size());
    ASSERT_TRUE(writer.close());

    RSilentMixer mixer;
    const MixerSession s = mixer.initSession();
    const MixerWave wave = mixer.openWave(s, path.c_str(), 0, 0);
    ASSERT_NE(wave, 0u);
    EXPECT_EQ(mixer.openWave(s, (dir / "none.wav").string().c_str(), 0, 0), 0u);
    EXPECT_EQ(mixer.isChannelDone(s, 4), 1);  // never played

    struct Case {
        int32_t frequency;  // 0: none set
        int32_t mode, loops;
        double busyUntil;   // s after the start; < 0: never done
    } cases[] = {
        {0, 0, 0, 0.5},       // once at its own rate
        {44100, 0, 0, 0.25},  // twice the rate: half the time
        {0, 1, 2, 1.5},       // three plays
        {0, 1, -1, -1},       // endless
    };
    double now = 10.0;
    int channel = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(channel);
        mixer.advanceTo(now);
        if (c.frequency) mixer.setFrequency(s, channel, 0, c.frequency);
        mixer.playEx(s, channel, c.mode, wave, c.loops, 0);
        const double end = c.busyUntil < 0 ? 1e6 : c.busyUntil;
        mixer.advanceTo(now + end - 0.001);
        EXPECT_EQ(mixer.isChannelDone(s, channel), 0);
        mixer.advanceTo(now + end + 0.001);
        EXPECT_EQ(mixer.isChannelDone(s, channel), c.busyUntil < 0 ? 0 : 1);
        now += 2e6;
        ++channel;
    }
}
