// RTextureResolver: how a loader turns a texture name from a model file into
// a texture. The car resolves through the engine's cache, where a missing
// file ends the process; the toolbox and the fuzz targets use a recording
// resolver that notes missing names and carries on without a texture.
#pragma once

#include <string>
#include <vector>

class REngine;
class RTexture;

class RTextureResolver {
public:
    virtual ~RTextureResolver();
    // The texture for `name`, or null when there is none (never for the
    // engine's resolver, which ends the process instead).
    virtual RTexture* resolve(const std::string& name) = 0;
};

// The car's path: REngine::getTexture, fatal for a missing file.
class REngineTextureResolver : public RTextureResolver {
public:
    explicit REngineTextureResolver(REngine* engine) : engine(engine) {}
    RTexture* resolve(const std::string& name) override;

    REngine* engine;
};

// Records every name whose file does not exist and returns null for it;
// existing files are loaded through the engine's cache when an engine is
// given, otherwise only checked and null is returned. With `folders` set, a
// file of the name's file name in one of them, tried in order, comes first
// (a car's skin folder before its texture folder).
class RecordingTextureResolver : public RTextureResolver {
public:
    explicit RecordingTextureResolver(REngine* engine = nullptr) : engine(engine) {}
    RTexture* resolve(const std::string& name) override;

    REngine* engine;
    std::vector<std::string> missing;   // each missing name once, in request order
    std::vector<std::string> requested; // every name asked for, in order
    std::vector<std::string> folders;   // looked in first, by file name
};
