// Loads arbitrary bytes as a raw lightmap file (int32 width, int32 height,
// texels), edits and commits it to a recording device, and loads the same
// bytes as a lightmap picture.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/engine.h"
#include "graphics/recording_device.h"
#include "graphics/texture.h"
#include "graphics/texture_resolver.h"

namespace {

std::string g_dir;
std::string g_input;

void removeScratch()
{
    std::remove(g_input.c_str());
    rmdir(g_dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/solvi_fuzz_lightmap_XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    g_dir = pattern;
    g_input = g_dir + "/input.raw";
    std::atexit(removeScratch);
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(g_input.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    RecordingDevice device;
    {
        REngine engine;
        engine.setDevice(&device);
        RecordingTextureResolver resolver(&engine);
        RTexture* lightmap = resolver.resolve("LIGHTMAP");
        if (lightmap == nullptr) std::abort();
        if (lightmap->loadRaw(g_input)) {
            if (lightmap->lmTexels.size() != static_cast<size_t>(lightmap->lmWidth) * lightmap->lmHeight) std::abort();
            const int w = lightmap->lmWidth, h = lightmap->lmHeight;
            const uint8_t a = size > 8 ? data[8] : 0;
            lightmap->subtract(w / 2, h / 2, a, a / 4);
            lightmap->darken(w - 1, h - 1, a);
            lightmap->setTexel(w, h, a);  // outside
            lightmap->scale(static_cast<float>(a) / 64.0f);
            lightmap->stripes(a % 5);
            lightmap->commit();
            if (w > 0 && h > 0) {
                const RecordingDevice::Texture* t = device.texture(lightmap->deviceTexture);
                if (t == nullptr || t->texels[0] != lightmap->texel(0, 0)) std::abort();
            }
            lightmap->bindLightmap();
        }
        lightmap->loadLightmapFile(g_input);
    }
    if (device.liveTextureCount() != 0) std::abort();
    return 0;
}
