#pragma once
// Files of timed events, one a line, shared by the drivers' scripts and the
// window's key files:
//   TIME WORD ...
// TIME in simulated seconds from 0, never going back; '#' starts a comment
// and blank lines are skipped. What follows the time is the file's own.

#include <functional>
#include <string>
#include <vector>

// The words after a line's time; false with `why` refuses the line.
using TimedLineReader = std::function<bool(double time, const std::vector<std::string>& words, std::string& why)>;

// Reads `path` (`what` names it in "cannot open the WHAT PATH") and hands
// every event line to `take`. False with "PATH:LINE: reason" for the first
// line that is refused.
bool readTimedLines(const std::string& path, const std::string& what, const TimedLineReader& take,
                    std::string& error);
