#pragma once
// Walks a command's arguments: option words, their values and positional
// words, with clear messages for a missing or malformed value.

#include <string>

class ArgReader {
public:
    ArgReader(int argc, const char* const* argv, int first) : argc_(argc), argv_(argv), i_(first) {}

    bool done() const { return i_ >= argc_; }
    const std::string word() const { return argv_[i_]; }
    void next() { ++i_; }

    // The word after the current option, as text, a number or a whole number.
    // On failure they return false and leave the reason in error.
    bool value(std::string& out);
    bool number(double& out);
    bool whole(unsigned& out);

    std::string error;

private:
    int argc_;
    const char* const* argv_;
    int i_;
};
