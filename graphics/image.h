// RImage: a picture in memory, rows bottom-up, channels R, G, B (and A),
// read from an uncompressed 24- or 32-bit TGA file, a PNG or a JPEG. A
// 24-bit picture holding the colour key (opaque magenta) becomes a 32-bit one
// with that colour transparent. Palette, grey, 16-bit and run-length
// compressed TGA files are refused with a message, never guessed at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RImage {
public:
    // Larger pictures are refused: no texture is that big, and a forged
    // header must not make us allocate gigabytes.
    static constexpr int64_t kMaxPixels = 8192 * 8192;

    RImage() = default;
    virtual ~RImage();
    RImage(const RImage&) = delete;
    RImage& operator=(const RImage&) = delete;

    // Reads an uncompressed true-colour TGA: the pixels end up bottom-up in
    // R, G, B (, A) order whatever the file's origin, then the colour key is
    // applied. Prints "Inverted tga\n" for a top-left origin and
    // "create transparence\n" when the key converted the picture. False when
    // the file cannot be opened or is not such a TGA (with a diagnostic).
    bool loadTga(const std::string& path);
    // PNG (any colour type, 16-bit and palettes reduced to 8-bit RGB or
    // RGBA) and JPEG (as RGB), then the colour key as for TGA.
    bool loadPng(const std::string& path);
    bool loadJpeg(const std::string& path);
    // Picks the reader from the first bytes: the PNG and JPEG signatures,
    // anything else is read as TGA (which has no signature).
    bool loadFile(const std::string& path);

    // A 3-byte picture with at least one pixel exactly (255, 0, 255) becomes
    // 4 bytes per pixel: those pixels (64, 64, 64, 0), all others opaque.
    // Returns whether it converted.
    bool applyColourKey();
    void freePixels();

    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width × height × bytesPerPixel, rows bottom-up
    int bytesPerPixel = 0;        // 3 or 4 once loaded

    // Additions of this port, after the fields above.
    bool quiet = false;           // print nothing; the caller reports `error` itself
    bool colourKey = true;        // apply the colour key after reading
    std::string error;            // why the last load failed, empty after a success
    int fileBits = 0;             // bits per pixel the file declares
    bool topLeftOrigin = false;   // the file stored its rows top-down

private:
    bool fail(const std::string& path, const std::string& why);
    void notice(const char* text) const;
};
