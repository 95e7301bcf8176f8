#include "host/window/controller_driver.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

#include "host/window/controller_map_file.h"
#include "host/window/force_feedback.h"

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK;

// One game controller or joystick, read through the map of its kind.
class SdlController : public ControllerDriver {
public:
    SdlController(SDL_GameController* pad, SDL_Joystick* joystick, ControllerMap map, float gain, bool haptics)
        : pad_(pad), joystick_(joystick), map_(map), gain_(gain), haptics_(haptics)
    {
        if (gain_ != 0 && haptics_) feedback_ = ForceFeedback::open(joystick_);
        axes_.resize(pad_ ? SDL_CONTROLLER_AXIS_MAX : std::max(SDL_JoystickNumAxes(joystick_), 0));
        buttons_.resize(pad_ ? SDL_CONTROLLER_BUTTON_MAX : std::max(SDL_JoystickNumButtons(joystick_), 0));
    }

    ~SdlController() override
    {
        feedback_.reset();
        if (pad_)
            SDL_GameControllerClose(pad_);
        else
            SDL_JoystickClose(joystick_);
        if (haptics_) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
        SDL_QuitSubSystem(kSubsystems);
    }

    void drive(const CarState& car, float, DriverInputs& inputs) override
    {
        speed_ = car.speed;
        // A device pulled out reads as all controls released, not as
        // whatever its axes' zero means on this map.
        if (!SDL_JoystickGetAttached(joystick_)) {
            inputs = DriverInputs{};
            return;
        }
        for (size_t i = 0; i < axes_.size(); ++i)
            axes_[i] = pad_ ? SDL_GameControllerGetAxis(pad_, static_cast<SDL_GameControllerAxis>(i))
                            : SDL_JoystickGetAxis(joystick_, static_cast<int>(i));
        for (size_t i = 0; i < buttons_.size(); ++i)
            buttons_[i] = pad_ ? SDL_GameControllerGetButton(pad_, static_cast<SDL_GameControllerButton>(i))
                               : SDL_JoystickGetButton(joystick_, static_cast<int>(i));
        inputs = mapControls(map_, axes_, buttons_);
    }

    void feedback(float steeringTorque) override
    {
        if (feedback_) feedback_->play(forceFeedbackLevel(steeringTorque, gain_, map_.invertForceFeedback, speed_));
    }

    std::string description() const override
    {
        const char* name = pad_ ? SDL_GameControllerName(pad_) : SDL_JoystickName(joystick_);
        std::string d = std::string(pad_ ? "gamepad" : "wheel") + " \"" + (name ? name : "unnamed") + "\" (";
        if (feedback_) return d + "force feedback on)";
        if (gain_ == 0) return d + "force feedback off)";
        return d + "no force feedback: the device has no constant-force effect)";
    }

private:
    SDL_GameController* pad_;  // null for a wheel, read as a plain joystick
    SDL_Joystick* joystick_;
    ControllerMap map_;
    float gain_;
    bool haptics_;  // SDL's haptic subsystem started
    std::unique_ptr<ForceFeedback> feedback_;
    float speed_ = 0;  // m/s, the car's at the last physics frame
    std::vector<int16_t> axes_;
    std::vector<uint8_t> buttons_;
};

// The wheel: the first joystick SDL reports as a wheel, else the first one.
int wheelIndex()
{
    const int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        if (SDL_JoystickGetDeviceType(i) == SDL_JOYSTICK_TYPE_WHEEL) return i;
    return n > 0 ? 0 : -1;
}

int gamepadIndex()
{
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i)) return i;
    return -1;
}

// The map's axes and buttons must exist on the device it drives.
std::string missingInput(const ControllerMap& m, SDL_Joystick* j, const std::string& file)
{
    const int axes = SDL_JoystickNumAxes(j), buttons = SDL_JoystickNumButtons(j);
    const std::pair<const char*, int> used[] = {
        {"steering axis", m.steering.axis}, {"throttle axis", m.throttle.axis}, {"brake axis", m.brake.axis}};
    for (const auto& [what, axis] : used)
        if (axis >= axes)
            return file + ": the " + what + " is " + std::to_string(axis) + " but the wheel has " +
                   std::to_string(axes) + " axes (numbered from 0)";
    const std::pair<const char*, int> shifts[] = {{"shift_up", m.shiftUpButton}, {"shift_down", m.shiftDownButton}};
    for (const auto& [what, button] : shifts)
        if (button >= buttons)
            return file + ": " + what + " is button " + std::to_string(button) + " but the wheel has " +
                   std::to_string(buttons) + " buttons (numbered from 0)";
    return {};
}

}  // namespace

std::unique_ptr<ControllerDriver> ControllerDriver::open(const ControllerSettings& settings, std::string& error)
{
    const bool wheel = settings.kind == ControllerSettings::Kind::Wheel;
    ControllerMap map = wheel ? kWheelDefaults : gamepadMap();
    if (wheel && !settings.mapPath.empty() && !loadControllerMap(settings.mapPath, map, error)) return nullptr;
    if (SDL_InitSubSystem(kSubsystems) != 0) {
        error = std::string("cannot start SDL's joysticks: ") + SDL_GetError();
        return nullptr;
    }
    auto fail = [&](std::string why) -> std::unique_ptr<ControllerDriver> {
        SDL_QuitSubSystem(kSubsystems);
        error = std::move(why);
        return nullptr;
    };
    SDL_GameController* pad = nullptr;
    SDL_Joystick* joystick = nullptr;
    if (wheel) {
        const int i = wheelIndex();
        if (i < 0) return fail("no joystick found (is the wheel plugged in?)");
        joystick = SDL_JoystickOpen(i);
        if (!joystick) return fail(std::string("cannot open the wheel: ") + SDL_GetError());
        const std::string file = settings.mapPath.empty() ? "the built-in wheel map" : settings.mapPath;
        if (const std::string why = missingInput(map, joystick, file); !why.empty()) {
            SDL_JoystickClose(joystick);
            return fail(why);
        }
    } else {
        const int i = gamepadIndex();
        if (i < 0) return fail("no game controller found (is it plugged in?)");
        pad = SDL_GameControllerOpen(i);
        if (!pad) return fail(std::string("cannot open the game controller: ") + SDL_GetError());
        joystick = SDL_GameControllerGetJoystick(pad);
    }
    // Without haptics the controller still drives, only without force feedback.
    const bool haptics = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    return std::make_unique<SdlController>(pad, joystick, map, settings.ffbGain, haptics);
}
