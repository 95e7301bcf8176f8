#include "graphics/texture_resolver.h"

#include <algorithm>

#include "graphics/engine.h"
#include "system/system.h"

RTextureResolver::~RTextureResolver() = default;

RTexture* REngineTextureResolver::resolve(const std::string& name) {
    return engine != nullptr ? engine->getTexture(name) : nullptr;
}

RTexture* RecordingTextureResolver::resolve(const std::string& name) {
    requested.push_back(name);
    // "LIGHTMAP" names no file: the engine makes a fresh, empty texture.
    const bool lightmap = name == "LIGHTMAP";
    const std::string fileName = name.substr(name.find_last_of('/') + 1);
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + fileName;
        if (!lightmap && RSystem().fileExists(path)) return engine != nullptr ? engine->getTexture(path) : nullptr;
    }
    if (!lightmap && !RSystem().fileExists(name)) {
        if (std::find(missing.begin(), missing.end(), name) == missing.end()) missing.push_back(name);
        return nullptr;
    }
    return engine != nullptr ? engine->getTexture(name) : nullptr;
}
