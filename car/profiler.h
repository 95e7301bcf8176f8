#pragma once
// The host's optional profiler: the car brackets named sections of its step.

class IProfiler {
public:
    virtual void begin(const char* section) = 0;
    virtual void end(const char* section) = 0;

protected:
    ~IProfiler() = default;
};
