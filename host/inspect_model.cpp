#include "host/inspect_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"
#include "graphics/texture_resolver.h"
#include "host/quiet_stream.h"

namespace fs = std::filesystem;

ToolboxModel::ToolboxModel()
{
    QuietStream quiet(stdout);
    engine = std::make_unique<REngine>();
    resolver = std::make_unique<RecordingTextureResolver>(engine.get());
}

ToolboxModel::~ToolboxModel()
{
    QuietStream quiet(stdout);
    engine.reset();
}

std::vector<CSceneFrame*> modelFrames(const ToolboxModel& model)
{
    std::vector<CSceneFrame*> out;
    std::vector<CSceneFrame*> pending;
    if (model.root) pending.push_back(model.root);
    while (!pending.empty()) {
        CSceneFrame* f = pending.back();
        pending.pop_back();
        out.push_back(f);
        for (auto it = f->children.rbegin(); it != f->children.rend(); ++it) pending.push_back(*it);
    }
    return out;
}

int modelTriangles(const ToolboxModel& model)
{
    int triangles = 0;
    for (const CSceneFrame* f : modelFrames(model))
        for (const RGeometry* g : f->geometries) triangles += g->cornerCount / 3;
    return triangles;
}

namespace {

std::string lowerExtension(const std::string& path)
{
    std::string e = fs::path(path).extension().string();
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return e;
}

void addTexture(ToolboxModel& model, const ModelTexture& t)
{
    for (const ModelTexture& seen : model.textures)
        if (seen.name == t.name && seen.reflection == t.reflection) return;
    model.textures.push_back(t);
}

bool loadAse(const std::string& path, const ModelLoadOptions& options, ToolboxModel& model, std::string& error)
{
    REngine& engine = *model.engine;
    RAseLoader loader(&engine);
    loader.setScale(options.scale);
    loader.setMirror(options.mirror);
    loader.setCreateFrames(true);
    loader.setTexturePath(options.textureDir.empty() ? (fs::path(path).parent_path() / "texture").string() + "/"
                                                     : options.textureDir);
    loader.setTextureResolver(model.resolver.get());
    bool ok;
    {
        QuietStream quiet(stdout);
        ok = loader.read(path);
    }
    model.fromAse = true;
    model.problems = loader.problems;
    if (loader.problemCount > static_cast<int>(loader.problems.size()))
        model.problems.push_back("... " + std::to_string(loader.problemCount - loader.problems.size()) + " more");
    if (!ok) {
        error = loader.problems.empty() ? path + ": not an ASE file" : loader.problems.front();
        return false;
    }
    model.root = engine.createFrame();
    model.root->name = fs::path(path).stem().string();
    for (CSceneFrame* f : loader.frames) model.root->addChild(f);
    model.root->computeRadius();

    // The engine is this model's alone: its material list is the file's, in
    // file order, sub-materials after their material.
    model.materials = engine.materials;
    model.topMaterials = static_cast<int>(loader.materials.size());
    for (const RMaterial* m : model.materials) {
        const auto sub = std::find(loader.subMaterials.begin(), loader.subMaterials.end(), m);
        model.materialParents.push_back(
            sub == loader.subMaterials.end() ? -1 : loader.subMaterialParents[sub - loader.subMaterials.begin()]);
    }
    for (const CSceneFrame* f : modelFrames(model))
        for (const RGeometry* g : f->geometries) {
            const auto it = std::find(model.materials.begin(), model.materials.end(), g->material);
            model.geometryMaterials.push_back(it == model.materials.end() ? -1 : static_cast<int>(it - model.materials.begin()));
        }
    model.materialTextures.assign(model.materials.size(), "");
    model.materialReflections.assign(model.materials.size(), "");
    for (const RAseTextureRequest& r : loader.textureRequests) {
        addTexture(model, ModelTexture{r.name, r.bitmap, r.reflection, r.texture != nullptr});
        const auto it = std::find(model.materials.begin(), model.materials.end(), r.material);
        if (it != model.materials.end())
            (r.reflection ? model.materialReflections : model.materialTextures)[it - model.materials.begin()] = r.name;
    }
    for (const std::string& name : model.resolver->missing) model.problems.push_back("texture " + name + " not found");
    model.cameras = static_cast<int>(loader.cameras.size());
    return true;
}

bool loadModelFile(const std::string& path, ToolboxModel& model, std::string& error)
{
    REngine& engine = *model.engine;
    RModelFile file(&engine);
    file.setTextureResolver(model.resolver.get());
    // Texture names are stored as the saving program knew them; here they
    // are looked for by file name beside the model.
    const fs::path dir = fs::path(path).parent_path();
    file.addTexturePath((dir / "texture").string());
    file.addTexturePath(dir.empty() ? "." : dir.string());
    model.root = engine.createFrame();
    CSceneFrame* loaded;
    {
        QuietStream quiet(stdout);
        loaded = file.load(path, model.root);
    }
    if (loaded == nullptr) {
        error = "cannot open " + path;
        return false;
    }
    model.problems = file.problems;
    if (file.frames.empty()) {
        error = path + ": not a model file" + (file.problems.empty() ? "" : " (" + file.problems.front() + ")");
        return false;
    }
    model.materials = file.materials;
    model.materialTextures = file.textureNames;
    model.materialReflections = file.reflectionNames;
    model.materialParents.assign(model.materials.size(), -1);
    model.topMaterials = static_cast<int>(model.materials.size());
    // Meshes were created in file order, each naming its record.
    std::unordered_map<const RGeometry*, int> record;
    for (size_t i = 0; i < engine.geometries.size() && i < file.geometryMaterials.size(); ++i)
        record[engine.geometries[i]] = file.geometryMaterials[i];
    for (const CSceneFrame* f : modelFrames(model))
        for (const RGeometry* g : f->geometries) model.geometryMaterials.push_back(record.count(g) ? record[g] : -1);
    for (size_t i = 0; i < file.materials.size(); ++i) {
        const RMaterial* m = file.materials[i];
        if (!file.textureNames[i].empty())
            addTexture(model, ModelTexture{file.textureNames[i], "", false, m->texture != nullptr});
        if (!file.reflectionNames[i].empty())
            addTexture(model, ModelTexture{file.reflectionNames[i], "", true, m->envTexture != nullptr});
    }
    for (const ModelTexture& t : model.textures)
        if (!t.found) model.problems.push_back("texture " + t.name + " not found beside the model");
    return true;
}

const char* blendText(int mode)
{
    switch (mode) {
    case RMaterial::kBlendOpaque: return "opaque";
    case RMaterial::kBlendAlphaTested: return "alpha-tested";
    case RMaterial::kBlendModulated: return "blended by diffuse and texture alpha";
    case RMaterial::kBlendTextureAlpha: return "blended by texture alpha";
    case RMaterial::kBlendDiffuseAlpha: return "blended by diffuse alpha";
    default: return "unknown";
    }
}

void xyz(InspectReport& r, const Vector3& v)
{
    // + 0.0f: a negated zero prints as 0, not -0.
    r.number("x", v.x + 0.0f);
    r.number("y", v.y + 0.0f);
    r.number("z", v.z + 0.0f);
}

}  // namespace

