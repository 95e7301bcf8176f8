#include "host/model_picture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/light.h"
#include "graphics/projection.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"
#include "host/png_file.h"
#include "host/quiet_stream.h"
#include "services/ini_reader.h"

namespace fs = std::filesystem;

namespace {

constexpr float kFieldOfView = 30.0f * 0.017453292f;  // vertical, radians
constexpr uint32_t kBackground = 0xFFC8CDD2u;          // light grey-blue

// The skin folder of a car's model: skins/NAME beside the model, NAME from
// the option or from the cfg.ini beside the model; empty when neither names
// one.
std::string skinFolder(const fs::path& modelDir, const std::string& skin)
{
    std::string name = skin;
    if (name.empty() && fs::is_regular_file(modelDir / "cfg.ini")) {
        CIniReader cfg;
        QuietStream quiet(stdout);
        cfg.load((modelDir / "cfg.ini").string());
        name = cfg.getString("CURRENT", "SKIN");
    }
    return name.empty() ? "" : (modelDir / "skins" / name).string();
}

// The model's box in its own (root) coordinates.
bool modelBounds(const ToolboxModel& model, Vector3& low, Vector3& high)
{
    const float inf = std::numeric_limits<float>::infinity();
    low = Vector3{inf, inf, inf};
    high = Vector3{-inf, -inf, -inf};
    bool any = false;
    for (const CSceneFrame* f : modelFrames(model)) {
        const Matrix4 world = f->getWorldMatrix();
        for (const RGeometry* g : f->geometries) {
            for (const Vector3& corner : g->positions) {
                const Vector3 p = world.transformPoint(corner);
                low = Vector3{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
                high = Vector3{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
                any = true;
            }
        }
    }
    return any;
}

}  // namespace

ModelPicture::ModelPicture(const ModelPictureOptions& options)
    : options_(options), gl_(options.width, options.height)
{
}

bool ModelPicture::load(const std::string& modelPath, std::string& error)
{
    REngine& engine = *model_.engine;
    engine.deviceFactory = &gl_;
    bool drawing;
    {
        QuietStream quiet(stdout);  // the engine reports its device steps on the console
        drawing = engine.init(nullptr, nullptr);
    }
    if (!drawing) {
        error = "no picture: " + (gl_.error().empty() ? std::string("OpenGL could not be started") : gl_.error());
        return false;
    }
    result_.platform = gl_.description();

    const fs::path modelDir = fs::path(modelPath).parent_path();
    const std::string skin = skinFolder(modelDir, options_.skin);
    if (!options_.skin.empty() && !fs::is_directory(skin)) result_.notes.push_back("skin folder " + skin + " not found");
    if (!skin.empty()) model_.resolver->folders.push_back(skin);
    if (!loadToolboxModel(modelPath, ModelLoadOptions(), model_, error)) return false;
    result_.notes.insert(result_.notes.end(), model_.problems.begin(), model_.problems.end());
    result_.triangles = modelTriangles(model_);

    Vector3 low, high;
    if (!modelBounds(model_, low, high)) {
        error = modelPath + " has no triangles to draw";
        return false;
    }
    {
        QuietStream quiet(stdout);
        model_.root->buildBuffers();
    }
    // Front left, a little above: the side, the nose and the roof at once,
    // far enough for the whole bounding sphere to fit the view.
    centre_ = (low + high) * 0.5f;
    const float radius = std::max((high - low).length() * 0.5f, 1e-3f);
    const float aspect = static_cast<float>(options_.width) / static_cast<float>(options_.height);
    const float halfView = std::min(kFieldOfView, 2.0f * std::atan(std::tan(kFieldOfView / 2) * aspect)) / 2;
    const float distance = radius / std::sin(halfView);
    eye_ = centre_ + Vector3{-0.62f, 0.42f, 0.66f}.normalised() * distance;
    nearPlane_ = std::max(distance - radius * 1.5f, radius * 0.01f);
    farPlane_ = distance + radius * 1.5f;
    engine.setReflections(true);
    RLight* light = engine.createLight();
    light->setDirection(Vector3{0.45f, -1.0f, -0.55f});
    return true;
}

void ModelPicture::draw()
{
    REngine& engine = *model_.engine;
    if (engine.device == nullptr) return;
    const float aspect = static_cast<float>(options_.width) / static_cast<float>(options_.height);
    engine.beginFrame();
    engine.setViewport(0, 0, options_.width, options_.height);
    engine.device->clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
    engine.resetTransforms();
    engine.setProjection(perspectiveLeftHanded(kFieldOfView, aspect, nearPlane_, farPlane_));
    engine.setView(lookAtLeftHanded(eye_, centre_, Vector3{0.0f, 1.0f, 0.0f}));
    engine.setZEnable(true);
    engine.setLighting(true);
    engine.setAmbient(0.35f, 0.35f, 0.37f);
    for (RLight* light : engine.lights) light->apply();
    model_.root->render(true, -1.0f, 0.0f);
    engine.endFrame();
}

bool writeModelPicture(const std::string& modelPath, const std::string& pngPath, const ModelPictureOptions& options,
                       ModelPictureResult& result, std::string& error)
{
    ModelPicture picture(options);
    const bool loaded = picture.load(modelPath, error);
    result = picture.result();
    if (!loaded) return false;
    picture.draw();
    return writePng(pngPath, options.width, options.height, picture.pixels(), error);
}
