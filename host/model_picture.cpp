#include "host/model_picture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "gl/gl_device.h"
#include "gl/headless_gl.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/light.h"
#include "graphics/projection.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"
#include "host/inspect_model.h"
#include "host/png_file.h"
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
        QuietStdout quiet;
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

bool writeModelPicture(const std::string& modelPath, const std::string& pngPath, const ModelPictureOptions& options,
                       ModelPictureResult& result, std::string& error)
{
    HeadlessGl gl(options.width, options.height);
    ToolboxModel model;
    REngine& engine = *model.engine;
    engine.deviceFactory = &gl;
    bool drawing;
    {
        QuietStdout quiet;  // the engine reports its device steps on the console
        drawing = engine.init(nullptr, nullptr);
    }
    if (!drawing) {
        error = "no picture: " + (gl.error().empty() ? std::string("OpenGL could not be started") : gl.error());
        return false;
    }
    result.platform = gl.description();

    const fs::path modelDir = fs::path(modelPath).parent_path();
    const std::string skin = skinFolder(modelDir, options.skin);
    if (!options.skin.empty() && !fs::is_directory(skin)) result.notes.push_back("skin folder " + skin + " not found");
    if (!skin.empty()) model.resolver->folders.push_back(skin);
    if (!loadToolboxModel(modelPath, ModelLoadOptions(), model, error)) return false;
    result.notes.insert(result.notes.end(), model.problems.begin(), model.problems.end());
    result.triangles = modelTriangles(model);

    Vector3 low, high;
    if (!modelBounds(model, low, high)) {
        error = modelPath + " has no triangles to draw";
        return false;
    }
    {
        QuietStdout quiet;
        model.root->buildBuffers();
    }

    // Front left, a little above: the side, the nose and the roof at once.
    const Vector3 centre = (low + high) * 0.5f;
    const float radius = std::max((high - low).length() * 0.5f, 1e-3f);
    const float aspect = static_cast<float>(options.width) / static_cast<float>(options.height);
    const float halfView = std::min(kFieldOfView, 2.0f * std::atan(std::tan(kFieldOfView / 2) * aspect)) / 2;
    const float distance = radius / std::sin(halfView);
    const Vector3 eye = centre + Vector3{-0.62f, 0.42f, 0.66f}.normalised() * distance;

    engine.setReflections(true);
    engine.beginFrame();
    engine.setViewport(0, 0, options.width, options.height);
    engine.device->clear(kClearTarget | kClearDepth, kBackground, 1.0f, 0);
    engine.resetTransforms();
    engine.setProjection(perspectiveLeftHanded(kFieldOfView, aspect, std::max(distance - radius * 1.5f, radius * 0.01f),
                                               distance + radius * 1.5f));
    engine.setView(lookAtLeftHanded(eye, centre, Vector3{0.0f, 1.0f, 0.0f}));
    engine.setZEnable(true);
    engine.setLighting(true);
    engine.setAmbient(0.35f, 0.35f, 0.37f);
    RLight* light = engine.createLight();
    light->setDirection(Vector3{0.45f, -1.0f, -0.55f});
    light->apply();
    model.root->render(true, -1.0f, 0.0f);
    engine.endFrame();

    return writePng(pngPath, options.width, options.height, gl.readPixels(), error);
}
