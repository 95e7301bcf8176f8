// The binary model file: its exact bytes for a small model, save and load
// round trips of an exporter's model, the per-mesh material copies, the
// reflection override, texture lookup along the search path, mirroring, and
// damaged files, loaded as they come or as a cache that must be whole.

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/ase_loader.h"
#include "graphics/material.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"
#include "graphics/texture_resolver.h"
#include "graphics_rig.h"
#include "ase_samples.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The file format written out by hand, to compare against and to forge
// damaged files with.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& raw(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& i(int32_t v) {
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
        return *this;
    }
    Bytes& f(std::initializer_list<float> vs) {
        for (float v : vs) i(std::bit_cast<int32_t>(v));
        return *this;
    }
    Bytes& byte(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    Bytes& str(const std::string& s) { return i(static_cast<int32_t>(s.size())).raw(s); }
    void write(const fs::path& path) const { writeFile(path, b); }
};

// A 2 x 2 uncompressed 24-bit TGA.
void writeTga(const fs::path& path) {
    Bytes t;
    t.byte(0).byte(0).byte(2);
    for (int k = 0; k < 9; ++k) t.byte(0);
    t.byte(2).byte(0).byte(2).byte(0).byte(24).byte(0);
    for (int k = 0; k < 12; ++k) t.byte(static_cast<uint8_t>(40 + k));
    t.write(path);
}

struct ModelRig {
    GraphicsRig gfx{false};
    REngine& e() { return gfx.e(); }

    // One textured triangle in a frame named "car".
    CSceneFrame* triangle(RTexture* texture) {
        CSceneFrame* root = e().createFrame();
        root->name = "car";
        RGeometry* g = e().createGeometry();
        g->name = "tri";
        g->allocPositions(3);
        g->positions = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
        g->allocNormals(3);
        g->normals = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
        g->allocUv(3);
        g->uv = {{0, 0}, {1, 0}, {0, 1}};
        RMaterial* m = e().createMaterial();
        m->setTexture(texture);
        m->power = 76.0f;
        g->setMaterial(m);
        root->addGeometry(g);
        return root;
    }
};

bool save(RModelFile& file, const fs::path& path, CSceneFrame* root) {
    testing::internal::CaptureStdout();
    const bool ok = file.save(path.string(), root);
    testing::internal::GetCapturedStdout();
    return ok;
}

CSceneFrame* load(RModelFile& file, const fs::path& path, CSceneFrame* root, std::string* output = nullptr) {
    testing::internal::CaptureStdout();
    CSceneFrame* loaded = file.load(path.string(), root);
    const std::string out = testing::internal::GetCapturedStdout();
    if (output) *output = out;
    return loaded;
}

std::vector<CSceneFrame*> preOrder(CSceneFrame* root) {
    std::vector<CSceneFrame*> out{root};
    for (size_t k = 0; k < out.size(); ++k) {
        std::vector<CSceneFrame*>& kids = out[k]->children;
        out.insert(out.begin() + static_cast<long>(k) + 1, kids.begin(), kids.end());
    }
    return out;
}

}  // namespace

TEST(ModelFile, OneTexturedTriangleSavesAsTheDocumentedBytes) {
    TempDir dir;
    writeTga(dir / "paint.tga");
    ModelRig rig;
    testing::internal::CaptureStdout();
    RTexture* paint = rig.e().getTexture((dir / "paint.tga").string());
    testing::internal::GetCapturedStdout();
    CSceneFrame* root = rig.triangle(paint);
    RModelFile file(&rig.e());
    ASSERT_TRUE(save(file, dir / "m.vqo", root));

    Bytes want;
    want.raw("zt666").i(2).i(20).i(1);
    want.f({1, 1, 1, 1}).f({1, 1, 1, 1}).f({0, 0, 0, 1}).byte(0).f({76}).i(21).str(paint->name).byte(0).i(22);
    want.i(25).i(1).i(23).str("car").f({0, 0, 0}).f({0, 0, 1}).f({0, 1, 0}).i(-1).i(1);
    want.i(24).str("tri").i(3).f({0, 0, 0, 1, 0, 0, 0, 0, 1}).i(3).f({0, 1, 0, 0, 1, 0, 0, 1, 0});
    want.i(3).f({0, 0, 1, 0, 0, 1}).i(0);
    EXPECT_EQ(fileBytes(dir / "m.vqo"), want.b);
}