bool loadToolboxModel(const std::string& path, const ModelLoadOptions& options, ToolboxModel& model,
                      std::string& error)
{
    const std::string extension = lowerExtension(path);
    if (extension == ".ase") return loadAse(path, options, model, error);
    if (extension == ".vqo") return loadModelFile(path, model, error);
    error = path + ": not an .ase or .vqo file";
    return false;
}

// Frames and geometries listed one by one; a model with more (a damaged or
// hostile file) is summed up beyond them.
constexpr size_t kMaxListed = 1000;

bool inspectModel(const std::string& path, InspectReport& report, std::string& error)
{
    ToolboxModel model;
    if (!loadToolboxModel(path, ModelLoadOptions(), model, error)) return false;
    const std::vector<CSceneFrame*> frames = modelFrames(model);

    std::vector<InspectReport> frameList, geometryList, materialList, textureList;
    int geometries = 0, weldProblems = 0;
    size_t geometryIndex = 0;
    QuietStream quiet(stdout);  // welding reports meshes it refuses on the console
    for (const CSceneFrame* f : frames) {
        if (frameList.size() < kMaxListed) {
            InspectReport fr;
            fr.text("name", f->name);
            fr.text("parent", f->parent ? f->parent->name : "");
            xyz(fr, f->getPosition());
            fr.integer("geometries", static_cast<long long>(f->geometries.size()));
            frameList.push_back(fr);
        }
        for (RGeometry* g : f->geometries) {
            // Welded the way the drawing code welds a tree without lightmaps.
            const bool welded = g->weld(false);
            if (!welded) ++weldProblems;
            ++geometries;
            const int material = model.geometryMaterials[geometryIndex++];
            if (geometryList.size() >= kMaxListed) continue;
            InspectReport gr;
            gr.text("name", g->name);
            gr.text("frame", f->name);
            gr.integer("corners", g->cornerCount);
            gr.integer("triangles", g->cornerCount / 3);
            gr.integer("unique_vertices", welded ? g->uniqueVertexCount : -1);
            gr.integer("normals", g->normalCount);
            gr.integer("uvs", g->uvCount);
            gr.integer("material", material);
            geometryList.push_back(gr);
        }
    }
    for (size_t i = 0; i < model.materials.size(); ++i) {
        const RMaterial* m = model.materials[i];
        InspectReport mr;
        mr.integer("index", static_cast<long long>(i));
        if (model.fromAse) {
            mr.text("name", m->name);
            mr.integer("parent", model.materialParents[i]);
        }
        // Named textures that were not found are shown too, marked so.
        mr.text("texture", model.materialTextures[i]);
        if (!model.materialTextures[i].empty()) mr.flag("texture_found", m->texture != nullptr);
        mr.text("reflection", model.materialReflections[i]);
        if (!model.materialReflections[i].empty()) {
            mr.flag("reflection_found", m->envTexture != nullptr);
            mr.number("reflection_amount", m->envAmount);
        }
        mr.integer("blend_mode", m->blendMode);
        mr.text("blending", blendText(m->blendMode));
        mr.flag("two_sided", m->twoSided);
        mr.number("diffuse_r", m->diffuse.r);
        mr.number("diffuse_g", m->diffuse.g);
        mr.number("diffuse_b", m->diffuse.b);
        mr.number("alpha", m->diffuse.a);
        mr.number("power", m->power);
        materialList.push_back(mr);
    }
    int missing = 0;
    for (const ModelTexture& t : model.textures) {
        InspectReport tr;
        tr.text("name", t.name);
        if (model.fromAse) tr.text("bitmap", t.bitmap);
        tr.text("kind", t.reflection ? "reflection" : "diffuse");
        tr.flag("found", t.found);
        textureList.push_back(tr);
        missing += t.found ? 0 : 1;
    }

    report.text("file", path);
    report.text("kind", model.fromAse ? "ASE model" : "model file");
    report.text("units", "metres, y up (ASE positions times 0.1, as the car loads them)");
    report.integer("triangles", modelTriangles(model));
    report.integer("geometries", geometries);
    report.integer("materials", model.topMaterials);
    report.integer("frames", static_cast<long long>(frames.size()));
    if (model.fromAse) {
        report.integer("submaterials", static_cast<long long>(model.materials.size()) - model.topMaterials);
        report.integer("cameras", model.cameras);
    }
    report.integer("textures", static_cast<long long>(model.textures.size()));
    report.integer("missing_textures", missing);
    report.list("frame_list", frameList);
    report.list("geometry_list", geometryList);
    report.list("material_list", materialList);
    report.list("texture_list", textureList);
    if (frames.size() > kMaxListed)
        report.problem("frame_list shows the first " + std::to_string(kMaxListed) + " of " +
                       std::to_string(frames.size()) + " frames");
    if (static_cast<size_t>(geometries) > kMaxListed)
        report.problem("geometry_list shows the first " + std::to_string(kMaxListed) + " of " +
                       std::to_string(geometries) + " geometries");
    for (const std::string& p : model.problems) report.problem(p);
    if (weldProblems > 0)
        report.problem(std::to_string(weldProblems) + " mesh(es) have more vertices than 16-bit indices can reach");
    return true;
}
