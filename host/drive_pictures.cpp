#include "host/drive_pictures.h"

#include <cstdio>

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

DrivePictures::DrivePictures(const PictureOptions& options, std::function<std::vector<uint8_t>()> readPixels)
    : options_(options), readPixels_(std::move(readPixels))
{
}

DrivePictures::~DrivePictures() = default;

bool DrivePictures::begin(REngine& engine, const Track& track, std::string& error)
{
    if (!options_.videoPath.empty()) {
        if (!output_.openVideo(options_.videoPath, options_.width, options_.height, options_.fps, error)) return false;
    } else if (!output_.openFrames(options_.framesDir, options_.width, options_.height, error)) {
        return false;
    }
    renderer_ = std::make_unique<SceneRenderer>(engine, track, options_.width, options_.height, options_.view);
    return true;
}

void DrivePictures::step(ICar& car, double time)
{
    if (!renderer_ || failed()) return;
    // Picture n (from 1) shows the car after n / fps seconds.
    while (static_cast<double>(output_.count() + 1) <= time * options_.fps + 1e-6) {
        renderer_->draw(car);
        if (!output_.write(readPixels_(), error_)) {
            std::fprintf(stderr, "vqsim: %s; no more pictures\n", error_.c_str());
            return;
        }
        if (output_.count() % (10 * options_.fps) == 0) {
            std::printf("  pictures: %d (%.0f s)\n", output_.count(), time);
            std::fflush(stdout);
        }
    }
}

bool DrivePictures::finish(const std::string& soundPath, std::string& error)
{
    if (!output_.close(error)) return false;
    if (!error_.empty()) return error = error_, false;
    const std::string& where = options_.videoPath.empty() ? options_.framesDir : options_.videoPath;
    std::printf("vqsim: wrote %d pictures into %s\n", output_.count(), where.c_str());
    if (!options_.videoPath.empty() && !soundPath.empty()) {
        if (!muxSound(options_.videoPath, soundPath, error)) return false;
        std::printf("vqsim: added the sound of %s to %s\n", soundPath.c_str(), options_.videoPath.c_str());
    }
    return true;
}
