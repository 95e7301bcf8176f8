#include "host/window/force_feedback.h"

#include <algorithm>
#include <cmath>

int16_t forceFeedbackLevel(float steeringTorque, float gain, bool invert, float speed)
{
    if (!std::isfinite(steeringTorque)) return 0;
    const float fade = std::clamp(std::fabs(speed) / kFullForceSpeed, 0.0f, 1.0f);
    const float f = std::clamp(steeringTorque * gain / kFullForceTorque, -1.0f, 1.0f) * fade;
    const long level = std::lround(f * kMaxForceLevel);
    return static_cast<int16_t>(invert ? level : -level);
}

std::unique_ptr<ForceFeedback> ForceFeedback::open(SDL_Joystick* joystick)
{
    if (SDL_JoystickIsHaptic(joystick) != SDL_TRUE) return nullptr;
    SDL_Haptic* haptic = SDL_HapticOpenFromJoystick(joystick);
    if (!haptic) return nullptr;
    const unsigned features = SDL_HapticQuery(haptic);
    SDL_HapticEffect shape{};
    shape.constant.type = SDL_HAPTIC_CONSTANT;
    shape.constant.direction.type = SDL_HAPTIC_CARTESIAN;
    shape.constant.direction.dir[0] = 1;
    shape.constant.length = SDL_HAPTIC_INFINITY;
    const int effect = features & SDL_HAPTIC_CONSTANT ? SDL_HapticNewEffect(haptic, &shape) : -1;
    if (effect < 0 || SDL_HapticRunEffect(haptic, effect, 1) != 0) {
        SDL_HapticClose(haptic);  // closing destroys the effect too
        return nullptr;
    }
    // The car's torque already centres the wheel; the device's own spring
    // would add a pull the car does not know about.
    if (features & SDL_HAPTIC_AUTOCENTER) SDL_HapticSetAutocenter(haptic, 0);
    return std::unique_ptr<ForceFeedback>(new ForceFeedback(haptic, effect, shape));
}

ForceFeedback::~ForceFeedback()
{
    SDL_HapticStopEffect(haptic_, effect_);
    SDL_HapticDestroyEffect(haptic_, effect_);
    SDL_HapticClose(haptic_);
}

void ForceFeedback::play(int16_t level)
{
    if (level == shape_.constant.level) return;
    shape_.constant.level = level;
    SDL_HapticUpdateEffect(haptic_, effect_, &shape_);
}
