#include "host/driver_aids.h"

#include "car/icar.h"
#include "host/sim_host.h"

bool switchDriverAid(ICar& car, const SimHost& host, DriverAid aid, bool on)
{
    const char key = aid == DriverAid::Abs ? 'a' : 't';
    const std::string name = aid == DriverAid::Abs ? "ABS" : "TRACTION CONTROL";
    const std::string wanted = name + (on ? ": ON" : ": OFF");
    // Two presses reach either state from either state.
    for (int press = 0; press < 2; ++press) {
        const size_t shown = host.messages.size();
        car.onKey(static_cast<uint8_t>(key));
        if (host.messages.size() > shown && host.messages.back() == wanted) return true;
    }
    return false;
}

std::optional<bool> parseOnOff(const std::string& text)
{
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}
