// RTexture through the engine's cache and a RecordingDevice: what a file
// turns into on the device, the cache, lightmap editing and commit, raw
// lightmap files, the resolvers and the fatal missing file.

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "graphics/texture.h"
#include "graphics/texture_resolver.h"
#include "graphics_rig.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using Call = RecordingDevice::Call;

std::string writePicture(const TempDir& dir, const std::string& name, int bits, bool magenta) {
    TestPicture p = testPattern(4, 2);
    if (magenta) p.at(1, 0)[0] = 255, p.at(1, 0)[1] = 0, p.at(1, 0)[2] = 255;
    const std::string path = (dir / name).string();
    writeTga(path, p, TgaLayout{bits, false, "", false, bits == 16 ? 10 : 2});
    return path;
}

RTexture* loadQuietly(REngine& e, const std::string& name, std::string& out) {
    testing::internal::CaptureStdout();
    RTexture* t = e.getTexture(name);
    out = testing::internal::GetCapturedStdout();
    return t;
}

}  // namespace

TEST(TextureTest, FilesBecomeDeviceTexturesOfTheirPixelKind) {
    TempDir dir;
    struct Case {
        const char* what;
        int bits;
        bool magenta, mipmapOn;
        int kind;
        bool mipmapped;
        RTextureFormat format;
        uint32_t levels;
    } cases[] = {
        {"24-bit", 24, false, false, 3, false, RTextureFormat::Rgb24, 1},
        {"24-bit holding magenta", 24, true, false, 4, false, RTextureFormat::Argb32, 1},
        {"32-bit", 32, false, false, 4, false, RTextureFormat::Argb32, 1},
        {"24-bit, mipmaps on", 24, false, true, 3, true, RTextureFormat::Rgb24, 5},
        {"32-bit, mipmaps on: none for alpha", 32, false, true, 4, false, RTextureFormat::Argb32, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GraphicsRig rig;
        rig.e().setMipmapTextures(c.mipmapOn);
        const std::string path = writePicture(dir, "t.tga", c.bits, c.magenta);
        std::string out;
        RTexture* t = loadQuietly(rig.e(), path, out);
        EXPECT_NE(out.find("Loading texture: " + path + "\n"), std::string::npos) << out;
        EXPECT_EQ(out.find("transp..\n") != std::string::npos, c.format == RTextureFormat::Argb32) << out;
        EXPECT_EQ(t->name, path);
        EXPECT_EQ(t->pixelKind, c.kind);
        EXPECT_EQ(t->mipmapped, c.mipmapped);
        EXPECT_TRUE(t->pixels.empty());  // the image lives only while loading
        const RecordingDevice::Texture* d = rig.device.texture(t->deviceTexture);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->format, c.format);
        EXPECT_EQ(d->levels, c.levels);
        EXPECT_EQ(d->width, 4u);
        if (c.magenta) {  // the device's key: transparent black, top row first
            const uint8_t* texel = d->texels.data() + 4;
            EXPECT_EQ(std::vector<uint8_t>(texel, texel + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
        }
        t->bind();
        EXPECT_EQ(rig.device.textures[0], t->deviceTexture);
        EXPECT_EQ(rig.device.renderState(RRenderState::AlphaTestEnable), c.kind == 4 ? 1u : 0u);
    }

    GraphicsRig rig;
    std::string out;
    RTexture* broken = loadQuietly(rig.e(), writePicture(dir, "rle.tga", 16, false), out);
    EXPECT_NE(out.find("Error creating texture\n"), std::string::npos) << out;
    EXPECT_EQ(broken->deviceTexture, nullptr);
    EXPECT_EQ(broken->pixelKind, 3);
}

TEST(TextureTest, CacheKeepsOnePerNameAndLightmapsAreFresh) {
    TempDir dir;
    const std::string path = writePicture(dir, "a.tga", 24, false);
    GraphicsRig rig;
    std::string out;
    RTexture* a = loadQuietly(rig.e(), path, out);
    EXPECT_EQ(loadQuietly(rig.e(), path, out), a);
    EXPECT_EQ(out, "");  // not loaded again
    EXPECT_EQ(rig.device.calls(Call::CreateTextureFromFile), 1);
    RTexture* l1 = loadQuietly(rig.e(), "LIGHTMAP", out);
    RTexture* l2 = loadQuietly(rig.e(), "LIGHTMAP", out);
    EXPECT_NE(l1, l2);
    EXPECT_EQ(l1->deviceTexture, nullptr);
    EXPECT_EQ(rig.e().textures.size(), 3u);

    REngineTextureResolver engineResolver(&rig.e());
    EXPECT_EQ(engineResolver.resolve(path), a);
    RecordingTextureResolver recording(&rig.e());
    EXPECT_EQ(recording.resolve("gone.tga"), nullptr);
    EXPECT_EQ(recording.resolve("gone.tga"), nullptr);
    EXPECT_EQ(recording.resolve(path), a);
    EXPECT_EQ(recording.missing, std::vector<std::string>{"gone.tga"});
    EXPECT_EQ(recording.requested.size(), 3u);

    rig.close();
    EXPECT_EQ(rig.device.liveTextureCount(), 0);  // the engine released them
}

TEST(TextureDeathTest, MissingFileEndsTheProcessWithCodeZero) {
    GraphicsRig rig;
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output
            rig.e().getTexture("texture/none.tga");
        },
        testing::ExitedWithCode(0), "RTexture::load : file not found texture/none.tga");
}

