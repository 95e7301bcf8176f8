#include "host/file_commit.h"

#include <cstdio>

std::string partialPath(const std::string& path) { return path + ".part"; }

bool commitPartial(const std::string& path)
{
    const std::string partial = partialPath(path);
    if (std::rename(partial.c_str(), path.c_str()) == 0) return true;
    std::remove(partial.c_str());
    return false;
}
