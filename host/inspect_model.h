#pragma once
// Models for the toolbox (vqsim inspect, vqsim convert): an ASE file or a
// model file read the way the car reads it (scale 0.1, one frame per object
// under a root frame, textures from the texture/ folder beside the model),
// except that missing textures are noted instead of ending the process and
// the engine's console chatter is kept off standard output.

#include <memory>
#include <string>
#include <vector>

#include "host/inspect.h"

class CSceneFrame;
class REngine;
class RMaterial;
class RecordingTextureResolver;

struct ModelLoadOptions {
    float scale = 0.1f;       // the car's
    std::string textureDir;   // ASE only; empty: "texture/" beside the file
    bool mirror = false;
};

// One texture a model names: as the file has it, and whether it was found.
struct ModelTexture {
    std::string name;         // as looked up (ASE) or as stored (model file)
    std::string bitmap;       // ASE: the path the file gives
    bool reflection = false;
    bool found = false;
};

// A model read for the toolbox, with the engine that owns its objects.
struct ToolboxModel {
    ToolboxModel();
    ~ToolboxModel();  // quietly, like the loading
    ToolboxModel(const ToolboxModel&) = delete;
    ToolboxModel& operator=(const ToolboxModel&) = delete;

    std::unique_ptr<REngine> engine;
    std::unique_ptr<RecordingTextureResolver> resolver;
    bool fromAse = false;
    CSceneFrame* root = nullptr;
    // Materials as the file lists them (ASE: materials and their
    // sub-materials in file order; model file: its records), the file number
    // of each one's parent material (-1 for none) and the number of
    // top-level ones.
    std::vector<RMaterial*> materials;
    std::vector<int> materialParents;
    // The texture and reflection map each material names (empty: none),
    // whether or not it was found.
    std::vector<std::string> materialTextures;
    std::vector<std::string> materialReflections;
    int topMaterials = 0;
    std::vector<int> geometryMaterials;  // per mesh in tree order: index into materials, -1 none
    std::vector<ModelTexture> textures;  // in the order the file names them, once each
    int cameras = 0;
    std::vector<std::string> problems;   // what the reader noted, missing textures included
};

// Reads an .ase or .vqo file by its extension. False with `error` when it
// cannot be read as a model at all.
bool loadToolboxModel(const std::string& path, const ModelLoadOptions& options, ToolboxModel& model,
                      std::string& error);

// Every frame of the model's tree, pre-order from the root.
std::vector<CSceneFrame*> modelFrames(const ToolboxModel& model);
int modelTriangles(const ToolboxModel& model);

// The inspect reader for .ase and .vqo: counts (triangles, geometries,
// materials, frames), then the frames with their parents and positions, the
// meshes with corner, unique-vertex and triangle counts, the materials with
// their textures and blend modes, and the textures.
bool inspectModel(const std::string& path, InspectReport& report, std::string& error);
