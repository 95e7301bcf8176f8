// The car's sounds as the mixer hears them: the impact when the car runs into
// a wall, the scrape when it bottoms, and the engine note it updates.

#include <vector>

#include <gtest/gtest.h>

#include "car/solvi.h"
#include "chassis/suspension.h"
#include "sound/recording_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_system.h"
#include "support/car_on_strip.h"

namespace {

class CarSounds : public CarOnStripFixture {
protected:
    void SetUp() override {
        CarOnStripFixture::SetUp();
        sound = std::make_unique<RSoundSystem>(&mixer, 8);
        car->initSounds(sound.get());
    }
    void TearDown() override {
        CarOnStripFixture::TearDown();  // the car first: it holds the sound system's buffers
        sound.reset();
    }

    RRecordingMixer mixer;
    std::unique_ptr<RSoundSystem> sound;
};

}  // namespace

TEST_F(CarSounds, RunningIntoTheWallPlaysTheImpactAtTheContact) {
    drive(3.1f);
    DriverInputs in;
    in.shiftUp = true;
    step(in);  // into first
    in.shiftUp = false;
    in.throttle = 1.0f;
    drive(2.0f, in);
    in.steering = 0.5f;  // hard right: the wall on the right of the strip
    for (int i = 0; i < 3000 && mixer.callsOf(RRecordingMixer::Op::PlayEx, 4).empty(); ++i) step(in);

    const auto plays = mixer.callsOf(RRecordingMixer::Op::PlayEx, 4);
    ASSERT_FALSE(plays.empty()) << "no impact sound";
    const RRecordingMixer::Call* at = mixer.lastOf(RRecordingMixer::Op::SetSourcePosition, 4);
    ASSERT_NE(at, nullptr);
    ASSERT_EQ(at->floats.size(), 3u);
    // The right-hand wall of the strip's first straight stands at x = -26.2 m.
    EXPECT_NEAR(at->floats[0], -track.wallOffset(), 1.5f);
    const RRecordingMixer::Call* volume = mixer.lastOf(RRecordingMixer::Op::SetVolume, 4);
    ASSERT_NE(volume, nullptr);
    EXPECT_GT(volume->ints.back(), 0);
}

// Hosts hand the sound system over before init or after it: either way the
// car keeps it, so its engine note follows the engine and a bottomed corner
// scrapes (4000 rpm: 4000 * 22050 / 8000 Hz).
TEST_F(CarSounds, SoundSystemHandedOverBeforeOrAfterInitIsKept) {
    for (const bool beforeInit : {true, false}) {
        SCOPED_TRACE(beforeInit ? "before init" : "after init");
        testing::internal::CaptureStdout();
        {
            CSolvi other;
            if (beforeInit) other.initSounds(sound.get());
            other.init(&engine, &world, &track, &host);
            if (!beforeInit) other.initSounds(sound.get());
            other.reset(track.centreAt(80.0f), track.tangentAt(80.0f));
            mixer.clear();
            other.carEngine.rpm = 4000;
            other.updateEngineSound(0, 1);
            const RRecordingMixer::Call* pitch = mixer.lastOf(RRecordingMixer::Op::SetFrequency, 1);
            EXPECT_TRUE(pitch && pitch->ints[2] == 11025);
            other.suspension[2]->contactPoint = other.getPosition() + other.matrix.yAxis() * 0.05f;
            other.speed = 6.0f;
            other.checkBottoming(1.0f);
            other.checkBottoming(1.0f);  // the shared scrape clock has run out by now
            int scrapes = 0;
            for (const auto& call : mixer.callsOf(RRecordingMixer::Op::PlayEx, 4))
                scrapes += call.ints[2] == static_cast<int64_t>(other.sounds.scrapeSound->wave);
            EXPECT_EQ(scrapes, 1);
        }
        testing::internal::GetCapturedStdout();
    }
}

// The scrape plays when a corner bottoms above 5 m/s, at most once per 0.5 s.
TEST_F(CarSounds, BottomingScrapesAtSpeedAtMostTwiceASecond) {
    drive(0.5f);
    car->suspension[2]->contactPoint = car->getPosition() + car->matrix.yAxis() * 0.05f;
    auto scrapes = [&] {
        int n = 0;
        for (const auto& call : mixer.callsOf(RRecordingMixer::Op::PlayEx, 4))
            n += call.ints[2] == static_cast<int64_t>(car->sounds.scrapeSound->wave);
        return n;
    };
    testing::internal::CaptureStdout();
    car->speed = 5.0f;
    car->checkBottoming(1.0f);  // too slow, but the clock runs
    EXPECT_EQ(scrapes(), 0);
    car->speed = 6.0f;
    std::vector<int> heard;
    for (int i = 0; i < 4; ++i) car->checkBottoming(0.3f), heard.push_back(scrapes());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(heard, (std::vector<int>{1, 1, 1, 2}));
}

// Level (throttle demand 2.5 + rpm 0.0002) / 3 + 0.2, the note's volume 1.5
// times that: 1000 rpm, no throttle: 0.266667 -> 0.4 of full (32760).
// Pitch rpm * 22050 / 8000.
TEST_F(CarSounds, EngineNoteFollowsTheEngineAndAnAssistedShiftCutsThePower) {
    auto volume = [&] { return mixer.lastOf(RRecordingMixer::Op::SetVolume, 1)->ints[2]; };
    car->carEngine.rpm = 1000;
    car->carEngine.resetThrottle(0);
    car->updateEngineSound(0, 1);
    EXPECT_EQ(mixer.lastOf(RRecordingMixer::Op::SetFrequency, 1)->ints[2], 2756);
    EXPECT_NEAR(volume(), 13104, 1);
    car->carEngine.lowFuel = true;  // the sputter's swell and fade
    car->carEngine.sputterPhase = 4.712389f;
    car->updateEngineSound(0, 1);
    EXPECT_EQ(volume(), 0);
    car->carEngine.sputterPhase = 0;
    car->updateEngineSound(0, 1);
    EXPECT_NEAR(volume(), 6552, 1);
    car->carEngine.running = false;
    car->carEngine.sputterPhase = 1.5707964f;
    car->updateEngineSound(0, 1);
    EXPECT_EQ(volume(), 0);

    car->shiftMode = 2;
    car->gearbox.shiftState = 1;
    for (unsigned gear : {3u, 2u}) {
        car->gearbox.gear = gear;
        car->clutch.engagementTarget = 1;
        car->carEngine.setThrottle(0.7f);
        car->updateEngineSound(0, 1);
        EXPECT_EQ(car->clutch.engagementTarget, gear == 2 ? 1.0f : 0.0f) << gear;
        EXPECT_EQ(car->carEngine.getThrottleTarget(), gear == 2 ? 0.7f : 0.0f) << gear;
    }
}
