#include "host/window/sdl_input.h"

#include <cctype>

void SdlInput::handle(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN: held_.insert(event.key.keysym.sym); break;
    case SDL_KEYUP: held_.erase(event.key.keysym.sym); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (event.button.button == SDL_BUTTON_LEFT) left_ = down;
        if (event.button.button == SDL_BUTTON_RIGHT) right_ = down;
        x_ = event.button.x;
        y_ = event.button.y;
        break;
    }
    case SDL_MOUSEMOTION:
        x_ = event.motion.x;
        y_ = event.motion.y;
        break;
    case SDL_WINDOWEVENT:
        // Keys released in another window would stay down for ever.
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            held_.clear();
            left_ = right_ = false;
        }
        break;
    default: break;
    }
}

// SDL's key codes of the printable keys are their lower-case characters.
bool SdlInput::isKeyDown(char key)
{
    return isHeld(static_cast<SDL_Keycode>(std::tolower(static_cast<unsigned char>(key))));
}

bool SdlInput::isShiftDown() { return isHeld(SDLK_LSHIFT) || isHeld(SDLK_RSHIFT); }

void SdlInput::getMouseButtons(bool& left, bool& right)
{
    left = left_;
    right = right_;
}

void SdlInput::getCursorPos(int& x, int& y)
{
    x = x_;
    y = y_;
}

void SdlInput::setCursorPos(int x, int y)
{
    if (window_) SDL_WarpMouseInWindow(window_, x, y);
    x_ = x;
    y_ = y;
}
