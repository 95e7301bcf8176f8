#include "host/picture_output.h"

#include "host/png_file.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
// Quotes a path for the shell.
std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
}  // namespace

std::string frameFileName(int n)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", n);
    return name;
}

PictureOutput::~PictureOutput()
{
    std::string ignored;
    close(ignored);
}

bool PictureOutput::openFrames(const std::string& folder, int width, int height, std::string& error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) return error = "cannot create the frame folder " + folder, false;
    folder_ = folder;
    width_ = width;
    height_ = height;
    return true;
}

bool PictureOutput::openVideo(const std::string& path, int width, int height, int fps, std::string& error)
{
    if (width % 2 || height % 2) return error = "a video needs an even width and height", false;
    const std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::to_string(width) +
                                "x" + std::to_string(height) + " -r " + std::to_string(fps) +
                                " -i - -c:v libx264 -preset veryfast -pix_fmt yuv420p -movflags +faststart " +
                                quoted(path);
    pipe_ = popen(command.c_str(), "w");
    if (!pipe_) return error = "cannot start ffmpeg", false;
    width_ = width;
    height_ = height;
    return true;
}

bool PictureOutput::write(const std::vector<uint8_t>& rgb, std::string& error)
{
    const size_t row = static_cast<size_t>(width_) * 3;
    if (rgb.size() < row * height_) return error = "a picture of the wrong size", false;
    if (pipe_) {
        if (std::fwrite(rgb.data(), 1, row * height_, pipe_) != row * height_)
            return error = "ffmpeg stopped taking pictures", false;
    } else if (!folder_.empty()) {
        const std::string path = folder_ + "/" + frameFileName(count_ + 1);
        if (!writePng(path, width_, height_, rgb, error)) return false;
    } else {
        return error = "no picture output is open", false;
    }
    ++count_;
    return true;
}

bool PictureOutput::close(std::string& error)
{
    if (!pipe_) return true;
    const int status = pclose(pipe_);
    pipe_ = nullptr;
    if (status != 0) return error = "ffmpeg failed to make the video", false;
    return true;
}

bool muxSound(const std::string& video, const std::string& wav, std::string& error)
{
    const std::string muxed = video + ".muxing.mp4";
    const std::string command = "ffmpeg -loglevel error -y -i " + quoted(video) + " -i " + quoted(wav) +
                                " -map 0:v:0 -map 1:a:0 -c:v copy -c:a aac -movflags +faststart " + quoted(muxed);
    if (std::system(command.c_str()) != 0) {
        std::error_code ec;
        fs::remove(muxed, ec);
        return error = "ffmpeg could not add the sound to " + video, false;
    }
    std::error_code ec;
    fs::rename(muxed, video, ec);
    if (ec) return error = "cannot replace " + video + ": " + ec.message(), false;
    return true;
}
