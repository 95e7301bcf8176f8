#include "graphics/search_path.h"

#include <cstdio>

std::string RSearchPath::find(const std::string& name) const {
    for (const std::string& directory : directories) {
        const std::string candidate = directory + "/" + name;
        printf("Looking for %s...", candidate.c_str());
        if (FILE* file = fopen(candidate.c_str(), "rb")) {
            fclose(file);
            printf("found!\n");
            return candidate;
        }
        printf("no\n");
    }
    return name;
}
