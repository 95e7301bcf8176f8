#include "host/script_driver.h"

#include <cmath>
#include <fstream>
#include <sstream>

bool ScriptDriver::load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open the driver script " + path;
        return false;
    }
    events_.clear();
    next_ = 0;
    held_ = DriverInputs{};
    std::string line;
    int lineNo = 0;
    float last = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        float time;
        std::string control, value;
        if (!(words >> time)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            error = path + ":" + std::to_string(lineNo) + ": expected a time in seconds";
            return false;
        }
        auto fail = [&](const std::string& why) {
            error = path + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        };
        if (!std::isfinite(time) || time < last) return fail("times must not go backwards");
        last = time;
        if (!(words >> control >> value)) return fail("expected a control and a value");
        Event e{time, Control::Steering, 0};
        if (control == "shift") {
            if (value != "up" && value != "down") return fail("shift takes 'up' or 'down'");
            e.control = value == "up" ? Control::ShiftUp : Control::ShiftDown;
        } else {
            char* end = nullptr;
            e.value = std::strtof(value.c_str(), &end);
            if (*end != '\0' || !std::isfinite(e.value)) return fail("'" + value + "' is not a number");
            if (control == "steering") {
                if (e.value < -1 || e.value > 1) return fail("steering runs from -1 to 1");
                e.control = Control::Steering;
            } else if (control == "throttle" || control == "brake") {
                if (e.value < 0 || e.value > 1) return fail(control + " runs from 0 to 1");
                e.control = control == "throttle" ? Control::Throttle : Control::Brake;
            } else {
                return fail("unknown control '" + control + "' (steering, throttle, brake, shift)");
            }
        }
        events_.push_back(e);
    }
    return true;
}

void ScriptDriver::drive(const CarState& car, float, DriverInputs& inputs)
{
    held_.shiftUp = held_.shiftDown = false;
    for (; next_ < events_.size() && events_[next_].time <= car.time; ++next_) {
        const Event& e = events_[next_];
        switch (e.control) {
        case Control::Steering: held_.steering = e.value; break;
        case Control::Throttle: held_.throttle = e.value; break;
        case Control::Brake: held_.brake = e.value; break;
        case Control::ShiftUp: held_.shiftUp = true; break;
        case Control::ShiftDown: held_.shiftDown = true; break;
        }
    }
    inputs = held_;
}
