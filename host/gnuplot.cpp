#include "host/gnuplot.h"

#include <cstdio>
#include <cstdlib>

bool gnuplotAvailable() { return std::system("command -v gnuplot >/dev/null 2>&1") == 0; }

std::string pngTerminal()
{
    std::string terminals;
    if (FILE* pipe = popen("gnuplot -e 'set terminal' 2>&1", "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) terminals.append(buffer, n);
        pclose(pipe);
    }
    return terminals.find("pngcairo") != std::string::npos ? "pngcairo" : "png";
}

std::string gnuplotQuoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

bool runGnuplot(const std::string& script, std::string& error)
{
    FILE* gp = popen("gnuplot", "w");
    if (!gp) {
        error = "cannot start gnuplot";
        return false;
    }
    std::fputs(script.c_str(), gp);
    if (pclose(gp) != 0) {
        error = "gnuplot failed";
        return false;
    }
    return true;
}
