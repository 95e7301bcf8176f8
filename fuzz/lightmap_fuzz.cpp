// Loads arbitrary bytes as a raw lightmap file (int32 width, int32 height,
// texels), edits and commits it to a recording device, and loads the same
// bytes as a lightmap picture.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "graphics/engine.h"
#include "graphics/recording_device.h"
#include "graphics/texture.h"
#include "graphics/texture_resolver.h"

namespace {

std::optional<FuzzScratch> g_scratch;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("lightmap");
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = g_scratch->write("input.raw", data, size);

    RecordingDevice device;
    {
        REngine engine;
        engine.setDevice(&device);
        RecordingTextureResolver resolver(&engine);
        RTexture* lightmap = resolver.resolve("LIGHTMAP");
        if (lightmap == nullptr) std::abort();
        if (lightmap->loadRaw(input)) {
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
        lightmap->loadLightmapFile(input);
    }
    if (device.liveTextureCount() != 0) std::abort();
    return 0;
}
