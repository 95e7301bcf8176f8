// Buffers and channels over the recording mixer: the values each call sends.

#include <gtest/gtest.h>

#include <cmath>

#include <unistd.h>

#include "sound/recording_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"
#include "sound/sound_system.h"
#include "support/temp_dir.h"

using Op = RRecordingMixer::Op;

namespace {

class SoundChannelTest : public ::testing::Test {
protected:
    SoundChannelTest() : system(&mixer, 8) {
        // A buffer that owns a wave handle without reading a file.
        buffer = new RSoundBuffer(&system);
        buffer->wave = 42;
        system.buffers.push_back(buffer);
    }
    RRecordingMixer mixer;
    RSoundSystem system;
    RSoundBuffer* buffer;
};

TEST_F(SoundChannelTest, AttachSendsTheBufferParametersWithSessionAndFlag) {
    buffer->setVolume(0.5f);
    buffer->setFrequency(11025);
    buffer->setPosition(1, 2, 3);
    buffer->setVelocity(-4, 5, -6);
    buffer->setDistance(30.0f, 5.0f);
    mixer.clear();
    system.channel(3)->attach(buffer);

    const Op order[] = {Op::SetFrequency, Op::SetVolume, Op::SetSourcePosition, Op::SetSourceVelocity,
                        Op::SetDistanceMapping};
    ASSERT_EQ(mixer.calls.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(mixer.calls[i].op, order[i]);
        EXPECT_EQ(mixer.calls[i].session, mixer.sessionHandle);
        EXPECT_EQ(mixer.calls[i].ints[0], 3);
        EXPECT_EQ(mixer.calls[i].ints[1], 32);
    }
    EXPECT_EQ(mixer.calls[0].ints[2], 11025);
    EXPECT_EQ(mixer.calls[1].ints[2], 16380);
    EXPECT_EQ(mixer.calls[2].floats, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(mixer.calls[3].floats, (std::vector<float>{-4, 5, -6}));
    EXPECT_EQ(mixer.calls[4].floats, (std::vector<float>{16, 30, 1000, 5}));
    EXPECT_EQ(system.channel(3)->buffer, buffer);

    // The channel's own gain scales the volume; null only detaches.
    system.channel(3)->volume = 0.5f;
    system.channel(3)->attach(buffer);
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 3)->ints[2], 8190);
    mixer.clear();
    system.channel(3)->attach(nullptr);
    EXPECT_TRUE(mixer.calls.empty());
    EXPECT_EQ(system.channel(3)->buffer, nullptr);
}

TEST_F(SoundChannelTest, OutOfRangeValuesKeepTheOldOnes) {
    buffer->setVolume(0.25f);
    for (float bad : {1.2f, -0.1f, std::nanf("")}) buffer->setVolume(bad);
    EXPECT_EQ(buffer->volume, 0.25f);
    buffer->setFrequency(9000);
    buffer->setFrequency(0);
    EXPECT_EQ(buffer->frequency, 9000);

    // A buffer whose frequency is 0 sends none at all.
    buffer->frequency = 0;
    system.channel(2)->attach(buffer);
    EXPECT_TRUE(mixer.callsOf(Op::SetFrequency).empty());
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 2)->ints[2], 8190);
}

TEST_F(SoundChannelTest, FirstPlaySends22050ThenLoopsAndPlayQueuedStartsOnce) {
    RSoundChannel* channel = system.channel(1);
    channel->play(-1);  // nothing attached: nothing happens
    EXPECT_TRUE(mixer.callsOf(Op::PlayEx).empty());
    EXPECT_TRUE(channel->resetFrequency);

    channel->attach(buffer);
    mixer.clear();
    channel->play(-1);
    channel->play(2);
    ASSERT_EQ(mixer.calls.size(), 3u);
    EXPECT_EQ(mixer.calls[0].op, Op::SetFrequency);
    EXPECT_EQ(mixer.calls[0].ints, (std::vector<int64_t>{1, 32, 22050}));
    EXPECT_EQ(mixer.calls[1].ints, (std::vector<int64_t>{1, 1, 42, -1, 0}));
    EXPECT_EQ(mixer.calls[2].ints, (std::vector<int64_t>{1, 1, 42, 2, 0}));

    // A queued one-shot starts once, says so, and reports when it is done.
    channel = system.channel(4);
    channel->attach(buffer);
    mixer.clear();
    testing::internal::CaptureStdout();
    channel->playQueued();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "playing queued on 4 chan\n");
    ASSERT_EQ(mixer.calls.size(), 1u);  // no first-play frequency for one-shots
    EXPECT_EQ(mixer.calls[0].ints, (std::vector<int64_t>{4, 0, 42, 0, 0}));

    mixer.setChannelDone(4, false);
    EXPECT_FALSE(channel->isDone());
    mixer.setChannelDone(4, true);
    EXPECT_TRUE(channel->isDone());
}

TEST(SoundSystemTest, CreatesBuffersFromFilesAndFreesThemAtTeardown) {
    TempDir dir;
    const std::string path = (dir / "a.wav").string();
    std::fclose(std::fopen(path.c_str(), "wb"));
    RRecordingMixer mixer;
    {
        RSoundSystem system(&mixer, 8);
        ASSERT_EQ(system.channels.size(), 8u);
        EXPECT_EQ(system.channel(7)->number, 7);
        EXPECT_EQ(system.channel(8), nullptr);
        RSoundBuffer* a = system.createBuffer(path);
        RSoundBuffer* b = system.createBuffer(path);
        EXPECT_EQ(system.buffers, (std::vector<RSoundBuffer*>{a, b}));
        const auto opened = mixer.callsOf(Op::OpenWave);
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_EQ(opened[0].path, path);
        EXPECT_EQ(opened[0].ints, (std::vector<int64_t>{0, 1}));
        EXPECT_NE(a->wave, b->wave);
    }
    EXPECT_EQ(mixer.callsOf(Op::FreeWave).size(), 2u);
    EXPECT_EQ(mixer.calls.back().op, Op::CloseSession);
}

TEST(SoundSystemDeathTest, MissingWaveEndsTheProcessWithItsName) {
    RRecordingMixer mixer;
    RSoundSystem system(&mixer, 8);
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            system.createBuffer("no/such/engine.wav");
        },
        testing::ExitedWithCode(0), "RSoundBuffer::loadWAV : file not found no/such/engine.wav\n");
}

}  // namespace
