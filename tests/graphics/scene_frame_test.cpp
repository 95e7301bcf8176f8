#include "graphics/scene_frame.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

void expectNear(const Vector3& actual, const Vector3& expected, float tol = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tol);
    EXPECT_NEAR(actual.y, expected.y, tol);
    EXPECT_NEAR(actual.z, expected.z, tol);
}

// Owns a handful of frames for one test; the engine does this in the system.
struct Tree {
    std::vector<std::unique_ptr<CSceneFrame>> frames;
    CSceneFrame* make(const std::string& name, CSceneFrame* parent = nullptr) {
        frames.push_back(std::make_unique<CSceneFrame>());
        CSceneFrame* f = frames.back().get();
        f->name = name;
        if (parent != nullptr) parent->addChild(f);
        return f;
    }
};

// Records each render call it receives, then traverses as usual.
struct RecordingFrame : CSceneFrame {
    std::vector<float>* log;
    explicit RecordingFrame(std::vector<float>* l) : log(l) {}
    void render(bool applyTransform, float maxDistance, float lodDistance) override {
        log->push_back(maxDistance);
        CSceneFrame::render(applyTransform, maxDistance, lodDistance);
    }
};

}  // namespace

TEST(SceneFrameTest, HierarchyLinksRootAndDepthFirstSearch) {
    Tree t;
    CSceneFrame* root = t.make("root");
    CSceneFrame* a = t.make("a", root);
    CSceneFrame* b = t.make("target", root);
    CSceneFrame* deep = t.make("target", t.make("a1", a));
    EXPECT_EQ(a->parent, root);
    EXPECT_EQ(deep->getRoot(), root);
    EXPECT_EQ(root->getRoot(), root);
    // Depth first: the grandchild under "a" comes before the sibling "target".
    EXPECT_EQ(root->findFrame("target"), deep);
    EXPECT_EQ(root->findFrame("root"), root);
    EXPECT_EQ(b->findFrame("a1"), nullptr);
    EXPECT_EQ(root->findFrame("targe"), nullptr);
}

TEST(SceneFrameTest, RemoveChildTakesFirstMatchKeepingOrder) {
    Tree t;
    CSceneFrame* root = t.make("root");
    CSceneFrame* a = t.make("a", root);
    CSceneFrame* w1 = t.make("wheel", root);
    CSceneFrame* w2 = t.make("wheel", root);
    CSceneFrame* c = t.make("c", root);
    w1->keepSeparate = true;
    EXPECT_EQ(root->removeChild("wheel"), w1);
    EXPECT_FALSE(w1->keepSeparate);
    EXPECT_EQ(root->children, (std::vector<CSceneFrame*>{a, w2, c}));
    EXPECT_EQ(root->removeChild("none"), nullptr);
    EXPECT_EQ(root->children.size(), 3u);
}

TEST(SceneFrameTest, WorldMatrixOfThreeLevels) {
    Tree t;
    CSceneFrame* root = t.make("root");
    CSceneFrame* mid = t.make("mid", root);
    CSceneFrame* leaf = t.make("leaf", mid);
    root->setPosition(10, 0, 0);
    root->rotateY(90);  // root's forward now points along world +X
    mid->setPosition(0, 1, 2);
    mid->rotateX(-90);  // mid's forward now points along root's up
    leaf->setPosition(0, 0, 3);

    // leaf origin: 3 along mid's forward = root's up -> (0,4,2) in root,
    // then root turns +Z onto +X and shifts by 10.
    expectNear(leaf->getWorldPosition(), {12, 4, 0}, 1e-5f);
    expectNear(leaf->localToWorld({0, 0, 1}), {12, 5, 0}, 1e-5f);
    const Matrix4 w = leaf->getWorldMatrix();
    const Matrix4 byHand = leaf->matrix * mid->matrix * root->matrix;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(w.m[i], byHand.m[i], 1e-6f);
    // Summed position ignores every rotation.
    expectNear(leaf->getSummedPosition(), {10, 1, 5});

    for (const Vector3& p : {Vector3{1, 2, 3}, Vector3{-4, 0.5f, 7}}) {
        expectNear(leaf->localToWorld(leaf->worldToLocal(p)), p, 1e-4f);
        expectNear(leaf->worldToLocal(leaf->localToWorld(p)), p, 1e-4f);
    }
}

TEST(SceneFrameTest, RotationsTurnAboutTheFramesOwnAxes) {
    CSceneFrame f;
    f.setPosition(5, 1, -2);
    f.rotateX(90);  // own up now lies along world +Z
    const Vector3 up = f.getUp();
    f.rotateY(90);  // about own up, not about world Y
    expectNear(f.getUp(), up);
    expectNear(f.getPosition(), {5, 1, -2});
    const Vector3 side = f.getSide();
    f.rotateX(33);
    expectNear(f.getSide(), side);
    const Vector3 forward = f.getForward();
    f.rotateZ(-71);
    expectNear(f.getForward(), forward);

    CSceneFrame g, h;
    g.rotateY(90);
    expectNear(g.getForward(), {1, 0, 0});
    h.rotateYRadians(90 * 0.017453292f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(g.matrix.m[i], h.matrix.m[i]);
}

TEST(SceneFrameTest, SetOrientationBuildsOrthonormalAxes) {
    CSceneFrame f;
    f.setPosition(1, 2, 3);
    f.matrix.at(0, 3) = 9;  // stray column-3 values must be cleared
    const Vector3 forward{0.6f, 0.0f, 0.8f};
    f.setOrientation(forward, Vector3{0.1f, 2.0f, 0.3f});
    const Vector3 s = f.getSide(), u = f.getUp(), fw = f.getForward();
    EXPECT_NEAR(s.length(), 1.0f, 1e-6f);
    EXPECT_NEAR(u.length(), 1.0f, 1e-6f);
    EXPECT_NEAR(dot(s, u), 0.0f, 1e-6f);
    EXPECT_NEAR(dot(s, fw), 0.0f, 1e-6f);
    EXPECT_NEAR(dot(u, fw), 0.0f, 1e-6f);
    EXPECT_GT(u.y, 0.9f);  // still roughly the up that was asked for
    expectNear(fw, forward, 0.0f);
    expectNear(f.getPosition(), {1, 2, 3});
    for (int r = 0; r < 3; ++r) EXPECT_EQ(f.matrix.at(r, 3), 0.0f);

    // Forward is stored as given, not normalised.
    f.setOrientation(Vector3{0, 0, 2}, Vector3{0, 1, 0});
    expectNear(f.getForward(), {0, 0, 2});
    expectNear(f.getSide(), {1, 0, 0});
}

TEST(SceneFrameTest, RenderVisitsVisibleSubtreeOnly) {
    std::vector<float> log;
    RecordingFrame root(&log), shown(&log), hidden(&log), underHidden(&log);
    root.addChild(&shown);
    root.addChild(&hidden);
    hidden.addChild(&underHidden);
    hidden.setVisible(false);
    root.render(true, 50.0f, 1.0f);
    // root itself, then each child with the distance cut lifted.
    EXPECT_EQ(log, (std::vector<float>{50.0f, -1.0f, -1.0f}));

    log.clear();
    root.setVisible(false);
    root.render(true, -1.0f, 1.0f);
    EXPECT_EQ(log, (std::vector<float>{-1.0f}));
}