TEST(ModelFile, SavingALoadedModelAndLoadingItBackKeepsItExactly) {
    TempDir dir;
    ModelRig first;
    RecordingTextureResolver resolver;
    RAseLoader ase(&first.e());
    ase.setTextureResolver(&resolver);
    ase.setScale(0.1f);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(ase.readText(kExporterAse, "exporter.ase"));
    testing::internal::GetCapturedStdout();
    CSceneFrame* root = first.e().createFrame();
    root->name = "solvi";
    for (CSceneFrame* f : ase.frames) root->addChild(f);
    // A frame the loader did not make, turned about two axes.
    CSceneFrame* arm = first.e().createFrame();
    arm->name = "Mirror Arm";
    arm->rotateY(30.0f);
    arm->rotateX(-12.5f);
    arm->setPosition(0.7f, 1.1f, -0.3f);
    ase.findFrame("Body Shell")->addChild(arm);

    RModelFile out(&first.e());
    ASSERT_TRUE(save(out, dir / "solvi.vqo", root));
    ModelRig second;
    RModelFile in(&second.e());
    RecordingTextureResolver none;
    in.setTextureResolver(&none);
    CSceneFrame* back = second.e().createFrame();
    ASSERT_EQ(load(in, dir / "solvi.vqo", back), back);
    EXPECT_EQ(in.problemCount, 0);

    const std::vector<CSceneFrame*> a = preOrder(root), b = preOrder(back);
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
        SCOPED_TRACE(a[k]->name);
        EXPECT_EQ(b[k]->name, a[k]->name);
        EXPECT_EQ(b[k]->parent ? b[k]->parent->name : "", a[k]->parent ? a[k]->parent->name : "");
        for (int m = 0; m < 16; ++m) {
            if (a[k] == arm)
                EXPECT_NEAR(b[k]->matrix.m[m], a[k]->matrix.m[m], 1e-6f);
            else
                EXPECT_EQ(b[k]->matrix.m[m], a[k]->matrix.m[m]);
        }
        ASSERT_EQ(b[k]->geometries.size(), a[k]->geometries.size());
        for (size_t g = 0; g < a[k]->geometries.size(); ++g) {
            const RGeometry& x = *a[k]->geometries[g];
            const RGeometry& y = *b[k]->geometries[g];
            EXPECT_EQ(y.name, x.name);
            ASSERT_EQ(y.cornerCount, x.cornerCount);
            ASSERT_EQ(y.normalCount, x.normalCount);
            ASSERT_EQ(y.uvCount, x.uvCount);
            EXPECT_TRUE(x.positions.empty() || std::memcmp(y.positions.data(), x.positions.data(), sizeof(Vector3) * x.positions.size()) == 0);
            EXPECT_TRUE(x.normals.empty() || std::memcmp(y.normals.data(), x.normals.data(), sizeof(Vector3) * x.normals.size()) == 0);
            EXPECT_TRUE(x.uv.empty() || std::memcmp(y.uv.data(), x.uv.data(), sizeof(RUv) * x.uv.size()) == 0);
            if (!x.material) continue;  // saved without one: gets default colours
            EXPECT_NE(y.material, x.material);
            EXPECT_EQ(y.material->diffuse.a, x.material->diffuse.a);
            EXPECT_EQ(y.material->blendMode, x.material->blendMode);
            EXPECT_EQ(y.material->twoSided, x.material->twoSided);
            EXPECT_EQ(y.material->power, x.material->power);
            EXPECT_EQ(y.material->diffuse.r, x.material->diffuse.r);
        }
    }
}

