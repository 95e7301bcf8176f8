#include "host/sim_host.h"

#include "host/car_console.h"

IHostCar* SimHost::carByNumber(int number)
{
    if (number < 0 || number >= static_cast<int>(carList.size())) return nullptr;
    return carList[number];
}

void SimHost::showMessage(const char* text)
{
    messages.emplace_back(text ? text : "");
    std::fprintf(out(), "car: %s\n", messages.back().c_str());
}

void SimHost::lapCompleted(unsigned lapMs)
{
    lapTimesMs.push_back(lapMs);
    std::fprintf(out(), "lap %zu: %u:%02u.%03u\n", lapTimesMs.size(), lapMs / 60000,
                 (lapMs % 60000) / 1000, lapMs % 1000);
}

IHostFlag* SimHost::flag(const char* name)
{
    // Every name the car asks about gets a flag object that lives as long as
    // the host; names not given on the command line are off.
    auto [it, inserted] = flags_.try_emplace(name ? name : "", false);
    return &it->second;
}

void SimHost::setFlag(const std::string& name) { flags_.insert_or_assign(name, HostFlag(true)); }

std::FILE* SimHost::out() const
{
    if (out_) return out_;
    echoCarConsole();
    return hostOut();
}