TEST(LightmapTest, EditsThenCommitsAsLuminance) {
    GraphicsRig rig;
    std::string out;
    RTexture* lm = loadQuietly(rig.e(), "LIGHTMAP", out);
    lm->allocLightmap(4, 2);
    lm->fill(10);
    lm->subtract(0, 0, 20, 5);   // 10 - 20 held at the floor 5
    lm->subtract(1, 0, 20, 0);   // ... at 0
    lm->setTexel(2, 0, 200);
    lm->darken(3, 0, 7);
    lm->darken(0, 1, 99);        // 10 stays
    lm->setTexel(9, 9, 1);       // outside: ignored
    EXPECT_EQ(std::vector<uint8_t>(lm->lmTexels.begin(), lm->lmTexels.begin() + 5),
              (std::vector<uint8_t>{5, 0, 200, 7, 10}));
    lm->scale(2.0f);
    EXPECT_EQ(lm->texel(2, 0), 255);
    EXPECT_EQ(lm->texel(0, 0), 10);

    lm->bindLightmap();
    testing::internal::CaptureStdout();
    lm->commit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Commit light map (4,2)\n");
    const RecordingDevice::Texture* d = rig.device.texture(lm->deviceTexture);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->format, RTextureFormat::Luminance8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d->texels[4 * i], lm->lmTexels[i]) << i;
    lm->bindLightmap();  // a new device texture is bound again
    EXPECT_EQ(rig.device.textures[1], lm->deviceTexture);

    lm->stripes(2);
    EXPECT_EQ(std::vector<uint8_t>(lm->lmTexels.begin() + 4, lm->lmTexels.end()),
              (std::vector<uint8_t>{0, 0, 255, 255}));
    RDeviceTexture* old = lm->deviceTexture;
    testing::internal::CaptureStdout();
    lm->commit();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rig.device.texture(old), nullptr);  // released
    EXPECT_EQ(rig.device.liveTextureCount(), 1);
}

TEST(LightmapTest, RawFilesAndImageFiles) {
    TempDir dir;
    GraphicsRig rig;
    std::string out;
    RTexture* lm = loadQuietly(rig.e(), "LIGHTMAP", out);
    auto raw = [&](int32_t w, int32_t h, std::vector<uint8_t> texels) {
        const std::string path = (dir / "lm.raw").string();
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(&w), 4).write(reinterpret_cast<const char*>(&h), 4);
        f.write(reinterpret_cast<const char*>(texels.data()), static_cast<std::streamsize>(texels.size()));
        return path;
    };
    EXPECT_TRUE(lm->loadRaw(raw(3, 2, {1, 2, 3, 4, 5, 6})));
    EXPECT_EQ(lm->lmWidth, 3);
    EXPECT_EQ(lm->texel(2, 1), 6);
    for (const auto& [w, h] : {std::pair{3, 3}, std::pair{-1, 2}, std::pair{65536, 65536}}) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(lm->loadRaw(raw(w, h, {9, 9, 9, 9, 9, 9})));
        EXPECT_NE(testing::internal::GetCapturedStdout().find("RTexture::loadRaw : "), std::string::npos);
        EXPECT_EQ(lm->texel(0, 0), 1);  // unchanged
    }

    lm->loadLightmapFile(writePicture(dir, "lm.tga", 24, false));
    const RecordingDevice::Texture* d = rig.device.texture(lm->deviceTexture);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->format, RTextureFormat::Luminance8);
    EXPECT_EQ(d->levels, 1u);
}
