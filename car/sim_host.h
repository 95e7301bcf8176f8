#pragma once
// The host's simulation object as the car uses it. The car holds the address
// of this base (the host object's address plus one pointer) and calls it by
// table position; unused positions hold placeholders.

#include "car/host_car.h"

// A named switch of the host, such as "LOADENGINECURVE".
class IHostFlag {
public:
    virtual bool isSet() = 0;

protected:
    ~IHostFlag() = default;
};

class ISimHost {
public:
    // A ghost car for replay display; the replay owns and deletes it.
    virtual IHostCar* createGhostCar() = 0;
    virtual bool debugFlag() = 0;
    virtual void unusedSlot2() = 0;
    virtual IHostCar* carByNumber(int number) = 0;
    virtual void showMessage(const char* text) = 0;
    virtual HostCarList* cars() = 0;
    virtual void unusedSlot6() = 0;
    virtual void unusedSlot7() = 0;
    virtual void lapCompleted(unsigned lapMs) = 0;
    virtual void unusedSlot9() = 0;
    virtual void unusedSlot10() = 0;
    virtual IHostFlag* flag(const char* name) = 0;

protected:
    ~ISimHost() = default;
};
