// The car's body and cockpit models: the model's wheel frames carry the
// wheels, the cockpit needles and lamps follow the car, a cockpit frame that
// is missing is reported and skipped, the skin comes from cfg.ini or from the
// host, and the binary model cache is written once and then used.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "chassis/suspension.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"
#include "support/car_on_strip.h"

namespace fs = std::filesystem;

namespace {

class SolviModel : public CarOnStripFixture {
protected:
    // A new car in place of the fixture's, built with the run directory's
    // files as they are now; returns what init printed.
    std::string rebuild(const std::string& skin = "") {
        testing::internal::CaptureStdout();
        car.reset();
        car = std::make_unique<CSolvi>();
        if (!skin.empty()) car->setSkinName(skin);
        car->init(&engine, &world, &track, &host);
        car->reset(track.centreAt(40.0f), track.tangentAt(40.0f));
        return testing::internal::GetCapturedStdout();
    }
    bool hasTexture(const std::string& name) const {
        return std::any_of(engine.textures.begin(), engine.textures.end(),
                           [&](const RTexture* t) { return t->name == name; });
    }
    static void replaceInFile(const std::string& file, const std::string& from, const std::string& to) {
        std::string s = fileText(file);
        for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
            s.replace(at, from.size(), to);
        writeFile(file, s);
    }
    static float needleAngle(const Matrix4& now, const Matrix4& rest) {
        return std::atan2(dot(now.xAxis(), rest.yAxis()), dot(now.xAxis(), rest.xAxis())) * 57.29578f;
    }
    static void expectColour(const CSceneFrame* lamp, float r, float g, float b) {
        ASSERT_NE(lamp, nullptr);
        const RColour& c = lamp->geometries.front()->material->diffuse;
        EXPECT_NEAR(c.r, r, 1e-6f);
        EXPECT_NEAR(c.g, g, 1e-6f);
        EXPECT_NEAR(c.b, b, 1e-6f);
    }
};

TEST_F(SolviModel, WheelAndCockpitFramesComeFromTheModels) {
    const char* names[4] = {"TYRE_LF", "TYRE_RF", "TYRE_LR", "TYRE_RR"};
    ASSERT_NE(car->bodyModel, nullptr);
    EXPECT_NEAR(car->bodyModel->getPosition().z, 0.0f, 1e-6f);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(car->wheelFrames[i]->name, names[i]);
        EXPECT_NE(car->wheelFrames[i], &car->ownWheelFrames[i]);
        EXPECT_EQ(car->wheelFrames[i]->parent, car->suspension[i]);
        EXPECT_EQ(car->wheels[i].parent, car->wheelFrames[i]);
        EXPECT_EQ(car->bodyModel->findFrame(names[i]), nullptr);  // out of the body tree
    }
    // Front wheels ahead of the body origin by the front axle distance, rear
    // ones behind it by the rear one, left ones 0.8 m to the left (+x).
    const Matrix4 pose = car->matrix;
    auto at = [&](int i, const Vector3& axis) {
        return dot(car->wheelFrames[i]->getWorldPosition() - pose.getPosition(), axis);
    };
    EXPECT_NEAR(at(0, pose.zAxis()), CSolvi::kFrontAxle, 0.05f);
    EXPECT_NEAR(at(3, pose.zAxis()), -CSolvi::kRearAxle, 0.05f);
    EXPECT_NEAR(at(0, pose.xAxis()), 0.8f, 0.05f);
    EXPECT_NEAR(at(3, pose.xAxis()), -0.8f, 0.05f);

    ASSERT_NE(car->cockpitSteeringWheel, nullptr);
    EXPECT_TRUE(hasTexture("cars/solvi/texture/shadow.tga"));

    car->showSteeringWheel(0);
    EXPECT_FALSE(car->cockpitSteeringWheel->visible);
    car->showSteeringWheel(1);
    EXPECT_TRUE(car->cockpitSteeringWheel->visible);
}

