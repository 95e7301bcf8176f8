#pragma once
// vqsim inspect MODEL --png OUT.png: a lit three-quarter picture of a model
// (ASE or model file), drawn off screen through the OpenGL device. Textures
// are looked for as the car looks for them: in the skin folder (the one the
// cfg.ini beside the model names, or the one asked for), then in texture/
// beside the model. A missing texture is noted and drawn untextured.

#include <string>
#include <vector>

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

// Draws `modelPath` into the PNG file `pngPath`. False with `error` when the
// model cannot be read, no OpenGL context can be made or the file cannot be
// written.
bool writeModelPicture(const std::string& modelPath, const std::string& pngPath, const ModelPictureOptions& options,
                       ModelPictureResult& result, std::string& error);
