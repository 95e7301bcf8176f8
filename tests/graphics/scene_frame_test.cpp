#include "graphics/scene_frame.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/animation_key.h"
#include "graphics/material.h"
#include "graphics/texture.h"
#include "graphics_rig.h"

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

namespace {

using Call = RecordingDevice::Call;

// A model as a loader leaves it: root (quads at z 0 and 10) > child (quad at
// z 20) > grandchild (one triangle at z 30), all owned by the engine.
struct Model {
    CSceneFrame *root, *child, *grandchild;
    RGeometry* meshes[4];

    explicit Model(REngine& e) : root(e.createFrame()), child(e.createFrame()), grandchild(e.createFrame()) {
        root->name = "root";
        root->addChild(child);
        child->addChild(grandchild);
        for (int i = 0; i < 4; ++i) {
            meshes[i] = makeQuad(e, Vector3{0, 0, 10.0f * i});
            meshes[i]->name = "m" + std::to_string(i);
        }
        meshes[3]->cornerCount = 3;
        root->addGeometry(meshes[0]);
        root->addGeometry(meshes[1]);
        child->addGeometry(meshes[2]);
        grandchild->addGeometry(meshes[3]);
    }
};

std::string build(CSceneFrame* root) {
    testing::internal::CaptureStdout();
    root->buildBuffers();
    return testing::internal::GetCapturedStdout();
}

std::vector<int> drawnBases(GraphicsRig& rig, CSceneFrame* root, float maxDistance, float lod) {
    rig.device.resetCounts();
    rig.e().beginFrame();
    root->render(true, maxDistance, lod);
    rig.e().endFrame();
    std::vector<int> bases;
    for (const auto& d : rig.device.draws) bases.push_back(d.baseVertex);
    return bases;
}

}  // namespace

TEST(SceneFrameBuffersTest, RootSharesOneBufferPairAcrossTheTree) {
    GraphicsRig rig;
    Model m(rig.e());
    EXPECT_EQ(build(m.root), "created vb for 15 vertex\ncreated index buffer for 21 vertex\n");
    EXPECT_EQ(build(m.root), "");  // once only
    EXPECT_FALSE(m.child->ownsBuffers);
    EXPECT_EQ(m.grandchild->vertexBuffer, m.root->vertexBuffer);
    EXPECT_EQ(rig.device.contents(m.root->vertexBuffer)->size(), 15u * 32u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.meshes[i]->baseVertex, 4 * i) << i;
        EXPECT_EQ(m.meshes[i]->startIndex, 6 * i) << i;
    }
    // Indices stay local to each mesh; the base vertex places them.
    EXPECT_EQ(indicesIn(rig.device, m.root->indexBuffer),
              (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 0, 1, 2, 2, 1, 3, 0, 1, 2, 2, 1, 3, 0, 1, 2}));
    RVertex32 v;
    std::memcpy(&v, rig.device.contents(m.root->vertexBuffer)->data() + 8 * 32, sizeof v);
    EXPECT_EQ(v.position.z, 20.0f);
    rig.close();
    EXPECT_EQ(rig.device.liveBufferCount(), 0);
}

TEST(SceneFrameBuffersTest, LightmapAnywhereMakesTheWholeTreeTwoUv) {
    GraphicsRig rig;
    Model m(rig.e());
    m.meshes[3]->allocLightmapUv(3);
    build(m.root);
    EXPECT_TRUE(m.child->needsTwoUv);
    EXPECT_EQ(m.meshes[0]->vertices40.size(), 4u);
    EXPECT_EQ(rig.device.contents(m.root->vertexBuffer)->size(), 15u * 40u);
    drawnBases(rig, m.root, -1.0f, 0.0f);
    ASSERT_EQ(rig.device.draws.size(), 4u);
    for (const auto& d : rig.device.draws) {
        EXPECT_EQ(d.stride, 40u);
        EXPECT_EQ(d.format, RVertexFormat::TwoUv);
        EXPECT_TRUE(d.inBounds);
    }
}

