#pragma once
// Loads a car plug-in with dlopen, finds its two entry points and hands out
// its car. Closing unloads the library, which destroys the car.

#include <string>

class ICar;

class PluginLibrary {
public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // Loads the library and calls its entry points. On failure returns false
    // and leaves a message naming what was missing in error().
    bool open(const std::string& path);

    // Unloads the library. Returns true when the library is really gone from
    // the process afterwards (its static car has been destroyed).
    bool close();

    ICar* car() const { return car_; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    void* handle_ = nullptr;
    ICar* car_ = nullptr;
    std::string path_;
    std::string error_;
};
