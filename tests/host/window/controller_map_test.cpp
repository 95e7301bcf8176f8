// Game controllers and wheels: raw SDL axis values to the driver's controls
// (ranges, inversion, dead zones, lock scaling), the wheel's map file, and
// the driver opened on SDL's virtual devices (no hardware needed).

#include <SDL2/SDL.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "host/window/controller_driver.h"
#include "host/window/controller_map_file.h"

namespace {

// The five controls in one line: steering, throttle, brake, shift up, shift down.
std::string shown(const DriverInputs& in)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4f %.4f %.4f %d%d", in.steering, in.throttle, in.brake, in.shiftUp, in.shiftDown);
    return text;
}

std::string read(const ControllerMap& m, std::vector<int16_t> axes, std::vector<uint8_t> buttons = {})
{
    return shown(mapControls(m, axes, buttons));
}

// Steering over -1000..1000 with a 10 % dead zone: 550 is 0.55 of the half
// travel, (0.55 - 0.1) / 0.9 = 0.5. Throttle 1000 released, -1000 pressed,
// 20 % dead zone: 200 is 0.4 of the travel, (0.4 - 0.2) / 0.8 = 0.25. The
// brake reads the same axis mirrored (-1 - raw): 600 -> -601, 0.8005 of the
// travel, (0.8005 - 0.2) / 0.8 = 0.750625.
TEST(ControllerMap, RangesDeadZonesInversionAndScale)
{
    ControllerMap m;
    m.steering = {0, false, -1000, 1000, 0.1f, 1.0f};
    m.throttle = {1, false, 1000, -1000, 0.2f};
    m.brake = {1, true, 1000, -1000, 0.2f};
    EXPECT_EQ(read(m, {0, 1000}), "0.0000 0.0000 1.0000 00");
    EXPECT_EQ(read(m, {-100, 600}), "0.0000 0.0000 0.7506 00");
    EXPECT_EQ(read(m, {550, 200}), "0.5000 0.2500 0.5006 00");
    EXPECT_EQ(read(m, {-550, -201}), "-0.5000 0.5006 0.2500 00");
    EXPECT_EQ(read(m, {1000, -1000}), "1.0000 1.0000 0.0000 00");
    EXPECT_EQ(read(m, {-32768, 32767}), "-1.0000 0.0000 1.0000 00");
    m.steering.scale = 2;  // 325: (0.325 - 0.1) / 0.9 * 2 = 0.5
    EXPECT_EQ(read(m, {325, 1000}), "0.5000 0.0000 1.0000 00");
    EXPECT_EQ(read(m, {-600, 1000}), "-1.0000 0.0000 1.0000 00");
    m.steering.scale = 0.5f;  // beyond the range is full lock, then halved
    EXPECT_EQ(read(m, {5000, 1000}), "0.5000 0.0000 1.0000 00");
    // Throttle and brake sharing one axis that rests at its centre.
    m.throttle = {1, false, 0, -32768, 0};
    m.brake = {1, false, 0, 32767, 0};
    EXPECT_EQ(read(m, {0, -16384}), "0.0000 0.5000 0.0000 00");
    EXPECT_EQ(read(m, {0, 32767}), "0.0000 0.0000 1.0000 00");
    // Buttons by number; what the device lacks reads as released or centred.
    EXPECT_EQ(read(kWheelDefaults, {}, {0, 0, 0, 0, 1}), "0.0000 0.0000 0.0000 10");
}

