#pragma once
// Force feedback at the steering wheel: one SDL constant-force effect whose
// level follows the car's steering torque once a picture.
//
// Sign: the car's steering torque turns the wheel towards positive steering
// (to the right) when positive and to the left when negative. In a turn it
// pulls back towards straight ahead: on a lap with the autopilot it had the
// sign opposite to the steering in 215 of 226 samples taken in turns.
// The effect's direction is SDL's cartesian East (1, 0, 0): SDL names where
// a force comes from, so a positive level pushes the rim to the left
// (anticlockwise) and a negative one to the right. The level is therefore
// the torque negated. A device whose driver pushes the other way is put
// right with "invert = yes" in the map's [force_feedback] section.

#include <SDL2/SDL_haptic.h>
#include <SDL2/SDL_joystick.h>

#include <cstdint>
#include <memory>

// The car's steering torque that, at gain 1, asks for the strongest force
// allowed. The car scales the front tyres' aligning moments (N m) by 1/2000:
// on a lap of the valley circuit with the autopilot the torque averages 0.33
// in size and peaks at 1.5 (95 % of the time below 1.0).
inline constexpr float kFullForceTorque = 1.5f;
// The strongest level ever sent, 75 % of what the device can do: kerbs and
// crashes make spikes that should not wrench the wheel out of the hands.
inline constexpr int kMaxForceLevel = 24575;

// Below this road speed (m/s) the force fades out in proportion. A car at
// rest or creeping has tyre slip angles made of nothing but contact creep,
// and its aligning torque then pulls the rim to one side (about 0.6, 40 %
// of full force, on a parked car) where a driver expects a still wheel.
inline constexpr float kFullForceSpeed = 5.0f;

// The constant-force level (-32767..32767, positive pushes left) for the
// car's steering torque scaled by gain at a road speed (m/s); 0 for a torque
// that is not a number.
int16_t forceFeedbackLevel(float steeringTorque, float gain, bool invert, float speed);

class ForceFeedback {
public:
    // The joystick's haptics when they can play a constant force, with the
    // device's own centring spring switched off; null otherwise.
    static std::unique_ptr<ForceFeedback> open(SDL_Joystick* joystick);
    ~ForceFeedback();  // stops the effect and closes the device
    ForceFeedback(const ForceFeedback&) = delete;
    ForceFeedback& operator=(const ForceFeedback&) = delete;

    // Sets the effect's level; a level already playing is not sent again.
    void play(int16_t level);

private:
    ForceFeedback(SDL_Haptic* haptic, int effect, const SDL_HapticEffect& shape)
        : haptic_(haptic), effect_(effect), shape_(shape)
    {
    }

    SDL_Haptic* haptic_;
    int effect_;
    SDL_HapticEffect shape_;
};
