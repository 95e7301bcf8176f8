// The car's sound set over the recording mixer, with the bundled data.

#include <gtest/gtest.h>

#include "car/solvi_sound_set.h"
#include "sound/recording_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_channel.h"
#include "sound/sound_system.h"
#include "support/temp_dir.h"

using Op = RRecordingMixer::Op;
using Input = CSolviSoundSet::EngineSoundInput;

namespace {

class SolviSoundSetTest : public ::testing::Test {
protected:
    SolviSoundSetTest() : inData(SOLVI_DATA_DIR), system(&mixer, 8) {
        // The host keeps its road noise on channel 7 before the car's first update.
        road = system.createBuffer("sfx/road.wav");
        system.channel(7)->attach(road);
        testing::internal::CaptureStdout();  // keep "playing queued" lines out of the log
        sounds.initSounds(&system);
    }
    ~SolviSoundSetTest() override { testing::internal::GetCapturedStdout(); }

    Input driving(int32_t rpm, float level, float speed) {
        Input in;
        in.rpm = rpm;
        in.engineSoundLevel = level;
        in.speed = speed;
        in.position = {10, 1, -20};
        in.velocity = {0, 0, speed};
        in.inCar = true;
        return in;
    }

    WorkIn inData;
    RRecordingMixer mixer;
    RSoundSystem system;
    RSoundBuffer* road;
    CSolviSoundSet sounds;
};

TEST_F(SolviSoundSetTest, InitStartsTheEngineNoteSilentAndLooping) {
    std::vector<std::string> paths;
    for (const auto& call : mixer.callsOf(Op::OpenWave)) paths.push_back(call.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"sfx/road.wav", "cars/solvi/sfx/engine.wav", "sfx/hit.wav",
                                               "sfx/bottom.wav"}));
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 1)->ints[2], 0);
    EXPECT_EQ(mixer.lastOf(Op::SetDistanceMapping, 1)->floats, (std::vector<float>{16, 30, 1000, 5}));
    const auto plays = mixer.callsOf(Op::PlayEx, 1);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].ints, (std::vector<int64_t>{1, 1, static_cast<int64_t>(sounds.engineSound->wave), -1, 0}));
    EXPECT_EQ(mixer.lastOf(Op::SetFrequency, 1)->ints[2], 22050);  // the first-play frequency
    EXPECT_EQ(sounds.rpmRef, 8000);                                  // from the bundled sound.ini
}

TEST_F(SolviSoundSetTest, EngineNotePitchAndLevelFollowTheEngine) {
    struct Case { int32_t rpm; float level; int64_t hz; int64_t volume; };
    for (const Case c : {Case{4000, 0.4f, 11025, 19656}, Case{8000, 1.0f, 22050, 32760}, Case{1000, 0.2f, 2756, 9828}}) {
        sounds.updateEngineSound(driving(c.rpm, c.level, 0));
        EXPECT_EQ(mixer.lastOf(Op::SetFrequency, 1)->ints[2], c.hz) << c.rpm;
        EXPECT_EQ(mixer.lastOf(Op::SetVolume, 1)->ints[2], c.volume) << c.rpm;
    }
    EXPECT_EQ(mixer.lastOf(Op::SetSourcePosition, 1)->floats, (std::vector<float>{10, 1, -20}));
    EXPECT_EQ(mixer.lastOf(Op::SetDistanceMapping, 1)->floats, (std::vector<float>{16, 20, 1000, 2}));

    // At rest, and with no usable reference, the last pitch and level stay.
    sounds.updateEngineSound(driving(0, 0.9f, 0));
    EXPECT_EQ(mixer.lastOf(Op::SetFrequency, 1)->ints[2], 2756);
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 1)->ints[2], 9828);
    sounds.rpmRef = 0;
    sounds.updateEngineSound(driving(5000, 0.2f, 0));
    EXPECT_EQ(mixer.lastOf(Op::SetFrequency, 1)->ints[2], 2756);
}

TEST_F(SolviSoundSetTest, RoadNoiseRisesWithSpeedOnlyInALiveCar) {
    struct Case { float speed; int64_t hz; int64_t volume; };
    for (const Case c : {Case{25, 10050, 13104}, Case{60, 11450, 26208}, Case{0, 9050, 0}}) {
        sounds.updateEngineSound(driving(3000, 0.5f, c.speed));
        EXPECT_EQ(mixer.lastOf(Op::SetFrequency, 7)->ints[2], c.hz) << c.speed;
        EXPECT_EQ(mixer.lastOf(Op::SetVolume, 7)->ints[2], c.volume) << c.speed;
    }
    EXPECT_EQ(mixer.lastOf(Op::SetSourcePosition, 7)->floats, (std::vector<float>{10, 1, -20}));

    Input replay = driving(3000, 0.5f, 25);
    replay.replayView = true;
    Input outside = driving(3000, 0.5f, 25);
    outside.inCar = false;
    for (const Input& in : {replay, outside}) {
        sounds.updateEngineSound(driving(3000, 0.5f, 25));
        mixer.clear();
        sounds.updateEngineSound(in);
        EXPECT_EQ(mixer.lastOf(Op::SetVolume, 7)->ints[2], 0);
        EXPECT_EQ(system.channel(7)->buffer, road);
    }
}

TEST_F(SolviSoundSetTest, HitAndScrapeShareChannelFour) {
    EXPECT_TRUE(sounds.isHitFree());
    EXPECT_TRUE(mixer.callsOf(Op::IsChannelDone).empty());  // nothing played: no need to ask

    sounds.playHit({1, 2, 3}, {4, 5, 6}, 0.3f);
    auto play = mixer.lastOf(Op::PlayEx, 4);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->ints, (std::vector<int64_t>{4, 0, static_cast<int64_t>(sounds.hitSound->wave), 0, 0}));
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 4)->ints[2], 9828);
    EXPECT_EQ(mixer.lastOf(Op::SetSourcePosition, 4)->floats, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(mixer.lastOf(Op::SetSourceVelocity, 4)->floats, (std::vector<float>{4, 5, 6}));
    EXPECT_EQ(mixer.lastOf(Op::SetDistanceMapping, 4)->floats, (std::vector<float>{16, 100, 1000, 4}));

    mixer.setChannelDone(4, false);
    EXPECT_FALSE(sounds.isHitFree());
    mixer.setChannelDone(4, true);
    EXPECT_TRUE(sounds.isHitFree());

    sounds.playScrape({0, 0, 0}, {0, 0, 9});
    EXPECT_EQ(mixer.lastOf(Op::PlayEx, 4)->ints[2], static_cast<int64_t>(sounds.scrapeSound->wave));
    EXPECT_EQ(mixer.lastOf(Op::SetVolume, 4)->ints[2], 32760);
}

TEST(SolviSoundDescriptionTest, ReadsTheReferenceRpm) {
    TempDir dir;
    std::FILE* f = std::fopen((dir / "sound.ini").c_str(), "wb");
    std::fputs("[ENGINE]\r\nRPMREF=7400\r\n", f);
    std::fclose(f);
    CSolviSoundSet sounds;
    sounds.loadSoundDescription((dir / "sound.ini").string());
    EXPECT_EQ(sounds.rpmRef, 7400);
    sounds.loadSoundDescription((dir / "missing.ini").string());
    EXPECT_EQ(sounds.rpmRef, 7400);  // a missing file keeps the last value
}

}  // namespace
