#include "host/window/key_script.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

bool KeyScript::load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) return error = "cannot open the key file " + path, false;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const auto fail = [&](const std::string& why) {
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> parts;
        for (std::string word; words >> word;) parts.push_back(word);
        if (parts.empty()) continue;
        if (parts.size() < 3) return fail("expected TIME KEY down|up");
        KeyEvent event;
        char* end = nullptr;
        errno = 0;
        event.time = std::strtod(parts[0].c_str(), &end);
        if (*end != '\0' || errno != 0 || !std::isfinite(event.time) || event.time < 0)
            return fail("'" + parts[0] + "' is not a time in seconds");
        if (!events_.empty() && event.time < events_.back().time)
            return fail("the times must not go back (" + parts[0] + " s after " +
                        std::to_string(events_.back().time) + " s)");
        // Names may hold spaces ("Left Shift"): all words between the time
        // and the last one.
        std::string name = parts[1];
        for (size_t i = 2; i + 1 < parts.size(); ++i) name += " " + parts[i];
        event.key = SDL_GetKeyFromName(name.c_str());
        if (event.key == SDLK_UNKNOWN) return fail("'" + name + "' is not a key name SDL knows");
        if (parts.back() != "down" && parts.back() != "up")
            return fail("'" + parts.back() + "' is neither down nor up");
        event.down = parts.back() == "down";
        events_.push_back(event);
    }
    return true;
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