// Left stick X over -32768..32767 with a 15 % dead zone: 18841 is
// 18841.5 / 32767.5 = 0.575 of the half travel, (0.575 - 0.15) / 0.85 = 0.5.
// A trigger at 16384 of 32767 with 5 %: (0.500015 - 0.05) / 0.95 = 0.473700.
TEST(ControllerMap, GamepadLayout)
{
    const ControllerMap pad = gamepadMap();
    auto axes = [](int16_t x, int16_t left, int16_t right) { return std::vector<int16_t>{x, 0, 0, 0, left, right}; };
    std::vector<uint8_t> buttons(SDL_CONTROLLER_BUTTON_MAX);
    buttons[SDL_CONTROLLER_BUTTON_LEFTSHOULDER] = 1;
    EXPECT_EQ(read(pad, axes(18841, 16384, 16384), buttons), "0.5000 0.4737 0.4737 01");
    buttons[SDL_CONTROLLER_BUTTON_RIGHTSHOULDER] = 1;
    EXPECT_EQ(read(pad, axes(-32768, 1600, 32767), buttons), "-1.0000 1.0000 0.0000 11");
    EXPECT_EQ(read(pad, axes(32767, 0, 0)), "1.0000 0.0000 0.0000 00");
}

TEST(ControllerMapFile, SampleIsTheDefaultAndLayoutsParse)
{
    ControllerMap m;
    std::string error;
    ASSERT_TRUE(loadControllerMap(SOLVI_DATA_DIR "/controls/wheel.ini", m, error)) << error;
    EXPECT_EQ(m, kWheelDefaults);
    const char* text = "; combined pedals\n[throttle]\r\naxis = 3\nreleased = 0\npressed = -32768 # half\n"
                       "[brake]\naxis=3\nreleased=0\npressed=32767\ninvert = yes\n\n[steering]\nscale = 2.5\n"
                       "dead_zone = 0.05\n[buttons]\nshift_up = 0\nshift_down = 1\n[force_feedback]\ninvert = yes\n";
    ASSERT_TRUE(parseControllerMap(text, "m.ini", m, error)) << error;
    EXPECT_EQ(m.throttle, (PedalAxis{3, false, 0, -32768, 0.02f}));
    EXPECT_EQ(m.brake, (PedalAxis{3, true, 0, 32767, 0.02f}));
    EXPECT_EQ(m.steering, (SteeringAxis{0, false, -32768, 32767, 0.05f, 2.5f}));
    EXPECT_EQ(m.shiftUpButton, 0);
    EXPECT_EQ(m.shiftDownButton, 1);
    EXPECT_TRUE(m.invertForceFeedback);
    ASSERT_TRUE(parseControllerMap("", "m.ini", m, error));
    EXPECT_EQ(m, kWheelDefaults);
}

TEST(ControllerMapFile, BadFilesAreRefusedWithLineAndReason)
{
    const struct {
        const char* text;
        const char* error;
    } rows[] = {
        {"[steering]\naxis = x\n", "m.ini:2: axis: 'x' is not a whole number from 0 to 255"},
        {"[brake]\n\nreleased = 40000\n", "m.ini:3: released: '40000' is not a whole number from -32768 to 32767"},
        {"[steering]\ndead_zone = 0.7\n", "m.ini:2: dead_zone: '0.7' is not a number from 0 to 0.5"},
        {"[steering]\nscale = 2x\n", "m.ini:2: scale: '2x' is not a number from 0.1 to 10"},
        {"[force_feedback]\ninvert = maybe\n", "m.ini:2: invert: 'maybe' is neither yes nor no"},
        {"[pedals]\n", "m.ini:1: unknown section [pedals] (steering, throttle, brake, clutch, buttons, force_feedback)"},
        {"[steering\n", "m.ini:1: a section name ends with ']'"},
        {"[steering]\nlock = 2\n", "m.ini:2: unknown key 'lock' in [steering] (axis, invert, left, right, dead_zone, scale)"},
        {"axis = 1\n", "m.ini:1: 'axis' comes before any section"},
        {"[brake]\naxis 1\n", "m.ini:2: expected 'key = value'"},
        {"[brake]\naxis = 1\naxis = 2\n", "m.ini:3: 'axis' appears twice in [brake]"},
        {"[brake]\n[throttle]\n[brake]\n", "m.ini:3: section [brake] appears twice"},
        {"[steering]\nleft = 5\nright = 5\n", "m.ini: [steering] left and right are the same raw value"},
        {"[clutch]\nreleased = 0\npressed = 0\n", "m.ini: [clutch] released and pressed are the same raw value"},
        {"[buttons]\nshift_up = 5\n", "m.ini: [buttons] shift_up and shift_down are the same button"},
    };
    for (const auto& r : rows) {
        ControllerMap m;
        std::string error;
        EXPECT_FALSE(parseControllerMap(r.text, "m.ini", m, error)) << r.text;
        EXPECT_EQ(error, r.error);
        EXPECT_EQ(m, kWheelDefaults) << r.text;
    }
    ControllerMap m;
    std::string error;
    EXPECT_FALSE(loadControllerMap("/nonexistent/wheel.ini", m, error));
    EXPECT_EQ(error, "cannot read the controller map /nonexistent/wheel.ini");
}

