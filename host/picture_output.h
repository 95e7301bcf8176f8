// Where a headless drive's pictures go: numbered PNG files in a folder
// (names zero-padded, so they sort in time order) or an H.264 video made by
// ffmpeg from raw frames on its standard input; a finished video can take a
// WAV file as its sound track in a second ffmpeg pass.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class PictureOutput {
public:
    PictureOutput() = default;
    ~PictureOutput();
    PictureOutput(const PictureOutput&) = delete;
    PictureOutput& operator=(const PictureOutput&) = delete;

    // PNG frames into `folder` (created when missing).
    bool openFrames(const std::string& folder, int width, int height, std::string& error);
    // An MP4 through ffmpeg (libx264, yuv420p); width and height must be even.
    bool openVideo(const std::string& path, int width, int height, int fps, std::string& error);

    // One picture of width · height RGB pixels, rows from the top.
    bool write(const std::vector<uint8_t>& rgb, std::string& error);
    // Ends the video (waits for ffmpeg); false with a reason when it failed.
    bool close(std::string& error);
    int count() const { return count_; }

private:
    std::string folder_;
    FILE* pipe_ = nullptr;
    int width_ = 0, height_ = 0;
    int count_ = 0;
};

// The name of the n-th picture (from 1) in a frame folder.
std::string frameFileName(int n);

// Replaces `video` by a copy with `wav` as its sound (video copied, AAC audio).
bool muxSound(const std::string& video, const std::string& wav, std::string& error);
