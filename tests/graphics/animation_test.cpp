// Animation and spline files read into frame tracks and splines, and the
// player stepping through them.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "graphics/animation_key.h"
#include "graphics/animation_player.h"
#include "graphics/animation_reader.h"
#include "graphics/scene_frame.h"
#include "graphics/spline.h"
#include "graphics_rig.h"
#include "support/temp_dir.h"

namespace {

// A door turned and moved by sampled keys, a node the scene lacks, and keys
// of a kind not read.
const std::string kAnimation = fileText(SOLVI_TEST_DATA_DIR "/door_animation.ase");

struct Scene {
    GraphicsRig rig;
    CSceneFrame* root = rig.e().createFrame();
    CSceneFrame* door = rig.e().createFrame();
    CSceneFrame* hood = rig.e().createFrame();
    Scene() {
        door->name = "DOOR";
        hood->name = "HOOD";
        root->addChild(door);
        root->addChild(hood);
    }
};

}  // namespace

TEST(AnimationReaderTest, ConsecutiveKeysBecomeSegmentsOfTheirFrame) {
    Scene s;
    RAnimationReader reader;
    testing::internal::CaptureStdout();
    reader.read(kAnimation, "door.ase", s.root);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("FILENAME: door.ase\nFRAME: DOOR\nRAnimationReader : line 10"), std::string::npos) << out;
    EXPECT_NE(out.find("FRAME: NOBODY\n"), std::string::npos);
    EXPECT_NE(out.find("*** WARNING CONTROL_TCB_ROT_KEY NOT SUPPORTED ***\n"), std::string::npos);
    EXPECT_EQ(out.find("ignored"), std::string::npos);
    EXPECT_EQ(reader.problems.size(), 2u);  // the short key and the unknown node

    // Three good rotation keys: two segments; two position keys: one.
    ASSERT_EQ(s.door->animation.size(), 3u);
    const RAnimationKey& r1 = *s.door->animation[0];
    const RAnimationKey& r2 = *s.door->animation[1];
    const RAnimationKey& p = *s.door->animation[2];
    EXPECT_EQ(r1.isPosition, 0);
    EXPECT_EQ(r1.startTime, 0);
    EXPECT_EQ(r1.endTime, 10);
    EXPECT_EQ(r2.startTime, 10);
    EXPECT_EQ(r2.endTime, 20);
    // File axis z is the engine's y: a quarter turn about the engine's y.
    EXPECT_NEAR(r1.endRotation.y, std::sin(0.7853982f), 1e-6);
    EXPECT_NEAR(r1.endRotation.w, std::cos(0.7853982f), 1e-6);
    EXPECT_EQ(p.isPosition, 1);
    EXPECT_FLOAT_EQ(p.startPosition.y, 3.0f);   // (x, z, -y)
    EXPECT_FLOAT_EQ(p.startPosition.z, -2.0f);
    EXPECT_TRUE(s.hood->animation.empty());     // TCB keys are not read
    EXPECT_EQ(reader.segmentsAdded, 3);
}

TEST(AnimationReaderTest, FilesAreReadOnlyWhenTheyExist) {
    TempDir dir;
    Scene s;
    testing::internal::CaptureStdout();
    s.rig.e().loadAnimation((dir / "absent.ase").string(), s.root);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    const std::string splines = (dir / "track.ase").string();
    std::ofstream(splines) << "*SHAPE_VERTEX_KNOT 0 9 9 9\n*SHAPEOBJECT {\n*NODE_NAME \"left line\"\n"
                              "*SHAPE_LINE 0 {\n*SHAPE_VERTEX_KNOT 0 1.0 2.0 3.0\n*SHAPE_VERTEX_INTERP 1 0 0 0\n"
                              "*SHAPE_VERTEX_KNOT 1 4.0 5.0\n*SHAPE_VERTEX_KNOT 2 4.0 5.0 6.0\n}}\n*SHAPEOBJECT {\n}";
    testing::internal::CaptureStdout();
    s.rig.e().loadSplines(splines);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("\nLoading splines: " + splines + "\n", 0), 0u) << out;
    ASSERT_EQ(s.rig.e().splines.size(), 2u);
    const RSpline& line = *s.rig.e().splines[0];
    EXPECT_EQ(line.name, "left line");
    ASSERT_EQ(line.knots.size(), 2u);  // the short knot and the one before any shape are skipped
    EXPECT_FLOAT_EQ(line.knots[1].x, 4.0f);
    EXPECT_FLOAT_EQ(line.knots[1].y, 6.0f);
    EXPECT_FLOAT_EQ(line.knots[1].z, -5.0f);
}

TEST(AnimationPlayerTest, PlaysOnceOrLoopsOverItsDuration) {
    Scene s;
    RAnimationReader reader;
    reader.quiet = true;
    reader.read(kAnimation, "door.ase", s.root);
    RAnimationPlayer* player = s.rig.e().createAnimationPlayer();
    player->addFrameTracks(s.root);
    EXPECT_EQ(player->segments.size(), 3u);
    EXPECT_EQ(player->firstFrame, 0);
    EXPECT_EQ(player->lastFrame, 20);

    s.rig.e().timeScale = 1.0f;
    player->setDuration(330);  // ten updates of 33 ms
    player->play(false);
    for (int i = 0; i < 5; ++i) player->update();
    EXPECT_FLOAT_EQ(player->currentFrame, 10.0f);
    // Halfway: a quarter turn about y (side axis now along -z) and the
    // position halfway from (1, 3, -2) to (3, 5, -4).
    EXPECT_NEAR(s.door->matrix.at(0, 2), -1.0f, 1e-5);
    EXPECT_NEAR(s.door->getPosition().x, 2.0f, 1e-5);
    EXPECT_NEAR(s.door->getPosition().z, -3.0f, 1e-5);
    for (int i = 0; i < 6; ++i) player->update();
    EXPECT_FALSE(player->playing);
    EXPECT_NEAR(s.door->matrix.at(0, 0), -1.0f, 1e-5);  // the end pose stays: a half turn
    EXPECT_NEAR(s.door->getPosition().x, 3.0f, 1e-5);

    player->play(true);
    for (int i = 0; i < 11; ++i) player->update();
    EXPECT_TRUE(player->playing);
    EXPECT_EQ(player->timeMs, 0.0f);
    player->update();
    player->freeze();
    const float frozenAt = player->currentFrame;
    player->update();
    EXPECT_EQ(player->currentFrame, frozenAt);
}
