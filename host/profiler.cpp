#include "host/profiler.h"

#include <cstring>
#include <ctime>

namespace {
uint64_t nowNs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000000ull + static_cast<uint64_t>(t.tv_nsec);
}
}  // namespace

HostProfiler::Section& HostProfiler::find(const char* name)
{
    for (Section& s : sections_)
        if (std::strcmp(s.name.c_str(), name) == 0) return s;
    sections_.push_back(Section{name});
    return sections_.back();
}

void HostProfiler::begin(const char* section)
{
    Section& s = find(section ? section : "");
    s.startedNs = nowNs();
    s.open = true;
}

void HostProfiler::end(const char* section)
{
    const uint64_t now = nowNs();
    Section& s = find(section ? section : "");
    if (!s.open) return;  // an end without its begin is ignored
    s.totalNs += now - s.startedNs;
    ++s.calls;
    s.open = false;
}

void HostProfiler::report(std::FILE* out, uint64_t frameNs) const
{
    std::fprintf(out, "%-12s %10s %10s %10s %7s\n", "section", "calls", "total ms", "us/call", "share");
    for (const Section& s : sections_) {
        const double ms = s.totalNs / 1e6;
        const double perCall = s.calls ? s.totalNs / 1e3 / s.calls : 0.0;
        const double share = frameNs ? 100.0 * s.totalNs / frameNs : 0.0;
        std::fprintf(out, "%-12s %10llu %10.1f %10.2f %6.1f%%\n", s.name.c_str(),
                     static_cast<unsigned long long>(s.calls), ms, perCall, share);
    }
}
