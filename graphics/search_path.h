// RSearchPath: an ordered list of directories in which a texture named by a
// model file is looked for. It only answers where a file is; loading it is
// the caller's business.
#pragma once

#include <string>
#include <vector>

class RSearchPath {
public:
    void add(const std::string& directory) { directories.push_back(directory); }

    // The first "directory/name" that opens for binary reading, trying the
    // directories in order and printing "Looking for %s..." then "found!" or
    // "no" for each; `name` unchanged when none has it.
    std::string find(const std::string& name) const;

    std::vector<std::string> directories;
};
