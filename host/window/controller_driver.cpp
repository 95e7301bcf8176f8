#include "host/window/controller_driver.h"

std::unique_ptr<ControllerDriver> ControllerDriver::open(const ControllerSettings&, std::string& error)
{
    error = "game controllers are not supported yet";
    return nullptr;
}
