#pragma once
// What the host needs to draw PNG plots with gnuplot: whether it is there,
// its best PNG terminal, and quoting text for its command language.

#include <string>

bool gnuplotAvailable();
// pngcairo draws smoother curves; the plain png terminal is the fallback.
std::string pngTerminal();
// gnuplot strings are single-quoted; a quote inside is doubled.
std::string gnuplotQuoted(const std::string& text);
// Feeds the script to a gnuplot process; false with a reason when it cannot
// start or fails.
bool runGnuplot(const std::string& script, std::string& error);
