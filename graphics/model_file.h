// RModelFile: writes a loaded frame tree to the compact binary model file
// (.vqo) and reads it back, so that a model parsed once from its ASE text
// loads fast the next time. It stores names, frame poses (without scale),
// hierarchy, corner data and material colours with texture names; welded
// vertices, lightmaps and animation are not stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/search_path.h"
#include "graphics/texture_resolver.h"

class CSceneFrame;
class REngine;
class RMaterial;

class RModelFile {
public:
    static constexpr int kVersion = 2;
    // Section and record tags of the file.
    static constexpr int32_t kTagMaterials = 20;
    static constexpr int32_t kTagTexture = 21;
    static constexpr int32_t kTagNone = 22;
    static constexpr int32_t kTagFrame = 23;
    static constexpr int32_t kTagGeometry = 24;
    static constexpr int32_t kTagFrames = 25;
    static constexpr int32_t kTagReflection = 26;
    // Problems printed per load; the rest are only counted.
    static constexpr int kMaxPrintedProblems = 20;
    // Deeper frame trees are cut (the frame code walks trees recursively).
    static constexpr int kMaxFrameDepth = 256;
    // A model holds a few hundred frames and meshes; a file claiming more
    // than these is read up to them, so that tiny hostile records cannot
    // make a hundred bytes of objects out of every byte of the file.
    static constexpr int kMaxFrames = 1 << 16;
    static constexpr int kMaxMeshes = 1 << 16;

    // Empty lists, no mirror, no search path, no reflection override.
    explicit RModelFile(REngine* engine);
    RModelFile(const RModelFile&) = delete;
    RModelFile& operator=(const RModelFile&) = delete;

    // Appends a directory to the search path and turns its use on: texture
    // names are then looked for by their file name in those directories.
    void addTexturePath(const std::string& directory);
    // Where textures come from; null goes back to the engine's cache, where
    // a missing file ends the process. Not owned.
    void setTextureResolver(RTextureResolver* r) { resolver = r != nullptr ? r : &engineResolver; }

    // Writes the tree under rootFrame. False, with a message, when the file
    // cannot be opened for writing or written.
    bool save(const std::string& fileName, CSceneFrame* rootFrame);
    // Reads the file into the tree under rootFrame (its first frame record
    // becomes rootFrame itself) and returns rootFrame; null, changing
    // nothing, when the file cannot be opened. A damaged file loads what it
    // holds up to the damage and notes the rest in `problems`, unless
    // requireWhole is set: then the whole file is checked first and a
    // damaged one gives null with the reason in `problems`, before any
    // material, frame or texture is made from it.
    // save() writes a partial file and renames it into place.
    CSceneFrame* load(const std::string& fileName, CSceneFrame* rootFrame);

    // Fields in this order.
    std::vector<RMaterial*> materials;  // the file's material list (templates when loading)
    std::vector<CSceneFrame*> frames;   // the file's frame list
    CSceneFrame* root = nullptr;
    int version = 0;                    // as read
    REngine* engine;
    bool rootGiven = false;
    bool useSearchPath = false;
    RSearchPath searchPath;
    int mirror = 0;                     // mirror the model in x while loading
    float envOverride = -1.0f;          // reflection amount for every material; -1 = as stored
    // Addition of this port: load only a file that is whole down to its last
    // byte (every count within the bytes present, nothing after the last
    // frame). A cache wants this; the toolbox reads what it can.
    bool requireWhole = false;
    // Additions of this port, after the fields above: the texture and
    // reflection names of each material record as stored (empty for none),
    // the material record each loaded mesh named (file order, -1 for none),
    // and what was wrong with the last file loaded.
    std::vector<std::string> textureNames;
    std::vector<std::string> reflectionNames;
    std::vector<int> geometryMaterials;
    std::vector<std::string> problems;
    int problemCount = 0;

private:
    void noteProblem(const std::string& fileName, const std::string& message);

    REngineTextureResolver engineResolver;
    RTextureResolver* resolver;
};
