#include "system/system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

void RSystem::initTimer() { initTimer(kNativeFrequency); }

void RSystem::initTimer(uint64_t frequency) {
    printf("Init high performance timer...\n");
    counterFrequency = frequency;
    ticksPerMs = frequency / 1000;
    ticksPer10Us = frequency / 100000;
}

uint64_t RSystem::readCounter() const {
    uint64_t ns;
    if (clockSource != nullptr) {
        ns = clockSource->nowNanoseconds();
    } else {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        ns = static_cast<uint64_t>(ts.tv_sec) * kNativeFrequency + static_cast<uint64_t>(ts.tv_nsec);
    }
    if (counterFrequency == kNativeFrequency) return ns;
    // 128-bit so that days of uptime times a GHz-class rate cannot overflow.
    return static_cast<uint64_t>(static_cast<unsigned __int128>(ns) * counterFrequency / kNativeFrequency);
}

uint64_t RSystem::getTimeMs() const { return ticksPerMs == 0 ? 0 : readCounter() / ticksPerMs; }

uint64_t RSystem::getTime10Us() const { return ticksPer10Us == 0 ? 0 : readCounter() / ticksPer10Us; }

bool RSystem::fileExists(std::string fileName) const {
    FILE* f = fopen(fileName.c_str(), "rb");
    if (f == nullptr) return false;
    // fopen succeeds on a directory here; only a regular file is a file.
    struct stat st{};
    const bool regular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    fclose(f);
    return regular;
}

void RSystem::autoCheckFile(std::string fileName) const {
    if (fileExists(fileName)) return;
    printf("RSystem::autoCheckFile : file not found %s\n", fileName.c_str());
    fflush(stdout);
    exit(0);
}

bool RSystem::isKeyDown(char key) const { return input != nullptr && input->isKeyDown(key); }

bool RSystem::isShiftDown() const { return input != nullptr && input->isShiftDown(); }

void RSystem::getMouseButtons(bool& left, bool& right) const {
    left = false;
    right = false;
    if (input != nullptr) input->getMouseButtons(left, right);
}

void RSystem::getCursorPos(int& x, int& y) const {
    x = 0;
    y = 0;
    if (input != nullptr) input->getCursorPos(x, y);
}

void RSystem::setCursorPos(int x, int y) {
    if (input != nullptr) input->setCursorPos(x, y);
}

void RSystem::openConsole() { consoleHandle = STDOUT_FILENO; }

void RSystem::writeConsole(std::string text) const {
    if (consoleHandle < 0) return;
    // The console shares the descriptor with printf's buffered output; flush
    // it first so that the two channels appear in the order they were used.
    fflush(stdout);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(consoleHandle, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

double RSystem::randomUnit() const {
    // The scale assumes a 15-bit generator; this C library's rand() spans
    // 31 bits, so keep the low 15 to stay within 0..1.
    return unitFromRand(rand() % 32768);
}