// SDL's virtual devices stand in for hardware: a wheel with the sample map,
// read through the joystick interface, a game controller, and the errors
// without any device.
TEST(ControllerDriver, OpensAndReadsVirtualDevices)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    std::string error;
    const ControllerSettings wheel{ControllerSettings::Kind::Wheel, SOLVI_DATA_DIR "/controls/wheel.ini", 1.0f};
    if (SDL_NumJoysticks() == 0) {
        EXPECT_FALSE(ControllerDriver::open({}, error));
        EXPECT_EQ(error, "no game controller found (is it plugged in?)");
        EXPECT_FALSE(ControllerDriver::open(wheel, error));
        EXPECT_EQ(error, "no joystick found (is the wheel plugged in?)");
    }
    const int small = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_WHEEL, 2, 6, 0);
    EXPECT_FALSE(ControllerDriver::open(wheel, error));
    EXPECT_EQ(error, std::string(wheel.mapPath) + ": the brake axis is 2 but the wheel has 2 axes (numbered from 0)");
    SDL_JoystickDetachVirtual(small);
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_WHEEL, 4, 6, 0);
    SDL_Joystick* device = SDL_JoystickOpen(index);
    const std::unique_ptr<ControllerDriver> driver = ControllerDriver::open({wheel.kind, "", 0.0f}, error);
    ASSERT_TRUE(driver) << error;
    EXPECT_EQ(driver->description(), "wheel \"Virtual Wheel\" (force feedback off)");
    // Half right, throttle released (+32767), brake fully pressed, left paddle.
    const int16_t axes[] = {16384, 32767, -32768, 0};
    for (int i = 0; i < 4; ++i) SDL_JoystickSetVirtualAxis(device, i, axes[i]);
    SDL_JoystickSetVirtualButton(device, 5, 1);
    SDL_JoystickUpdate();
    DriverInputs in;
    driver->drive({}, 0.003f, in);  // steering 16384.5 / 32767.5
    EXPECT_EQ(shown(in), "0.5000 0.0000 1.0000 01");
    // Pulled out: its axes fall back to 0, which would be half throttle here.
    SDL_JoystickDetachVirtual(index);
    SDL_JoystickUpdate();
    driver->drive({}, 0.003f, in);
    EXPECT_EQ(shown(in), "0.0000 0.0000 0.0000 00");
    SDL_JoystickClose(device);
    // A game controller, read through SDL's game-controller layout.
    const int padIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    SDL_Joystick* pad = SDL_JoystickOpen(padIndex);
    const std::unique_ptr<ControllerDriver> gamepad = ControllerDriver::open({}, error);
    ASSERT_TRUE(gamepad) << error;
    EXPECT_EQ(gamepad->description(), "gamepad \"Virtual Controller\" (no force feedback: the device has no constant-force effect)");
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1);
    SDL_JoystickUpdate();
    gamepad->drive({}, 0.003f, in);
    EXPECT_EQ(shown(in), "0.0000 1.0000 0.0000 10");
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(padIndex);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
