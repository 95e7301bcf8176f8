// RAseLoader: reads an ASCII scene export (.ase) into the engine's scene
// objects: one RGeometry per mesh object, one RMaterial per material and
// sub-material, with the file's hierarchy one CSceneFrame per mesh object,
// and the file's cameras. Positions become y-up and scaled, relative to each
// object's pivot; normals the file lacks are made from the faces. Each
// keyword acts on the object the last object keyword made; blocks of
// keywords it does not know (lights, helpers, bump and other maps, mesh
// animation, vertex colours, extra mapping channels) are skipped whole.
#pragma once

#include <string>
#include <vector>

#include "graphics/texture_resolver.h"

class CSceneFrame;
class RCamera;
class RGeometry;
class REngine;
class RMaterial;
class RTexture;

// One bitmap a material named, as the file wrote it and as it was looked up.
struct RAseTextureRequest {
    RMaterial* material = nullptr;
    bool reflection = false;     // a reflection map, else the diffuse texture
    std::string bitmap;          // the path in the file
    std::string name;            // texturePath + reduced name: what was asked for
    RTexture* texture = nullptr; // null when the resolver had none
};

class RAseLoader {
public:
    // Problems printed per read; the rest are only counted.
    static constexpr int kMaxPrintedProblems = 20;
    // Problems kept in `problems` per read.
    static constexpr int kMaxKeptProblems = 200;
    // Deeper frame trees are cut (the frame code walks trees recursively).
    static constexpr int kMaxFrameDepth = 256;

    explicit RAseLoader(REngine* engine);
    RAseLoader(const RAseLoader&) = delete;
    RAseLoader& operator=(const RAseLoader&) = delete;

    void setScale(float s) { scale = s; }
    void setTexturePath(const std::string& path) { texturePath = path; }
    void setMirror(bool on) { mirror = on; }
    void setCreateFrames(bool on) { createFrames = on; }
    void setBaseDirectory(const std::string& directory) { baseDirectory = directory; }
    // Where textures come from; null goes back to the engine's cache, where
    // a missing file ends the process. Not owned.
    void setTextureResolver(RTextureResolver* r) { resolver = r != nullptr ? r : &engineResolver; }

    // Prints "\nLoading ASE: %s\n" and reads the file into new engine
    // objects (see the class comment). False, with a problem noted, when the
    // file cannot be read, is not text or holds no keyword at all; a damaged
    // file otherwise loads what it can and notes what it skipped.
    bool read(const std::string& fileName);
    // The same for text already in memory; `label` names it in messages.
    bool readText(const std::string& contents, const std::string& label);

    // The model cache's entry: reads baseDirectory/name/name.ase with
    // textures from baseDirectory/name/texture/ at the given scale, hangs the
    // top-level frames (or, without frames, every mesh) under targetFrame,
    // made here when null, and computes its radius. Null, creating nothing,
    // when the file does not exist; null too when it cannot be read.
    CSceneFrame* loadInto(const std::string& name, float scale, CSceneFrame* targetFrame);

    // First frame of that name among `frames` and their subtrees,
    // depth-first; null when none.
    CSceneFrame* findFrame(const std::string& frameName) const;

    // Settings.
    REngine* engine;
    float scale = 1.0f;             // multiplies every position read
    std::string texturePath;        // put before every texture file name
    bool mirror = false;            // mirror the model in x
    bool createFrames = true;       // one frame per mesh object, with the hierarchy
    // Results of the last read.
    std::vector<RGeometry*> geometries;  // every mesh object, in file order
    std::vector<CSceneFrame*> frames;    // the top-level frames (with createFrames)
    std::vector<RCamera*> cameras;
    // Additions of this port, after the fields above.
    std::string baseDirectory;           // loadInto's model folder
    std::vector<RMaterial*> materials;   // the file's material list (MATERIAL_REF numbers)
    std::vector<RMaterial*> subMaterials;  // every sub-material, in file order
    std::vector<int> subMaterialParents;   // for each, its material's number (-1: none)
    std::vector<RAseTextureRequest> textureRequests;
    // What was wrong with the file: the first kMaxKeptProblems messages, and
    // how many there were in all.
    std::vector<std::string> problems;
    int problemCount = 0;

    RTextureResolver* textureResolver() const { return resolver; }
    // Notes a problem with the file being read: printed (the first
    // kMaxPrintedProblems) and kept (the first kMaxKeptProblems).
    void noteProblem(const std::string& where, int line, const std::string& message);

private:
    void reset();
    bool parse(const std::string& contents, const std::string& label);

    REngineTextureResolver engineResolver;
    RTextureResolver* resolver;
};
