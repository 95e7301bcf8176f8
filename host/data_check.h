#pragma once
// The car's data checked before the car is given it, with the rules of the
// car's own readers: tyre records, the default setup, the engine's coast curve
// (when the car is to load it), cfg.ini and the textures of the skin it
// names, the models, and the sound description and waves when sound is
// asked for. The car absorbs a bad file by keeping its defaults or ends the
// process on a missing texture or wave; the host refuses the run instead,
// naming the file and what is wrong with it.

#include <string>
#include <vector>

struct DataCheckSettings {
    bool engineCurve = false;  // LOADENGINECURVE: the car reads its coast curve
    bool sound = false;        // the run renders sound: the waves are read
};

struct DataCheckResult {
    std::vector<std::string> checked;   // files looked at, relative to the root
    std::vector<std::string> problems;  // one line each, naming its file
    bool ok() const { return problems.empty(); }
};

// Checks the data below root (a data folder or a run directory: the folder
// that holds "cars/solvi/" and "sfx/").
DataCheckResult checkCarData(const std::string& root, const DataCheckSettings& settings);
