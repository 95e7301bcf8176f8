#pragma once
// The host's profiler: the car brackets named sections of its step; the
// profiler adds up the wall time of each and reports them at the end.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "car/profiler.h"

class HostProfiler : public IProfiler {
public:
    void begin(const char* section) override;
    void end(const char* section) override;

    struct Section {
        std::string name;
        uint64_t totalNs = 0;
        uint64_t calls = 0;
        uint64_t startedNs = 0;
        bool open = false;
    };
    const std::vector<Section>& sections() const { return sections_; }

    // One line per section in first-seen order: calls, total ms, µs per call,
    // share of `frameNs` (the whole run's stepping time).
    void report(std::FILE* out, uint64_t frameNs) const;

private:
    Section& find(const char* name);
    std::vector<Section> sections_;  // a handful: a linear search is fastest
};
