#pragma once
// Standard output to /dev/null while a Quiet lives: engines and loaders
// report every step, and a benchmark's own table must stay readable.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class Quiet {
public:
    Quiet() {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~Quiet() {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }

private:
    int saved;
};
