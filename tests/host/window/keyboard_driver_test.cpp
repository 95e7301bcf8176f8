// The keyboard driver as the window feeds it: key events through the
// window's input state, then ramped controls. Values by hand from the
// rates: pedals press at 4/s and let go at 8/s; the steering turns in at
// 2.5/s times the lock, which falls from 1 at rest to 0.3 at 40 m/s, and
// comes back at 4/s.

#include "host/window/keyboard_driver.h"

#include <gtest/gtest.h>

#include "host/window/sdl_input.h"

namespace {
void key(SdlInput& input, SDL_Keycode code, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = code;
    input.handle(event);
}
}  // namespace

TEST(KeyboardDriver, KeysRampTheControlsAndHoldTheShiftButtons)
{
    SdlInput input;
    KeyboardDriver driver(input);
    DriverInputs in;
    CarState car;
    const auto run = [&](int steps) {
        for (int i = 0; i < steps; ++i) driver.drive(car, 0.01f, in);
    };
    const struct {
        SDL_Keycode key;
        bool down;
        float speed;  // m/s
        int steps;    // of 10 ms
        float throttle, brake, steering;
    } cases[] = {
        {SDLK_UP, true, 0, 10, 0.4f, 0, 0},         // 4/s for 0.1 s
        {SDLK_UP, true, 0, 20, 1.0f, 0, 0},         // full, and no further
        {SDLK_UP, false, 0, 5, 0.6f, 0, 0},         // lets go at 8/s
        {SDLK_DOWN, true, 0, 5, 0.2f, 0.2f, 0},     // brake in while the throttle goes
        {SDLK_DOWN, false, 0, 20, 0, 0, 0},
        {SDLK_LEFT, true, 0, 10, 0, 0, -0.25f},     // left is negative, 2.5/s at rest
        {SDLK_LEFT, true, 0, 100, 0, 0, -1.0f},     // full lock at rest
        {SDLK_LEFT, false, 0, 10, 0, 0, -0.6f},     // back at 4/s
        {SDLK_LEFT, false, 0, 20, 0, 0, 0},
        {SDLK_RIGHT, true, 20, 10, 0, 0, 0.1625f},  // at 20 m/s: lock 0.65, 1.625/s
        {SDLK_RIGHT, true, 20, 100, 0, 0, 0.65f},
        {SDLK_RIGHT, true, 60, 10, 0, 0, 0.3f},     // faster: the lock falls to 0.3, at 4/s
    };
    for (const auto& c : cases) {
        key(input, c.key, c.down);
        car.speed = c.speed;
        run(c.steps);
        const std::string what = std::string(SDL_GetKeyName(c.key)) + (c.down ? " held" : " released");
        EXPECT_NEAR(in.throttle, c.throttle, 1e-5) << what;
        EXPECT_NEAR(in.brake, c.brake, 1e-5) << what;
        EXPECT_NEAR(in.steering, c.steering, 1e-5) << what;
    }

    // The shift buttons are held exactly as long as E and Q.
    key(input, SDLK_e, true);
    run(1);
    EXPECT_TRUE(in.shiftUp);
    EXPECT_FALSE(in.shiftDown);
    key(input, SDLK_e, false);
    key(input, SDLK_q, true);
    run(1);
    EXPECT_FALSE(in.shiftUp);
    EXPECT_TRUE(in.shiftDown);

    // The car asks for its keys by character, either case; Shift too.
    EXPECT_TRUE(input.isKeyDown('q'));
    EXPECT_TRUE(input.isKeyDown('Q'));
    EXPECT_FALSE(input.isKeyDown('e'));
    EXPECT_FALSE(input.isShiftDown());
    key(input, SDLK_RSHIFT, true);
    EXPECT_TRUE(input.isShiftDown());
}
