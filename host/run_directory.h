#pragma once
// The folder a run works in. Everything the car reads and writes lives below
// it: its own copy of the car's data (so the repository's data/ is never
// modified), and the "out/", "replay/" and "cfg/" folders the car writes into.

#include <string>
#include <vector>

struct RunDirectory {
    std::string path;   // absolute
    std::string error;  // set when prepare fails
    // Model caches removed because their ASE model was refreshed (paths
    // relative to the run directory), for the caller to report.
    std::vector<std::string> staleCaches;

    // Creates the folders and copies the car's data and the shared sounds
    // from dataDir, refreshing every file that differs from the one there
    // (newer or older: the data folder wins). Files the car wrote
    // stay, except a model cache whose ASE model was refreshed: the car
    // loads a cache it finds whole, and would go on drawing the old model.
    // Returns false with `error` set when something cannot be made.
    bool prepare(const std::string& runDir, const std::string& dataDir);
};
