#include "host/timed_lines.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

bool readTimedLines(const std::string& path, const std::string& what, const TimedLineReader& take,
                    std::string& error)
{
    std::ifstream in(path);
    if (!in) return error = "cannot open the " + what + " " + path, false;
    double last = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const auto fail = [&](const std::string& why) {
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> parts;
        for (std::string word; words >> word;) parts.push_back(word);
        if (parts.empty()) continue;
        char* end = nullptr;
        errno = 0;
        const double time = std::strtod(parts[0].c_str(), &end);
        if (*end != '\0' || errno != 0 || !std::isfinite(time) || time < 0)
            return fail("'" + parts[0] + "' is not a time in seconds");
        if (time < last) {
            std::ostringstream before;
            before << last;
            return fail("the times must not go backwards (" + parts[0] + " s after " + before.str() + " s)");
        }
        last = time;
        std::string why;
        if (!take(time, std::vector<std::string>(parts.begin() + 1, parts.end()), why)) return fail(why);
    }
    return true;
}
