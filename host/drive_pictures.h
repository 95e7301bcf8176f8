// The pictures of a headless drive: --frames DIR writes one PNG per 1/fps of
// simulated time, --video FILE.mp4 pipes the same pictures into ffmpeg (and
// --sound adds the run's WAV afterwards). The engine gets its device from an
// off-screen OpenGL context before the car loads its models. A picture is
// due after every 1/fps of simulated time; drawing reads the car and never
// steps it, so the run's telemetry and replay are the same with and without
// pictures.
#pragma once

#include <memory>
#include <string>

#include "graphics/gl/headless_gl.h"
#include "host/cameras.h"
#include "host/picture_output.h"

class ICar;
class REngine;
class SceneRenderer;
class SimHost;
class Track;

struct PictureOptions {
    std::string framesDir;  // absolute; empty: no frames
    std::string videoPath;  // absolute; empty: no video
    int fps = 30;
    int width = 1280, height = 720;
    CameraView view = CameraView::Chase;
    bool wanted() const { return !framesDir.empty() || !videoPath.empty(); }
};

// "WxH" with both sides from 16 to 8192 pixels.
bool parsePictureSize(const std::string& text, int& width, int& height);

class DrivePictures {
public:
    explicit DrivePictures(const PictureOptions& options);
    ~DrivePictures();

    // Gives the engine its device, before the car loads its models; false
    // with the reason when no OpenGL context can be made.
    bool prepare(REngine& engine, std::string& error);
    // Once the car is on the track: opens the output and builds the scene.
    bool begin(REngine& engine, const Track& track, const SimHost& host, std::string& error);
    // Draws and writes the pictures due by `time` (simulated seconds), with
    // a progress line every ten seconds of pictures.
    void step(ICar& car, double time);
    // Ends the pictures and closes the output; call before the session
    // finishes (the scene's objects live in its engine).
    bool close(std::string& error);
    // With a video: adds the run's sound file to it. Call after the session
    // has finished, when the sound file is complete.
    bool addSound(const std::string& soundPath, std::string& error);

private:
    PictureOptions options_;
    HeadlessGl gl_;
    std::unique_ptr<SceneRenderer> renderer_;
    PictureOutput output_;
    std::string error_;
};
