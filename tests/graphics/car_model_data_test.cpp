// The bundled car models as the car loads them: the wheel frames where the
// suspension puts the wheels, the needles in their dials' planes, and every
// texture the models name present in the folders it is looked up in (the
// car's own tests bind the cockpit frames and the skins).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "graphics/ase_loader.h"
#include "graphics/geometry.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"
#include "graphics_rig.h"

namespace {

const std::string kCar = std::string(SOLVI_DATA_DIR) + "/cars/solvi/";

// The body's paint comes from the skin folder, everything else from the
// shared texture folder; names found in neither are recorded as missing.
class SkinThenTextureResolver : public RTextureResolver {
public:
    explicit SkinThenTextureResolver(const std::string& skin) : skinDir(kCar + "skins/" + skin + "/") {}
    RTexture* resolve(const std::string& name) override {
        if (std::filesystem::exists(skinDir + name)) return nullptr;
        return shared.resolve(kCar + "texture/" + name);
    }
    std::string skinDir;
    RecordingTextureResolver shared;
};

struct LoadedModel {
    GraphicsRig rig{false};
    RAseLoader loader{rig.engine.get()};
    SkinThenTextureResolver resolver{"red"};

    bool load(const std::string& file) {
        loader.setScale(0.1f);
        loader.setTexturePath("");
        loader.setTextureResolver(&resolver);
        testing::internal::CaptureStdout();
        const bool ok = loader.read(kCar + file);
        testing::internal::GetCapturedStdout();
        return ok;
    }
    int triangles() const {
        int n = 0;
        for (const RGeometry* g : loader.geometries) n += g->cornerCount / 3;
        return n;
    }
};

TEST(CarModelData, BodyHasItsWheelFramesAtTheSuspensionsWheelCentres) {
    LoadedModel m;
    ASSERT_TRUE(m.load("solvi.ase"));
    EXPECT_EQ(m.loader.problemCount, 0);
    EXPECT_TRUE(m.resolver.shared.missing.empty()) << m.resolver.shared.missing.front();
    EXPECT_FALSE(m.resolver.shared.requested.empty());
    EXPECT_GE(m.triangles(), 1500);
    EXPECT_LE(m.triangles(), 8000);

    // Car axes: x to the left, y up, z forward.
    const struct {
        const char* name;
        float x, y, z;
    } wheels[] = {{"TYRE_LF", 0.80f, 0.06f, 1.137f},
                  {"TYRE_RF", -0.80f, 0.06f, 1.137f},
                  {"TYRE_LR", 0.80f, 0.06f, -1.558f},
                  {"TYRE_RR", -0.80f, 0.06f, -1.558f}};
    for (const auto& w : wheels) {
        SCOPED_TRACE(w.name);
        const CSceneFrame* f = m.loader.findFrame(w.name);
        ASSERT_NE(f, nullptr);
        const Vector3 p = f->getWorldPosition();
        EXPECT_NEAR(p.x, w.x, 0.02f);
        EXPECT_NEAR(p.y, w.y, 0.02f);
        EXPECT_NEAR(p.z, w.z, 0.02f);
        // The wheel's own mesh sits round its frame, not round the body.
        ASSERT_FALSE(f->geometries.empty());
        EXPECT_LT(f->geometries.front()->positions.front().length(), 0.4f);
    }
    // The body's own frame stays at the car's origin.
    const CSceneFrame* body = m.loader.findFrame("BODY");
    ASSERT_NE(body, nullptr);
    EXPECT_NEAR(body->getWorldPosition().z, 0.0f, 1e-4f);
}

TEST(CarModelData, CockpitHasTheInstrumentFrames) {
    LoadedModel m;
    ASSERT_TRUE(m.load("solvi_int.ase"));
    EXPECT_EQ(m.loader.problemCount, 0);
    EXPECT_TRUE(m.resolver.shared.missing.empty()) << m.resolver.shared.missing.front();
    // Needles turn about their frame's z: each needle's corners lie in the
    // dial's plane through the pivot, within the dial.
    for (const char* name : {"INT_RPM", "INT_KMH"}) {
        SCOPED_TRACE(name);
        const CSceneFrame* f = m.loader.findFrame(name);
        ASSERT_TRUE(f && !f->geometries.empty());
        for (const Vector3& c : f->geometries.front()->positions) {
            EXPECT_NEAR(c.z, 0.0f, 1e-3f);
            EXPECT_LT(std::hypot(c.x, c.y), 0.08f);
        }
    }
}

}  // namespace
