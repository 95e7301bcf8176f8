#pragma once
// The driver at the window's keyboard: Up opens the throttle, Down brakes,
// Left and Right steer, E and Q hold the shift-up and shift-down buttons.
// Keys are all or nothing, so every control moves towards its key's value at
// a limited rate, as a foot or a hand would: the pedals press in a quarter of
// a second and let go in an eighth. The steering turns in more slowly and
// less far as the speed rises (full lock at rest, 30 % from 40 m/s on), so
// a tap of a key at speed does not throw the car off the road; it comes
// back towards the centre faster than it turns in.

#include "host/driver.h"

class SdlInput;

struct KeyboardRates {
    float pedalPress = 4.0f;     // per second, 0 -> 1 in 0.25 s
    float pedalRelease = 8.0f;   // per second
    float steerIn = 2.5f;        // per second at rest, scaled with the lock
    float steerCentre = 4.0f;    // per second, back towards the centre
    float lockAtSpeed = 0.3f;    // the share of full lock left at lockSpeed and above
    float lockSpeed = 40.0f;     // m/s
};

class KeyboardDriver final : public Driver {
public:
    explicit KeyboardDriver(const SdlInput& keys, KeyboardRates rates = {}) : keys_(keys), rates_(rates) {}
    void drive(const CarState& car, float dt, DriverInputs& inputs) override;

    // The share of full lock the keys give at a speed (m/s).
    float lockAt(float speed) const;

private:
    const SdlInput& keys_;
    KeyboardRates rates_;
    float throttle_ = 0, brake_ = 0, steering_ = 0;
};
