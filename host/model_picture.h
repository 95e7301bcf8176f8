#pragma once
// vqsim inspect MODEL --png OUT.png: a lit three-quarter picture of a model
// (ASE or model file), drawn off screen through the OpenGL device. Textures
// are looked for as the car looks for them: in the skin folder (the one the
// cfg.ini beside the model names, or the one asked for), then in texture/
// beside the model. A missing texture is noted and drawn untextured.

#include <cstdint>
#include <string>
#include <vector>

#include "chassis/vector3.h"
#include "graphics/gl/headless_gl.h"
#include "host/inspect_model.h"

struct ModelPictureOptions {
    std::string skin;  // empty: the skin cfg.ini beside the model names
    int width = 1280;
    int height = 720;
};

struct ModelPictureResult {
    std::string platform;            // where it was drawn (OpenGL, EGL, renderer)
    std::vector<std::string> notes;  // missing textures and other problems
    int triangles = 0;
};

// A model loaded onto a headless OpenGL device, with its camera and light.
class ModelPicture {
public:
    explicit ModelPicture(const ModelPictureOptions& options);
    // Starts OpenGL, reads the model with its textures and places the
    // camera; false with `error` when either fails.
    bool load(const std::string& modelPath, std::string& error);
    // One frame: clear, camera, light, the model.
    void draw();
    // The last frame, rows from the top, R, G, B.
    std::vector<uint8_t> pixels() { return gl_.readPixels(); }
    const ModelPictureResult& result() const { return result_; }

private:
    ModelPictureOptions options_;
    HeadlessGl gl_;        // outlives the model, whose meshes release into it
    ToolboxModel model_;
    ModelPictureResult result_;
    Vector3 eye_{0.0f, 0.0f, 0.0f};
    Vector3 centre_{0.0f, 0.0f, 0.0f};
    float nearPlane_ = 0.1f;
    float farPlane_ = 100.0f;
};

// Draws `modelPath` into the PNG file `pngPath`. False with `error` when the
// model cannot be read, no OpenGL context can be made or the file cannot be
// written.
bool writeModelPicture(const std::string& modelPath, const std::string& pngPath, const ModelPictureOptions& options,
                       ModelPictureResult& result, std::string& error);
