// The heads-up display over the pictures: speed, gear and rpm, the current,
// last and best lap, the driver aids' states as the car last announced them
// through the host, then the car's own name (and its debug text when the
// host's debug flag is set). Written with the engine's text writer.
#pragma once

#include <string>
#include <vector>

#include "graphics/text.h"

class ICar;
class REngine;
class SimHost;

class Hud {
public:
    Hud(REngine& engine, const SimHost& host, int height);
    // `overlay`: lines shown in a block in the middle of the picture.
    void draw(ICar& car, const std::vector<std::string>& overlay = {});

private:
    REngine& engine_;
    const SimHost& host_;
    RText text_;
};
