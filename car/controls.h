#pragma once
// The driver's controls as the host hands them to the car for one call.

class IControls {
public:
    virtual bool shiftDownButton() = 0;
    virtual bool shiftUpButton() = 0;
    virtual float brake() = 0;
    virtual float throttle() = 0;
    virtual void unusedSlot4() = 0;
    virtual float steering() = 0;

protected:
    ~IControls() = default;
};
