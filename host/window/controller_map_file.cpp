#include "host/window/controller_map_file.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <vector>

namespace {

// Reads one value into its field; the reason when the text will not do.
using Setter = std::function<std::string(const std::string&)>;

struct Key {
    const char* name;
    Setter set;
};

constexpr int kMaxIndex = 255;  // axes and buttons are numbered from 0 by SDL

template <typename T>
bool parseNumber(const std::string& text, T& out)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc{} && ptr == end;
}

Setter wholeNumber(int& out, int lo, int hi)
{
    return [&out, lo, hi](const std::string& v) -> std::string {
        int n = 0;
        if (!parseNumber(v, n) || n < lo || n > hi)
            return "'" + v + "' is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
        out = n;
        return {};
    };
}

Setter rawValue(int& out) { return wholeNumber(out, -32768, 32767); }
Setter index(int& out) { return wholeNumber(out, 0, kMaxIndex); }

Setter fraction(float& out, float lo, float hi, const char* range)
{
    return [&out, lo, hi, range](const std::string& v) -> std::string {
        float f = 0;
        if (!parseNumber(v, f) || !std::isfinite(f) || f < lo || f > hi)
            return "'" + v + "' is not a number from " + range;
        out = f;
        return {};
    };
}

Setter yesNo(bool& out)
{
    return [&out](const std::string& v) -> std::string {
        if (v != "yes" && v != "no") return "'" + v + "' is neither yes nor no";
        out = v == "yes";
        return {};
    };
}

std::vector<Key> pedalKeys(PedalAxis& a)
{
    return {{"axis", index(a.axis)},
            {"invert", yesNo(a.invert)},
            {"released", rawValue(a.released)},
            {"pressed", rawValue(a.pressed)},
            {"dead_zone", fraction(a.deadZone, 0.0f, 0.5f, "0 to 0.5")}};
}

// The keys of a section over the map being filled; empty for an unknown one.
std::vector<Key> keysOf(const std::string& section, ControllerMap& m, PedalAxis& clutch)
{
    if (section == "steering")
        return {{"axis", index(m.steering.axis)},
                {"invert", yesNo(m.steering.invert)},
                {"left", rawValue(m.steering.left)},
                {"right", rawValue(m.steering.right)},
                {"dead_zone", fraction(m.steering.deadZone, 0.0f, 0.5f, "0 to 0.5")},
                {"scale", fraction(m.steering.scale, 0.1f, 10.0f, "0.1 to 10")}};
    if (section == "throttle") return pedalKeys(m.throttle);
    if (section == "brake") return pedalKeys(m.brake);
    if (section == "clutch") return pedalKeys(clutch);
    if (section == "buttons") return {{"shift_up", index(m.shiftUpButton)}, {"shift_down", index(m.shiftDownButton)}};
    if (section == "force_feedback") return {{"invert", yesNo(m.invertForceFeedback)}};
    return {};
}

std::string trimmed(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// The ranges that would divide by zero, named by section.
std::string emptyRange(const ControllerMap& m, const PedalAxis& clutch)
{
    if (m.steering.left == m.steering.right) return "[steering] left and right are the same raw value";
    const std::pair<const char*, const PedalAxis*> pedals[] = {
        {"throttle", &m.throttle}, {"brake", &m.brake}, {"clutch", &clutch}};
    for (const auto& [name, p] : pedals)
        if (p->released == p->pressed) return std::string("[") + name + "] released and pressed are the same raw value";
    if (m.shiftUpButton == m.shiftDownButton) return "[buttons] shift_up and shift_down are the same button";
    return {};
}

}  // namespace

bool parseControllerMap(const std::string& text, const std::string& name, ControllerMap& map, std::string& error)
{
    ControllerMap m = kWheelDefaults;
    // The car works its clutch itself: a clutch axis is checked like the
    // pedals, so that one map serves other cars too, and then left unused.
    PedalAxis clutch{3, false, 32767, -32768, 0.02f};
    std::istringstream in(text);
    std::string line, section;
    std::vector<Key> keys;
    std::set<std::string> seen;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        line = trimmed(line.substr(0, line.find_first_of("#;")));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a section name ends with ']'");
            section = trimmed(line.substr(1, line.size() - 2));
            keys = keysOf(section, m, clutch);
            if (keys.empty())
                return fail("unknown section [" + section +
                            "] (steering, throttle, brake, clutch, buttons, force_feedback)");
            if (!seen.insert("[" + section).second) return fail("section [" + section + "] appears twice");
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return fail("expected 'key = value'");
        const std::string key = trimmed(line.substr(0, eq)), value = trimmed(line.substr(eq + 1));
        if (section.empty()) return fail("'" + key + "' comes before any section");
        std::string known;
        const Key* found = nullptr;
        for (const Key& k : keys) {
            known += (known.empty() ? "" : ", ") + std::string(k.name);
            if (key == k.name) found = &k;
        }
        if (!found) return fail("unknown key '" + key + "' in [" + section + "] (" + known + ")");
        if (!seen.insert(section + "." + key).second) return fail("'" + key + "' appears twice in [" + section + "]");
        if (const std::string why = found->set(value); !why.empty()) return fail(key + ": " + why);
    }
    if (const std::string why = emptyRange(m, clutch); !why.empty()) {
        error = name + ": " + why;
        return false;
    }
    map = m;
    return true;
}

bool loadControllerMap(const std::string& path, ControllerMap& map, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the controller map " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();  // an empty map is all defaults
    return parseControllerMap(text.str(), path, map, error);
}