TEST_F(SolviModel, NeedlesTurnFromTheirRestPoseAndLampsLightWhileTheirAidActs) {
    drive(0.5f);
    for (int k = 0; k < 2; ++k) {  // repeated updates do not accumulate
        car->carEngine.rpm = 3000;
        car->speed = 25.0f;
        car->updateInstruments(kDt);
    }
    EXPECT_NEAR(needleAngle(car->rpmNeedle->matrix, car->rpmNeedleRest), 3000 * 0.001f * -19.0f, 0.01f);
    EXPECT_NEAR(needleAngle(car->speedNeedle->matrix, car->speedNeedleRest), 25.0f * 3.6f * -0.58f, 0.01f);
    EXPECT_NEAR((car->rpmNeedle->getPosition() - car->rpmNeedleRest.getPosition()).length(), 0.0f, 1e-6f);
    car->abs.acting = true;
    car->tractionControl.acting = false;
    car->updateInstruments(kDt);
    expectColour(car->absLamp, 0.4f, 1.0f, 0.4f);
    expectColour(car->tcLamp, 0.0f, 0.1f, 0.0f);
    car->abs.acting = false;
    car->tractionControl.acting = true;
    car->updateInstruments(kDt);
    expectColour(car->absLamp, 0.0f, 0.1f, 0.0f);
    expectColour(car->tcLamp, 1.0f, 0.4f, 0.4f);
}

TEST_F(SolviModel, MissingCockpitFrameIsReportedAndSkipped) {
    fs::remove("cars/solvi/solvi_int.vqo");
    replaceInFile("cars/solvi/solvi_int.ase", "\"INT_TC\"", "\"INT_XX\"");
    const std::string out = rebuild();
    EXPECT_NE(out.find("CSolvi::loadInternalFrame() failed to found INT_TC\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("failed to found INT_ABS"), std::string::npos);
    EXPECT_EQ(car->tcLamp, nullptr);
    ASSERT_NE(car->absLamp, nullptr);
    car->tractionControl.acting = true;
    drive(1.0f);
    EXPECT_TRUE(std::isfinite(car->getPosition().y));
    EXPECT_LT(car->speed, 0.5f);
}

TEST_F(SolviModel, SkinComesFromCfgIniOrFromTheHost) {
    EXPECT_EQ(car->skinName, "red");
    EXPECT_TRUE(hasTexture("cars/solvi/skins/red/body.tga"));
    EXPECT_FALSE(hasTexture("cars/solvi/skins/blue/body.tga"));

    rebuild("blue");
    EXPECT_EQ(car->skinName, "blue");
    EXPECT_TRUE(hasTexture("cars/solvi/skins/blue/body.tga"));

    std::ofstream("cars/solvi/cfg.ini", std::ios::binary) << "[CURRENT]\r\nSKIN=blue\r\n";
    rebuild();
    EXPECT_EQ(car->skinName, "blue");
}

TEST_F(SolviModel, ModelCacheIsWrittenOnFirstLoadAndUsedAfterwards) {
    ASSERT_TRUE(fs::is_regular_file("cars/solvi/solvi.vqo"));
    ASSERT_TRUE(fs::is_regular_file("cars/solvi/solvi_int.vqo"));
    fs::remove("cars/solvi/solvi.ase");
    fs::remove("cars/solvi/solvi_int.ase");
    const std::string out = rebuild();
    EXPECT_EQ(out.find("Loading ASE"), std::string::npos) << out;
    EXPECT_EQ(out.find("failed to found"), std::string::npos) << out;
    ASSERT_NE(car->bodyModel, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_NE(car->wheelFrames[i], &car->ownWheelFrames[i]);
    EXPECT_NE(car->tcLamp, nullptr);
    EXPECT_TRUE(hasTexture("cars/solvi/skins/red/body.tga"));
    drive(1.0f);
    EXPECT_TRUE(std::isfinite(car->getPosition().y));
    EXPECT_LT(car->speed, 0.5f);
}

}  // namespace
