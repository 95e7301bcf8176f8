// RTexture: a picture on the device that binds itself to a texture stage as
// a base texture (stage 0), a lightmap or a reflection map (stage 1), and
// remembers the kind of pixels it had, which decides a material's blending.
// So far this holds only what materials and the engine need to bind one;
// loading files, the image data, the cache and lightmaps come with loading.
#pragma once

#include <string>

class REngine;
struct RDeviceTexture;

class RTexture {
public:
    RTexture() = default;
    virtual ~RTexture();
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

    REngine* engine = nullptr;
    std::string name;                       // file it came from; the cache key
    bool mipmapped = false;                 // the device texture has mip levels
    int lmWidth = 0;                        // lightmap buffer size, texels
    int lmHeight = 0;
    int pixelKind = 3;                      // bytes per pixel as loaded: 3, or 4 with alpha
    unsigned char* lmTexels = nullptr;      // lightmap luminance, owned by the lightmap code
    RDeviceTexture* deviceTexture = nullptr;
    float amount = 1.0f;                    // blend amount as a reflection map
};
