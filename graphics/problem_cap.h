#pragma once
// A damaged file can hold a problem on every line. The text readers keep and
// print only the first few of them, so that a hostile file costs neither
// memory nor a flood of console lines; the count keeps the total.

#include <string>
#include <vector>

inline constexpr int kMaxPrintedFileProblems = 20;
inline constexpr int kMaxKeptFileProblems = 200;

// Counts the problem and keeps it while fewer than kMaxKeptFileProblems are
// kept. True while it should still be printed.
inline bool countFileProblem(std::vector<std::string>& kept, int& count, const std::string& message)
{
    if (static_cast<int>(kept.size()) < kMaxKeptFileProblems) kept.push_back(message);
    return ++count <= kMaxPrintedFileProblems;
}
