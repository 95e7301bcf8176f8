#include "host/plugin_library.h"

#include <dlfcn.h>

namespace {
using InitFn = void (*)();
using GetCarFn = ICar* (*)();
}  // namespace

PluginLibrary::~PluginLibrary() { close(); }

bool PluginLibrary::open(const std::string& path)
{
    close();
    path_ = path;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = "cannot load the car plug-in " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    auto init = reinterpret_cast<InitFn>(dlsym(handle_, "vqInit"));
    auto getCar = reinterpret_cast<GetCarFn>(dlsym(handle_, "vqGetCar"));
    if (!init || !getCar) {
        error_ = "the library " + path + " is not a car plug-in: it does not export " +
                 (!init ? "vqInit" : "vqGetCar");
        dlclose(handle_);
        handle_ = nullptr;
        return false;
    }
    init();
    car_ = getCar();
    if (!car_) {
        error_ = "the car plug-in " + path + " returned no car from vqGetCar";
        dlclose(handle_);
        handle_ = nullptr;
        return false;
    }
    return true;
}

bool PluginLibrary::close()
{
    if (!handle_) return true;
    car_ = nullptr;
    dlclose(handle_);
    handle_ = nullptr;
    // RTLD_NOLOAD finds the library only if something still holds it.
    void* still = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (still) {
        dlclose(still);
        return false;
    }
    return true;
}
