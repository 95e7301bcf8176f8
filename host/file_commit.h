#pragma once
// Files vqsim writes itself are written under a temporary name beside the
// final one and renamed into place when complete, so a run that dies midway
// never leaves a half-written file under the real name.

#include <string>

// The name to write under while the file is being made.
std::string partialPath(const std::string& path);
// Renames the finished partial file onto path; false when that fails (the
// partial file is removed then).
bool commitPartial(const std::string& path);
