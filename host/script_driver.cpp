#include "host/script_driver.h"

#include <cmath>
#include <cstdlib>

#include "host/timed_lines.h"

bool ScriptDriver::load(const std::string& path, std::string& error)
{
    events_.clear();
    next_ = 0;
    held_ = DriverInputs{};
    return readTimedLines(
        path, "driver script",
        [&](double time, const std::vector<std::string>& words, std::string& why) {
            if (words.size() != 2) return why = "expected a control and a value", false;
            const std::string& control = words[0];
            const std::string& value = words[1];
            Event e{static_cast<float>(time), Control::Steering, 0};
            if (control == "shift") {
                if (value != "up" && value != "down") return why = "shift takes 'up' or 'down'", false;
                e.control = value == "up" ? Control::ShiftUp : Control::ShiftDown;
            } else {
                char* end = nullptr;
                e.value = std::strtof(value.c_str(), &end);
                if (*end != '\0' || !std::isfinite(e.value)) return why = "'" + value + "' is not a number", false;
                if (control == "steering") {
                    if (e.value < -1 || e.value > 1) return why = "steering runs from -1 to 1", false;
                    e.control = Control::Steering;
                } else if (control == "throttle" || control == "brake") {
                    if (e.value < 0 || e.value > 1) return why = control + " runs from 0 to 1", false;
                    e.control = control == "throttle" ? Control::Throttle : Control::Brake;
                } else {
                    return why = "unknown control '" + control + "' (steering, throttle, brake, shift)", false;
                }
            }
            events_.push_back(e);
            return true;
        },
        error);
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
