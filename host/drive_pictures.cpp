#include "host/drive_pictures.h"

#include <cstdio>

#include "graphics/engine.h"
#include "host/car_console.h"
#include "host/scene_renderer.h"

bool parsePictureSize(const std::string& text, int& width, int& height)
{
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || x != 'x') return false;
    if (w < 16 || h < 16 || w > 8192 || h > 8192) return false;
    width = w;
    height = h;
    return true;
}

DrivePictures::DrivePictures(const PictureOptions& options)
    : options_(options), gl_(options.width, options.height)
{
}

DrivePictures::~DrivePictures() = default;

bool DrivePictures::prepare(REngine& engine, std::string& error)
{
    engine.deviceFactory = &gl_;
    if (!engine.init(nullptr, nullptr)) return error = "no pictures without an OpenGL context: " + gl_.error(), false;
    return true;
}

bool DrivePictures::begin(REngine& engine, const Track& track, const SimHost& host, std::string& error)
{
    hostPrintf("vqsim: drawing with %s\n", gl_.description().c_str());
    if (!options_.videoPath.empty()) {
        if (!output_.openVideo(options_.videoPath, options_.width, options_.height, options_.fps, error)) return false;
    } else if (!output_.openFrames(options_.framesDir, options_.width, options_.height, error)) {
        return false;
    }
    renderer_ = std::make_unique<SceneRenderer>(engine, track, host, options_.width, options_.height, options_.view);
    return true;
}

void DrivePictures::step(ICar& car, double time)
{
    if (!renderer_ || !error_.empty()) return;
    // Picture n (from 1) shows the car after n / fps seconds.
    while (static_cast<double>(output_.count() + 1) <= time * options_.fps + 1e-6) {
        renderer_->draw(car);
        if (!output_.write(gl_.readPixels(), error_)) {
            std::fprintf(stderr, "vqsim: %s; no more pictures\n", error_.c_str());
            return;
        }
        if (output_.count() % (10 * options_.fps) == 0) {
            hostPrintf("  pictures: %d (%.0f s)\n", output_.count(), time);
            std::fflush(stdout);
        }
    }
}

bool DrivePictures::close(std::string& error)
{
    renderer_.reset();
    if (!output_.close(error)) return false;
    if (!error_.empty()) return error = error_, false;
    const std::string& where = options_.videoPath.empty() ? options_.framesDir : options_.videoPath;
    hostPrintf("vqsim: wrote %d pictures into %s\n", output_.count(), where.c_str());
    return true;
}

bool DrivePictures::addSound(const std::string& soundPath, std::string& error)
{
    if (options_.videoPath.empty() || soundPath.empty()) return true;
    if (!muxSound(options_.videoPath, soundPath, error)) return false;
    hostPrintf("vqsim: added the sound of %s to %s\n", soundPath.c_str(), options_.videoPath.c_str());
    return true;
}
