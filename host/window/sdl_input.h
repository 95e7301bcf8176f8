#pragma once
// Keyboard and mouse of the window as the engine's system services poll
// them. The state is kept from the events the window receives, not read
// from SDL's own keyboard state: events pushed into SDL's queue (a key
// script's) arrive through the queue but never reach that state, and they
// must count exactly like keys pressed on the keyboard.

#include <set>

#include <SDL2/SDL.h>

#include "system/system.h"

class SdlInput final : public RInputSource {
public:
    // The window the cursor warps in; null: no warping.
    explicit SdlInput(SDL_Window* window = nullptr) : window_(window) {}

    // Follows one event of the window's queue (keys, buttons, motion;
    // others are ignored). Losing the focus lets every key go.
    void handle(const SDL_Event& event);
    // A key, by SDL's key code, is held down.
    bool isHeld(SDL_Keycode key) const { return held_.count(key) != 0; }

    // RInputSource. Characters as the car asks for them: either case
    // stands for the key.
    bool isKeyDown(char key) override;
    bool isShiftDown() override;
    void getMouseButtons(bool& left, bool& right) override;
    void getCursorPos(int& x, int& y) override;
    void setCursorPos(int x, int y) override;

private:
    SDL_Window* window_;
    std::set<SDL_Keycode> held_;
    bool left_ = false, right_ = false;
    int x_ = 0, y_ = 0;
};
