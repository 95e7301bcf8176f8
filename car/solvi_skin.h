#pragma once
// The skin the Solvi wears: the folder under "cars/solvi/skins/" that
// "cars/solvi/cfg.ini" names in [CURRENT] SKIN. Its textures are looked up
// before the shared "cars/solvi/texture/" ones. A cfg.ini that cannot be
// read, names no skin, or names one that is not a folder there gives the
// car's own skin instead, so a damaged file never sends the texture loader
// after a file that is not there. The host checks the same choice first.

#include <string>

inline constexpr const char* kSolviCfgFile = "cars/solvi/cfg.ini";
inline constexpr const char* kSolviSkinsFolder = "cars/solvi/skins/";
inline constexpr const char* kSolviDefaultSkin = "red";

struct SolviSkinChoice {
    std::string name;     // the skin to wear: cfg.ini's, or the default one
    std::string problem;  // why cfg.ini's choice was not taken; empty when it was
};

// Reads the choice below root (the folder that holds "cars/"; empty for the
// working directory).
SolviSkinChoice readSolviSkin(const std::string& root = std::string());
