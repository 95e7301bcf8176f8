// The car's sounds as the mixer hears them when the car runs into a wall:
// the impact plays once on its channel, at the contact point.

#include <cmath>

#include <gtest/gtest.h>

#include "car/solvi.h"
#include "sound/recording_mixer.h"
#include "sound/sound_system.h"
#include "support/car_on_strip.h"

namespace {

class CarSounds : public CarOnStripFixture {
protected:
    void SetUp() override
    {
        CarOnStripFixture::SetUp();
        sound = std::make_unique<RSoundSystem>(&mixer, 8);
        car->initSounds(sound.get());
    }
    void TearDown() override
    {
        CarOnStripFixture::TearDown();  // the car first: it holds the sound system's buffers
        sound.reset();
    }

    RRecordingMixer mixer;
    std::unique_ptr<RSoundSystem> sound;
};

}  // namespace

TEST_F(CarSounds, RunningIntoTheWallPlaysTheImpactAtTheContact)
{
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