TEST(SceneFrameBuffersTest, FailuresAndEmptyFramesAreReported) {
    GraphicsRig rig;
    CSceneFrame* empty = rig.e().createFrame();
    empty->name = "nothing";
    EXPECT_EQ(build(empty), "frame nothing has 0 geometries\n");
    Model m(rig.e()), n(rig.e());
    rig.device.failVertexBufferCreation = true;
    EXPECT_EQ(build(m.root), "error creating frame vertex buffer in root\ncreated index buffer for 21 vertex\n");
    rig.device.failVertexBufferCreation = false;
    // No mesh made buffers of its own instead, but all have their bounds.
    EXPECT_EQ(rig.device.calls(Call::CreateVertexBuffer), 1);
    EXPECT_FALSE(m.meshes[2]->uploaded);
    EXPECT_FLOAT_EQ(m.meshes[2]->boundCenter.z, 20.5f);
    rig.device.failIndexBufferCreation = true;
    EXPECT_EQ(build(n.root), "created vb for 15 vertex\nerror creating frame index buffer in root\n");
}

TEST(SceneFrameBuffersTest, MeshesSortOpaqueFirstThenAlphaTestedThenBlended) {
    GraphicsRig rig;
    RTexture keyed, plainA, plainB;
    keyed.engine = plainA.engine = plainB.engine = &rig.e();
    keyed.pixelKind = 4;
    auto material = [&](RTexture* t, int mode) {
        RMaterial* mat = rig.e().createMaterial();
        mat->setTexture(t);
        if (mode >= 0) mat->setBlendMode(mode);
        return mat;
    };
    CSceneFrame* root = rig.e().createFrame();
    RMaterial* shared = material(&plainA, -1);
    RMaterial* mats[] = {material(&keyed, -1), material(&plainA, 0), shared, material(&plainB, -1),
                         material(nullptr, 2), shared};
    std::vector<RGeometry*> g;
    for (RMaterial* mat : mats) {
        g.push_back(makeQuad(rig.e()));
        g.back()->setMaterial(mat);
        root->addGeometry(g.back());
    }
    build(root);
    // Opaque (plainA twice, as listed, then plainB), alpha-tested, mode 2, mode 0.
    EXPECT_EQ(root->geometries, (std::vector<RGeometry*>{g[2], g[5], g[3], g[0], g[4], g[1]}));
    drawnBases(rig, root, -1.0f, 0.0f);
    ASSERT_EQ(rig.device.draws.size(), 6u);
    EXPECT_EQ(rig.device.draws[3].alphaTest, 1u);  // the 32-bit texture
    EXPECT_EQ(rig.device.draws[3].alphaBlend, 0u);
    EXPECT_EQ(rig.device.draws[4].alphaBlend, 1u);
    EXPECT_EQ(rig.e().materialSwitchCounter, 5);  // g[2] and g[5] share one
}

TEST(SceneFrameRenderTest, DrawsEveryMeshUnderTheStackedTransforms) {
    GraphicsRig rig;
    Model m(rig.e());
    build(m.root);
    m.root->setPosition(100, 0, 0);
    m.child->setPosition(0, 5, 0);
    m.child->rotateY(90);
    EXPECT_EQ(drawnBases(rig, m.root, -1.0f, 0.0f), (std::vector<int>{0, 4, 8, 12}));
    const auto& draws = rig.device.draws;
    EXPECT_EQ(draws[3].startIndex, 18u);
    EXPECT_EQ(draws[3].primitiveCount, 1u);
    EXPECT_EQ(draws[0].world.at(3, 0), 100.0f);
    const Matrix4 childWorld = m.child->getWorldMatrix();
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(draws[2].world.m[k], childWorld.m[k], 1e-5f);
    // The stack and the world transform are back where they were; the
    // shared buffers were bound once, by the root.
    EXPECT_EQ(rig.e().matrixStack.depth(), 1);
    EXPECT_EQ(rig.device.transform(RTransform::World).at(3, 0), 0.0f);
    EXPECT_EQ(rig.device.calls(Call::SetStreamSource), 1);
    EXPECT_EQ(rig.e().triangleCounter, 7);
    EXPECT_EQ(rig.device.misuseCount, 0);
    // A distance cut is the root's own: 100 m away it is cut, its children not.
    EXPECT_EQ(drawnBases(rig, m.root, 50.0f, 0.0f), (std::vector<int>{8, 12}));
    m.child->setVisible(false);
    EXPECT_EQ(drawnBases(rig, m.root, -1.0f, 0.0f), (std::vector<int>{0, 4}));
    m.root->setVisible(false);
    EXPECT_TRUE(drawnBases(rig, m.root, -1.0f, 0.0f).empty());
}

