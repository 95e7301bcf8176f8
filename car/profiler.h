#pragma once
// The host's optional profiler: the car brackets named sections of its step.

class IProfiler {
public:
    virtual void begin(const char* section) = 0;
    virtual void end(const char* section) = 0;

protected:
    ~IProfiler() = default;
};

// Brackets one named section for the scope it lives in; no profiler, no cost.
class ProfileSection {
public:
    ProfileSection(IProfiler* profiler, const char* name) : profiler_(profiler), name_(name)
    {
        if (profiler_) profiler_->begin(name_);
    }
    ~ProfileSection()
    {
        if (profiler_) profiler_->end(name_);
    }

private:
    IProfiler* profiler_;
    const char* name_;
};
