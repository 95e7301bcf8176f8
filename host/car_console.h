#pragma once
// The car prints its diagnostics on standard output. In a run that loads the
// car, the process's standard output (file descriptor 1) is pointed at the run
// directory's console.log with dup2, so the car's lines land there verbatim;
// vqsim's own lines go to a copy of the original standard output, so the
// terminal shows them alone. With echo on (--verbose) the car's lines are
// copied to the terminal as well, in order with vqsim's own: before each of
// vqsim's lines and at exit.

#include <cstdio>
#include <string>

// Sends standard output to `logPath` (truncated). Returns false with the
// reason in `error` when the file cannot be made; the output then stays as it
// was. A second call only switches echo.
bool redirectCarConsole(const std::string& logPath, bool echo, std::string& error);

// Where vqsim's own lines go: the copy of the original standard output once
// the car's console is redirected, else standard output.
std::FILE* hostOut();

// printf for vqsim's own lines (to hostOut(), after any car lines to echo).
int hostPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// With echo on: writes the car's lines printed so far to the terminal.
void echoCarConsole();

// The closing lines of the help of the commands that load no car.
inline constexpr const char* kNoCarConsoleHelp =
    "\nNo car is loaded: the file readers' own diagnostics show on the terminal\n"
    "(the commands that load the car keep its console lines in console.log).\n";
