#pragma once
// Timed key presses for a window's drive (demos and tests), one per line:
//   TIME KEY down|up
// TIME in simulated seconds, in order; KEY a key name as SDL knows it
// ("Up", "Left", "E", "Left Shift", ...). '#' starts a comment; blank lines
// are allowed. When the drive reaches an event's time, the event is pushed
// into SDL's queue as a key event of the window, so it takes exactly the
// road of a key pressed on the keyboard.

#include <string>
#include <vector>

#include <SDL2/SDL.h>

struct KeyEvent {
    double time = 0;  // simulated seconds
    SDL_Keycode key = SDLK_UNKNOWN;
    bool down = true;
};

class KeyScript {
public:
    // Reads the file; false with "FILE:LINE: reason" for the first bad line.
    bool load(const std::string& path, std::string& error);
    const std::vector<KeyEvent>& events() const { return events_; }

    // Pushes the events due by `time` into SDL's queue for the window;
    // true when it pushed any.
    bool pushDue(double time, Uint32 windowId);

private:
    std::vector<KeyEvent> events_;
    size_t next_ = 0;
};