TEST(SceneFrameRenderTest, LodDistanceAndFrustumChooseTheMeshes) {
    GraphicsRig rig;  // built-in camera: origin, looking along +Z, far 100
    CSceneFrame* root = rig.e().createFrame();
    RGeometry* ahead = makeQuad(rig.e(), {0, 0, 20});
    RGeometry* behind = makeQuad(rig.e(), {0, 0, -20});
    RGeometry* farAway = makeQuad(rig.e(), {0, 0, 60});
    for (RGeometry* g : {ahead, behind, farAway}) root->addGeometry(g);
    build(root);
    EXPECT_EQ(drawnBases(rig, root, -1.0f, 0.0f), (std::vector<int>{0, 4, 8}));
    behind->lodNear = 10.0f;
    farAway->lodFar = 5.0f;
    EXPECT_EQ(drawnBases(rig, root, -1.0f, 5.0f), (std::vector<int>{0}));
    EXPECT_EQ(drawnBases(rig, root, -1.0f, 10.0f), (std::vector<int>{0, 4}));
    // A distance cut ignores lod: centre distance minus radius.
    EXPECT_EQ(drawnBases(rig, root, 20.0f, 0.0f), (std::vector<int>{0, 4}));
    EXPECT_EQ(drawnBases(rig, root, 19.0f, 0.0f), (std::vector<int>{4}));
    root->setCullMode(1);
    EXPECT_EQ(drawnBases(rig, root, -1.0f, 0.0f), (std::vector<int>{0, 8}));
    EXPECT_EQ(drawnBases(rig, root, 30.0f, 0.0f), (std::vector<int>{0}));
    root->setPosition(0, 0, -50);  // the bounds move with the frame
    EXPECT_EQ(drawnBases(rig, root, -1.0f, 0.0f), (std::vector<int>{8}));
}

TEST(SceneFrameTest, FlattenMovesMeshesIntoTheRootsCoordinates) {
    GraphicsRig rig;
    Model m(rig.e());
    CSceneFrame* kept = rig.e().createFrame();
    kept->keepSeparate = true;
    m.root->addChild(kept);
    m.meshes[3]->normals[0] = Vector3{0, 0, 1};
    m.child->setPosition(0, 5, 0);
    m.grandchild->setPosition(1, 0, 0);
    m.grandchild->rotateY(90);
    m.root->flatten();
    EXPECT_EQ(m.root->children, (std::vector<CSceneFrame*>{kept}));
    EXPECT_EQ(m.root->geometries, (std::vector<RGeometry*>{m.meshes[0], m.meshes[1], m.meshes[2], m.meshes[3]}));
    EXPECT_TRUE(m.child->geometries.empty());
    EXPECT_EQ(m.meshes[2]->positions[0].y, 5.0f);
    const Vector3 p = m.meshes[3]->positions[1];  // (1, 0, 30): turned, then both offsets
    EXPECT_NEAR(p.x, 31.0f, 1e-4f);
    EXPECT_NEAR(p.y, 5.0f, 1e-5f);
    EXPECT_NEAR(p.z, -1.0f, 1e-4f);
    EXPECT_NEAR(m.meshes[3]->normals[0].x, 1.0f, 1e-6f);  // turned, not moved
}

TEST(SceneFrameTest, MeshListsMergingAndRadius) {
    GraphicsRig rig;
    Model m(rig.e());
    EXPECT_EQ(m.root->findGeometry("m2"), nullptr);  // this frame only
    m.root->addGeometry(m.meshes[0]);
    m.root->removeGeometry(m.meshes[0]);
    EXPECT_EQ(m.root->geometries, (std::vector<RGeometry*>{m.meshes[1], m.meshes[0]}));
    m.root->computeRadius();
    EXPECT_FLOAT_EQ(m.root->radius, (Vector3{1, 0, 11}).length());
    EXPECT_FLOAT_EQ(m.grandchild->radius, 31.0f);
    m.meshes[1]->positions[2] = Vector3{0, 0, 0.5f};
    m.root->computeRadius();  // only grows
    EXPECT_FLOAT_EQ(m.root->radius, (Vector3{1, 0, 11}).length());

    CSceneFrame* target = rig.e().createFrame();
    m.child->mergeInto(target);
    EXPECT_EQ(target->geometries, (std::vector<RGeometry*>{m.meshes[2]}));
    EXPECT_EQ(m.grandchild->parent, target);
    EXPECT_TRUE(m.child->children.empty());
    m.root->animation.push_back(new RAnimationKey());  // freed with the frame (ASan)
}
