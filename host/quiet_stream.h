#pragma once
// Sends one of the process's standard streams to /dev/null while it lives.
// Libraries print progress or complaints of their own (the engine's device
// steps, the loaders' refusals, the sound libraries probing for a device)
// where vqsim's output must not carry them, or says the same in one line.

#include <cstdio>

class QuietStream {
public:
    // `stream` is stdout or stderr; it is flushed on the way in and out.
    explicit QuietStream(FILE* stream);
    ~QuietStream();
    QuietStream(const QuietStream&) = delete;
    QuietStream& operator=(const QuietStream&) = delete;

private:
    FILE* stream_;
    int saved_ = -1;
};
