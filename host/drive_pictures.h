// The pictures of a headless drive: --frames DIR writes one PNG per 1/fps of
// simulated time, --video FILE.mp4 pipes the same pictures into ffmpeg (and
// --sound adds the run's WAV afterwards). A picture is due after every 1/fps
// of simulated time; drawing it reads the car and never steps it, so the
// run's telemetry and replay are the same with and without pictures.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/cameras.h"
#include "host/picture_output.h"

class ICar;
class REngine;
class SceneRenderer;
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
    // readPixels gives the finished picture: width · height RGB, rows from
    // the top (empty when nothing could be drawn).
    DrivePictures(const PictureOptions& options, std::function<std::vector<uint8_t>()> readPixels);
    ~DrivePictures();

    // Opens the output and builds the scene once the car is initialised.
    bool begin(REngine& engine, const Track& track, std::string& error);
    // Called after every physics frame: draws and writes the pictures due
    // by `time` (simulated seconds) and keeps a progress line.
    void step(ICar& car, double time);
    // Closes the output; with a sound file and a video, adds the sound.
    bool finish(const std::string& soundPath, std::string& error);

    int count() const { return output_.count(); }
    bool failed() const { return !error_.empty(); }

private:
    PictureOptions options_;
    std::function<std::vector<uint8_t>()> readPixels_;
    std::unique_ptr<SceneRenderer> renderer_;
    PictureOutput output_;
    std::string error_;
};
