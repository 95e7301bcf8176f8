// RSystem: the graphics engine's operating-system services on POSIX: file
// checks, a tick counter turned into millisecond and 10-microsecond clocks,
// keyboard and mouse polling, a console channel and a unit random number.
// Keys, mouse and cursor come from an RInputSource when a window supplies
// one; without it nothing is ever down.
#pragma once

#include <cstdint>
#include <string>

// What a window driver offers RSystem for polling input. Not owned by RSystem.
class RInputSource {
public:
    virtual ~RInputSource() = default;
    virtual bool isKeyDown(char key) = 0;
    // Either Shift key, which no character stands for.
    virtual bool isShiftDown() { return false; }
    virtual void getMouseButtons(bool& left, bool& right) = 0;
    virtual void getCursorPos(int& x, int& y) = 0;
    virtual void setCursorPos(int x, int y) = 0;
};

// A clock RSystem reads instead of the monotonic one, in nanoseconds from an
// arbitrary origin; tests use it to drive frame timing. Not owned by RSystem.
class RClockSource {
public:
    virtual ~RClockSource() = default;
    virtual uint64_t nowNanoseconds() = 0;
};

class RSystem {
public:
    // Frequency of the monotonic nanosecond clock that backs the counter.
    static constexpr uint64_t kNativeFrequency = 1000000000ull;

    RSystem() = default;
    virtual ~RSystem() = default;

    // Prints "Init high performance timer...\n" and fixes the divisors for
    // the native nanosecond counter.
    void initTimer();
    // The same for a counter running at counterFrequency ticks per second:
    // the nanosecond clock is rescaled to that rate and the divisors are the
    // truncated frequency / 1000 and / 100000, so e.g. 3,579,545 Hz gives
    // 3579 and 35 and clocks that run slightly fast.
    void initTimer(uint64_t counterFrequency);

    // Whole milliseconds / 10-microsecond units since an arbitrary origin;
    // counter divided by the divisor, nothing else. Both answer 0 before
    // initTimer rather than dividing by zero.
    uint64_t getTimeMs() const;
    uint64_t getTime10Us() const;

    // True only for a regular file that opens for binary reading; a
    // directory or an unreadable file counts as missing.
    bool fileExists(std::string fileName) const;
    // Ends the process with exit code 0 after
    // "RSystem::autoCheckFile : file not found %s\n" when the file is
    // missing; returns silently otherwise.
    void autoCheckFile(std::string fileName) const;

    bool isKeyDown(char key) const;
    bool isShiftDown() const;
    void getMouseButtons(bool& left, bool& right) const;
    void getCursorPos(int& x, int& y) const;
    void setCursorPos(int x, int y);
    // The window that polls input hands itself in here (null detaches).
    void setInputSource(RInputSource* source) { input = source; }
    // Replaces the monotonic clock (null restores it).
    void setClockSource(RClockSource* source) { clockSource = source; }

    // On POSIX the process's standard output is the console.
    void openConsole();
    // Writes every character to the console; nothing before openConsole.
    void writeConsole(std::string text) const;

    // rand() reduced to 0..32767, times 3.051851e-5f (1/32767): 0 to 1
    // inclusive.
    double randomUnit() const;
    // The scaling alone, for a value already in 0..32767.
    static double unitFromRand(int value) { return value * 3.051851e-5f; }

    // Fields in this order; the host reads them through the engine.
    int consoleHandle = -1;     // file descriptor after openConsole, -1 unset
    uint64_t ticksPerMs = 0;    // counter frequency / 1000
    uint64_t ticksPer10Us = 0;  // counter frequency / 100000
    // Additions of this port, after the fields above.
    uint64_t counterFrequency = 0;
    RInputSource* input = nullptr;
    RClockSource* clockSource = nullptr;

private:
    uint64_t readCounter() const;
};
