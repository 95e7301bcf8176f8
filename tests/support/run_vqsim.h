#pragma once
// Runs the vqsim executable as a user would, through the shell, and captures
// what it prints and the exit code it returns.

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

// What happens to vqsim's standard error.
enum class VqsimStderr {
    Merge,    // captured together with standard output
    Discard,  // thrown away; only standard output is captured
};

struct VqsimResult {
    int exitCode = -1;   // -1 when vqsim could not be started or did not exit normally
    std::string output;  // what was captured, as chosen by VqsimStderr
};

// `environment`, when not empty, goes in front of the command, e.g. "PATH=/nowhere".
inline VqsimResult runVqsim(const std::string& arguments, const std::string& environment = "",
                            VqsimStderr standardError = VqsimStderr::Merge)
{
    const std::string command = (environment.empty() ? std::string() : environment + " ") + SOLVI_VQSIM_PATH + " " +
                                arguments + (standardError == VqsimStderr::Merge ? " 2>&1" : " 2>/dev/null");
    VqsimResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The number after "key": in a JSON text, NaN when it is missing or null.
inline double jsonNumber(const std::string& text, const std::string& key) {
    const size_t at = text.find("\"" + key + "\": ");
    if (at == std::string::npos || text.compare(at + key.size() + 4, 4, "null") == 0) return std::nan("");
    return std::stod(text.substr(at + key.size() + 4));
}

// Column `column` (1 = the first) of a run's telemetry CSV, 30 rows a second.
inline std::vector<double> telemetryColumn(const std::filesystem::path& csv, int column) {
    std::ifstream in(csv);
    std::string line, cell;
    std::getline(in, line);
    std::vector<double> out;
    while (std::getline(in, line)) {
        std::stringstream row(line);
        for (int i = 0; i < column; ++i) std::getline(row, cell, ',');
        out.push_back(std::stod(cell));
    }
    return out;
}
