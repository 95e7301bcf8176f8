#include "host/car_console.h"

#include <cstdarg>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {
struct CarConsole {
    std::FILE* terminal = nullptr;  // the copy of the original standard output
    int logReader = -1;             // console.log opened again for the echo
    off_t echoed = 0;               // bytes of console.log already echoed
    bool echo = false;
};
CarConsole console;

void echoAtExit() { echoCarConsole(); }
}  // namespace

bool redirectCarConsole(const std::string& logPath, bool echo, std::string& error)
{
    if (console.terminal) {
        console.echo = echo;
        return true;
    }
    std::fflush(stdout);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log < 0) {
        error = "cannot write the car's console " + logPath;
        return false;
    }
    const int copy = dup(STDOUT_FILENO);
    std::FILE* terminal = copy >= 0 ? fdopen(copy, "w") : nullptr;
    if (!terminal || dup2(log, STDOUT_FILENO) < 0) {
        if (terminal) std::fclose(terminal);
        else if (copy >= 0) close(copy);
        close(log);
        error = "cannot redirect standard output to " + logPath;
        return false;
    }
    close(log);
    // A terminal shows lines as they come; so does the copy.
    setvbuf(terminal, nullptr, _IOLBF, 0);
    console.terminal = terminal;
    console.logReader = open(logPath.c_str(), O_RDONLY);
    console.echo = echo;
    std::atexit(echoAtExit);
    return true;
}

std::FILE* hostOut() { return console.terminal ? console.terminal : stdout; }

void echoCarConsole()
{
    if (!console.echo || console.logReader < 0) return;
    std::fflush(stdout);
    char buffer[8192];
    ssize_t n;
    while ((n = pread(console.logReader, buffer, sizeof buffer, console.echoed)) > 0) {
        std::fwrite(buffer, 1, static_cast<size_t>(n), console.terminal);
        console.echoed += n;
    }
    std::fflush(console.terminal);
}

int hostPrintf(const char* format, ...)
{
    echoCarConsole();
    va_list args;
    va_start(args, format);
    const int n = std::vfprintf(hostOut(), format, args);
    va_end(args);
    return n;
}
