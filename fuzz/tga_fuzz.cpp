// Loads arbitrary bytes as a texture file: RImage's TGA reader on its own,
// then a texture through the recording resolver and a recording device,
// which also takes the PNG and JPEG paths when the bytes start like one.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_scratch.h"
#include "graphics/engine.h"
#include "graphics/image.h"
#include "graphics/recording_device.h"
#include "graphics/texture.h"
#include "graphics/texture_resolver.h"

namespace {

std::optional<FuzzScratch> g_scratch;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_scratch.emplace("tga");
    // Banners and loading notices would flood the fuzzer's output.
    FuzzScratch::silenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = g_scratch->write("input.tga", data, size);

    RImage image;
    if (image.loadTga(input)) {
        const size_t expected = static_cast<size_t>(image.width) * image.height * image.bytesPerPixel;
        if (image.pixels.size() != expected || (image.bytesPerPixel != 3 && image.bytesPerPixel != 4)) std::abort();
    } else if (image.error.empty() || !image.pixels.empty()) {
        std::abort();  // a refusal always says why and keeps nothing
    }

    // A fresh engine per input: the cache would otherwise hand back the
    // texture of the previous input under the same name.
    RecordingDevice device;
    {
        REngine engine;
        engine.setDevice(&device);
        engine.setMipmapTextures(size % 2 == 1);
        RecordingTextureResolver resolver(&engine);
        RTexture* texture = resolver.resolve(input);
        if (texture == nullptr || !resolver.missing.empty()) std::abort();
        if (texture->pixelKind != 3 && texture->pixelKind != 4) std::abort();
        texture->bind();
        if (resolver.resolve(g_scratch->path("absent.tga")) != nullptr || resolver.missing.size() != 1) std::abort();
    }
    if (device.liveTextureCount() != 0) std::abort();
    return 0;
}
