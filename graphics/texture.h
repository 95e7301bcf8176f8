// RTexture: a picture on the device that binds itself to a texture stage as
// a base texture (stage 0), a lightmap or a reflection map (stage 1), and
// remembers the kind of pixels it had, which decides a material's blending.
// It is also the lightmap editor: a luminance buffer edited texel by texel
// and committed to a device texture. The image pixels live only while a file
// is loaded; the engine's cache creates and deletes every texture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/image.h"

class REngine;
struct RDeviceTexture;

class RTexture : public RImage {
public:
    // Opaque magenta is transparent in every texture loaded from a file.
    static constexpr uint32_t kColourKey = 0xFFFF00FFu;

    RTexture() = default;
    // Releases the device texture.
    ~RTexture() override;
    RTexture(const RTexture&) = delete;
    RTexture& operator=(const RTexture&) = delete;

    // Stage 0, unless it is already the engine's stage-0 texture: linear
    // filtering, linear mip filtering when mipmapped, and the alpha test on
    // (pass when alpha > 0) for 32-bit pixels, off otherwise.
    void bind();
    // Stage 1 modulating stage 0's colour, read with the second set of
    // texture coordinates; nothing if already the stage-1 texture.
    void bindLightmap();
    // Stage 1 as a reflection of the camera-space reflection vector, blended
    // over the base colour by `amount`. Only with the engine's reflections
    // on; nothing if already bound on stage 1 with the same amount.
    void bindReflection();

    // Loads the file `fileName` (TGA, PNG or JPEG) into a device texture:
    // prints "Loading texture: %s\n", records the name and the pixel kind,
    // mipmaps it when the engine says so and it has no transparency, and
    // frees the pixels again. A missing file prints
    // "RTexture::load : file not found %s\n" and ends the process with exit
    // code 0. Without an engine device only the picture is read.
    void load(const std::string& fileName);

    // --- lightmap editing; texels outside the buffer are left alone ---
    // A new buffer of w × h texels, all 0 (empty, with a line, for a
    // negative size or one larger than any texture).
    void allocLightmap(int w, int h);
    void setTexel(int x, int y, uint8_t value);
    void fill(uint8_t value);
    // texel = min(texel, value)
    void darken(int x, int y, uint8_t value);
    // texel = max(texel - amount, floor), in signed arithmetic, held to 0..255
    void subtract(int x, int y, int amount, int floor);
    // texel = min(255, truncate(texel × factor)), at least 0
    void scale(float factor);
    // A test pattern: column x is 255 when x / period is odd, else 0.
    void stripes(int period);
    // int32 width, int32 height (little-endian), then width × height bytes,
    // row-major. False, with a diagnostic and the buffer unchanged, for a
    // file that is missing, short, or declares an empty size or one it does
    // not hold.
    bool loadRaw(const std::string& path);
    // Replaces the device texture by one made from an image file as 8-bit
    // luminance (colour key as for textures); the buffer is not touched.
    void loadLightmapFile(const std::string& path);
    // Uploads the buffer: a new lmWidth × lmHeight luminance texture, each
    // texel the buffer's value / 255. Prints "Commit light map (%d,%d)\n".
    void commit();
    // The buffer's texel, 0 outside it.
    uint8_t texel(int x, int y) const;

    REngine* engine = nullptr;
    std::string name;                       // file it came from; the cache key
    bool mipmapped = false;                 // the device texture has mip levels
    int lmWidth = 0;                        // lightmap buffer size, texels
    int lmHeight = 0;
    int pixelKind = 3;                      // bytes per pixel as loaded: 3, or 4 with alpha
    std::vector<uint8_t> lmTexels;          // lightmap luminance, lmWidth × lmHeight, row-major
    RDeviceTexture* deviceTexture = nullptr;
    float amount = 1.0f;                    // blend amount as a reflection map

private:
    // Index of a texel in lmTexels, -1 outside the size or the buffer.
    long texelIndex(int x, int y) const;
};
