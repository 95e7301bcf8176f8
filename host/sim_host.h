#pragma once
// The host's simulation object as the car sees it. Its first base is the
// gearbox's shift listener (one pointer in size) and its second the ISimHost
// the car calls, so the car finds ISimHost one pointer past the object's
// address. It keeps the car list, the named flags from the command line and
// the debug flag, prints the car's messages and collects completed laps.

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "car/sim_host.h"
#include "powertrain/shift_listener.h"

// A named switch the host was given, such as "LOADENGINECURVE".
class HostFlag : public IHostFlag {
public:
    explicit HostFlag(bool set) : set_(set) {}
    bool isSet() override { return set_; }

private:
    bool set_;
};

class SimHost : public IShiftListener, public ISimHost {
public:
    // `out` null: vqsim's own output (the terminal, not the car's console).
    explicit SimHost(std::FILE* out = nullptr) : out_(out) {}

    // IShiftListener
    void unusedSlot0() override {}
    void shiftFinished() override { ++shiftsFinished; }
    void shiftStarted() override { ++shiftsStarted; }

    // ISimHost
    IHostCar* createGhostCar() override { return nullptr; }
    bool debugFlag() override { return debug; }
    void unusedSlot2() override {}
    IHostCar* carByNumber(int number) override;
    void showMessage(const char* text) override;
    HostCarList* cars() override { return &carList; }
    void unusedSlot6() override {}
    void unusedSlot7() override {}
    void lapCompleted(unsigned lapMs) override;
    void unusedSlot9() override {}
    void unusedSlot10() override {}
    IHostFlag* flag(const char* name) override;

    // Switches a named flag on (from the command line).
    void setFlag(const std::string& name);

    bool debug = false;
    HostCarList carList;
    std::vector<unsigned> lapTimesMs;
    std::vector<std::string> messages;
    int shiftsStarted = 0;
    int shiftsFinished = 0;

private:
    std::FILE* out() const;

    std::FILE* out_;
    std::map<std::string, HostFlag> flags_;
};
