#pragma once
// The car's driver aids switched as a driver at the keyboard switches them:
// through the car's own key ('a' anti-lock brakes, 't' traction control) and
// its key handler. The car flips the aid and asks the host to show its new
// state ("ABS: ON"); a key press that left the aid the wrong way round is
// followed by a second one.

#include <optional>
#include <string>

class ICar;
class SimHost;

enum class DriverAid { Abs, TractionControl };

// Puts the aid into the wanted state. Returns false when the car never
// showed the wanted state.
bool switchDriverAid(ICar& car, const SimHost& host, DriverAid aid, bool on);

// "on" and "off" as a switch; anything else is nothing.
std::optional<bool> parseOnOff(const std::string& text);
