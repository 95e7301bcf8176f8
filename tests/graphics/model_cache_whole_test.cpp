// A model file loaded as a cache must be whole: every cut and any trailing
// byte is refused before a frame, material or texture is made from it, so a
// cut inside a texture name never reaches the engine's fatal lookup.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/material.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics_rig.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

std::vector<char> bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const std::filesystem::path& path, const std::vector<char>& bytes, size_t size) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
}

}  // namespace

TEST(ModelCacheWhole, EveryCutAndATrailingByteAreRefusedBeforeAnythingIsMade) {
    TempDir dir;
    ASSERT_TRUE(writeTga((dir / "paint.tga").string(), testPattern(2, 2), TgaLayout{}));
    GraphicsRig gfx(false);
    REngine& e = gfx.e();
    testing::internal::CaptureStdout();
    CSceneFrame* root = e.createFrame();
    root->name = "car";
    RGeometry* g = makeQuad(e);
    RMaterial* m = e.createMaterial();
    m->setTexture(e.getTexture((dir / "paint.tga").string()));
    g->setMaterial(m);
    root->addGeometry(g);
    const std::filesystem::path path = dir / "m.vqo";
    ASSERT_TRUE(RModelFile(&e).save(path.string(), root));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".part"));
    const std::vector<char> whole = bytesOf(path);

    CSceneFrame* into = e.createFrame();
    for (size_t size = 0; size <= whole.size() + 1; ++size) {
        std::vector<char> bytes = whole;
        bytes.push_back('\0');  // the trailing byte of the last case
        writeBytes(path, bytes, size);
        RModelFile file(&e);
        file.requireWhole = true;
        const size_t frames = e.frames.size(), materials = e.materials.size(), textures = e.textures.size();
        testing::internal::CaptureStdout();
        CSceneFrame* loaded = file.load(path.string(), into);
        const std::string printed = testing::internal::GetCapturedStdout();
        if (size == whole.size()) {
            ASSERT_EQ(loaded, into);
            EXPECT_EQ(into->geometries.size(), 1u);
            continue;
        }
        SCOPED_TRACE("file cut to " + std::to_string(size) + " of " + std::to_string(whole.size()) + " bytes");
        EXPECT_EQ(loaded, nullptr);
        EXPECT_EQ(file.problems.size(), 1u);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(e.frames.size(), frames);
        EXPECT_EQ(e.materials.size(), materials);
        EXPECT_EQ(e.textures.size(), textures);
    }
}