TEST(ModelFile, EachMeshLoadsWithItsOwnCopyOfItsMaterial) {
    TempDir dir;
    ModelRig rig;
    CSceneFrame* root = rig.triangle(nullptr);
    RGeometry* second = rig.e().createGeometry();
    second->name = "tri 2";
    second->setMaterial(root->geometries[0]->material);
    root->geometries[0]->material->setDiffuse(0.2f, 0.4f, 0.6f);
    root->addGeometry(second);
    RModelFile file(&rig.e());
    ASSERT_TRUE(save(file, dir / "shared.vqo", root));
    EXPECT_EQ(file.materials.size(), 2u) << "one record per mesh";

    ModelRig other;
    RModelFile in(&other.e());
    CSceneFrame* back = other.e().createFrame();
    ASSERT_EQ(load(in, dir / "shared.vqo", back), back);
    ASSERT_EQ(back->geometries.size(), 2u);
    RMaterial* m0 = back->geometries[0]->material;
    RMaterial* m1 = back->geometries[1]->material;
    EXPECT_NE(m0, m1);
    EXPECT_FLOAT_EQ(m1->diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(m1->ambient.b, 0.6f);
}

TEST(ModelFile, ReflectionAmountsAndTextureLookupFollowTheSettings) {
    TempDir dir;
    fs::create_directories(dir / "cars/solvi/texture");
    writeTga(dir / "cars/solvi/texture/body.tga");
    writeTga(dir / "sky.tga");
    ModelRig rig;
    // Stored as an artist's machine named them; only the file names exist.
    RTexture body, sky;
    body.name = "c:/art/body.tga";
    sky.name = (dir / "sky.tga").string();
    CSceneFrame* root = rig.triangle(&body);
    root->geometries[0]->material->setEnvTexture(&sky);
    root->geometries[0]->material->envAmount = 0.8f;
    RGeometry* plain = rig.e().createGeometry();
    plain->setMaterial(rig.e().createMaterial());
    plain->material->setDiffuse(0.1f, 0.2f, 0.3f);
    root->addGeometry(plain);
    RModelFile out(&rig.e());
    ASSERT_TRUE(save(out, dir / "r.vqo", root));

    for (const float override : {-1.0f, 0.3f}) {
        SCOPED_TRACE(override);
        ModelRig other;
        RecordingTextureResolver resolver(&other.e());
        RModelFile in(&other.e());
        in.setTextureResolver(&resolver);
        in.envOverride = override;
        in.addTexturePath((dir / "nowhere").string());
        in.addTexturePath((dir / "cars/solvi/texture").string());
        in.addTexturePath(dir.path().string());
        std::string output;
        CSceneFrame* back = other.e().createFrame();
        ASSERT_EQ(load(in, dir / "r.vqo", back, &output), back);
        const RMaterial* m = back->geometries[0]->material;
        EXPECT_FLOAT_EQ(m->envAmount, override == -1.0f ? 0.8f : 0.3f);
        EXPECT_EQ(output.find("ENV_AMOUNT=0.800000") != std::string::npos, override == -1.0f);
        ASSERT_NE(m->texture, nullptr);
        EXPECT_EQ(m->texture->name, (dir / "cars/solvi/texture/body.tga").string());
        EXPECT_NE(output.find("Looking for " + (dir / "nowhere/body.tga").string() + "...no"), std::string::npos);
        ASSERT_NE(m->envTexture, nullptr);
        // The record after the reflection map reads unchanged.
        EXPECT_FLOAT_EQ(back->geometries[1]->material->diffuse.b, 0.3f);
        EXPECT_EQ(in.textureNames[0], "c:/art/body.tga");
    }
    RSearchPath path;
    path.add((dir / "nowhere").string());
    testing::internal::CaptureStdout();
    EXPECT_EQ(path.find("body.tga"), "body.tga");
    testing::internal::GetCapturedStdout();
}

TEST(ModelFile, MirroringTurnsEveryTriangleAndNegatesX) {
    TempDir dir;
    ModelRig rig;
    CSceneFrame* root = rig.triangle(nullptr);
    root->geometries[0]->normals = {{0.6f, 0.8f, 0}, {0, 1, 0}, {0, 0, 1}};
    RModelFile out(&rig.e());
    ASSERT_TRUE(save(out, dir / "m.vqo", root));
    ModelRig other;
    RModelFile in(&other.e());
    in.mirror = 1;
    CSceneFrame* back = other.e().createFrame();
    ASSERT_EQ(load(in, dir / "m.vqo", back), back);
    const RGeometry& g = *back->geometries[0];
    // Saved (0,0,0) (1,0,0) (0,0,1); normals first (0.6,0.8,0); uvs (0,0) (1,0) (0,1).
    EXPECT_EQ(g.positions[0].z, 1.0f);
    EXPECT_EQ(g.positions[1].x, -1.0f);
    EXPECT_EQ(g.normals[2].x, -0.6f);
    EXPECT_EQ(g.normals[2].y, 0.8f);
    EXPECT_EQ(g.uv[0].v, 1.0f);
    EXPECT_EQ(g.uv[1].u, -1.0f);
}

TEST(ModelFile, DamagedFilesLoadUpToTheDamageAndSaySo) {
    TempDir dir;
    ModelRig rig;
    CSceneFrame* root = rig.triangle(nullptr);
    CSceneFrame* child = rig.e().createFrame();
    child->name = "child";
    root->addChild(child);
    RModelFile out(&rig.e());
    ASSERT_TRUE(save(out, dir / "good.vqo", root));
    const std::vector<uint8_t> good = fileBytes(dir / "good.vqo");

    // Every truncation loads without reading past the end, and says so.
    ModelRig cuts;
    std::vector<int> problems;
    testing::internal::CaptureStdout();
    for (size_t n = 0; n <= good.size(); ++n) {
        writeFile(dir / "cut.vqo", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
        RModelFile in(&cuts.e());
        CSceneFrame* back = cuts.e().createFrame();
        problems.push_back(in.load((dir / "cut.vqo").string(), back) == back ? in.problemCount : -1);
    }
    testing::internal::GetCapturedStdout();
    for (size_t n = 0; n <= good.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_NE(problems[n], -1);
        EXPECT_EQ(problems[n] > 0, n < good.size());
    }

    // Indices beyond the lists read so far are reported and skipped.
    Bytes forged;
    forged.raw("zt666").i(2).i(20).i(0).i(25).i(2);
    forged.i(23).str("root").f({0, 0, 0, 0, 0, 1, 0, 1, 0}).i(-1).i(0);
    forged.i(23).str("lost").f({1, 2, 3, 0, 0, 1, 0, 1, 0}).i(5).i(1);
    forged.i(24).str("mesh").i(3).f({0, 0, 0, 1, 0, 0, 0, 1, 0}).i(0).i(0).i(7);
    forged.write(dir / "forged.vqo");
    ModelRig other;
    RModelFile in(&other.e());
    CSceneFrame* back = other.e().createFrame();
    std::string output;
    ASSERT_EQ(load(in, dir / "forged.vqo", back, &output), back);
    ASSERT_EQ(back->children.size(), 1u);
    EXPECT_EQ(back->children[0]->name, "lost");
    ASSERT_EQ(back->children[0]->geometries.size(), 1u);
    EXPECT_NE(back->children[0]->geometries[0]->material, nullptr);
    EXPECT_NE(output.find("parent 5 is outside the 1 frames"), std::string::npos) << output;
    EXPECT_NE(output.find("material 7 is outside the 0 materials"), std::string::npos) << output;

    // Counts that the file cannot hold allocate nothing.
    Bytes huge;
    huge.raw("zt666").i(2).i(20).i(0).i(25).i(1).i(23).str("r").f({0, 0, 0, 0, 0, 1, 0, 1, 0}).i(-1).i(1);
    huge.i(24).str("m").i(0x7FFFFFFF).f({0, 0, 0, 0, 0, 0, 0, 0});
    huge.write(dir / "huge.vqo");
    RModelFile again(&other.e());
    CSceneFrame* target = other.e().createFrame();
    ASSERT_EQ(load(again, dir / "huge.vqo", target, &output), target);
    EXPECT_NE(output.find("corner count is wrong"), std::string::npos) << output;

    EXPECT_EQ(load(again, dir / "absent.vqo", other.e().createFrame()), nullptr);

    // Loaded as a cache the file must be whole: every cut and a trailing byte
    // are refused, silently, before a frame, material or texture is made, so
    // a cut inside a texture name never reaches the engine's fatal lookup.
    writeTga(dir / "paint.tga");
    testing::internal::CaptureStdout();
    root->geometries[0]->material->setTexture(rig.e().getTexture((dir / "paint.tga").string()));
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(save(out, dir / "whole.vqo", root));
    EXPECT_FALSE(fs::exists(dir / "whole.vqo.part"));  // written aside, then renamed
    std::vector<uint8_t> whole = fileBytes(dir / "whole.vqo");
    whole.push_back(0);
    ModelRig cache;
    REngine& e = cache.e();
    CSceneFrame* into = e.createFrame();
    for (size_t n = 0; n <= whole.size(); ++n) {
        SCOPED_TRACE(n);
        writeFile(dir / "cache.vqo", std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n)));
        RModelFile file(&e);
        file.requireWhole = true;
        const size_t made = e.frames.size() + e.materials.size() + e.textures.size();
        CSceneFrame* loaded = load(file, dir / "cache.vqo", into, &output);
        if (n + 1 == whole.size()) {
            EXPECT_EQ(loaded, into);
            continue;
        }
        EXPECT_EQ(loaded, nullptr);
        EXPECT_EQ(file.problems.size(), 1u);
        EXPECT_EQ(output, "");
        EXPECT_EQ(e.frames.size() + e.materials.size() + e.textures.size(), made);
    }
}
