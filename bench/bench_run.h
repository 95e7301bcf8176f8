// What the benchmarks that run the whole car share: a run directory filled
// from data/ to work in, and a way to keep the car's console lines out of the
// report.
#pragma once

#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "host/run_directory.h"

// Prepares the run directory `name` under the temporary folder and works in it.
inline void enterBenchRun(const char* name)
{
    const auto dir = std::filesystem::temp_directory_path() / name;
    RunDirectory run;
    run.prepare(dir.string(), SOLVI_DATA_DIR);
    std::filesystem::current_path(dir);
}

// Runs f with standard output going nowhere.
template <typename F>
void withoutConsole(F&& f)
{
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    f();
    std::fflush(stdout);
    dup2(saved, 1);
    close(null);
    close(saved);
}
