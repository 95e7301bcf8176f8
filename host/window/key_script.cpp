#include "host/window/key_script.h"

#include "host/timed_lines.h"

bool KeyScript::load(const std::string& path, std::string& error)
{
    events_.clear();
    next_ = 0;
    return readTimedLines(
        path, "key file",
        [&](double time, const std::vector<std::string>& words, std::string& why) {
            if (words.size() < 2) return why = "expected TIME KEY down|up", false;
            // Names may hold spaces ("Left Shift"): all words but the last.
            std::string name = words[0];
            for (size_t i = 1; i + 1 < words.size(); ++i) name += " " + words[i];
            const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
            if (key == SDLK_UNKNOWN) return why = "'" + name + "' is not a key name SDL knows", false;
            if (words.back() != "down" && words.back() != "up")
                return why = "'" + words.back() + "' is neither down nor up", false;
            events_.push_back({time, key, words.back() == "down"});
            return true;
        },
        error);
}

bool KeyScript::pushDue(double time, Uint32 windowId)
{
    bool pushed = false;
    for (; next_ < events_.size() && events_[next_].time <= time + 1e-9; ++next_) {
        const KeyEvent& e = events_[next_];
        SDL_Event event{};
        event.type = e.down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = windowId;
        event.key.state = e.down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = e.key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(e.key);
        pushed = SDL_PushEvent(&event) == 1 || pushed;
    }
    return pushed;
}
