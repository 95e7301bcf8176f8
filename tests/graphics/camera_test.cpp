#include "graphics/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "graphics_rig.h"

namespace {

// Clip-space x, y, depth of a point after the device's divide by w.
Vector3 project(const Matrix4& m, const Vector3& p) {
    const float w = p.x * m.at(0, 3) + p.y * m.at(1, 3) + p.z * m.at(2, 3) + m.at(3, 3);
    const Vector3 c = m.transformPoint(p);
    return Vector3{c.x / w, c.y / w, c.z / w};
}

Vector3 atDegrees(float degrees, float distance) {
    const float a = degrees * 0.017453292f;
    return Vector3{distance * std::sin(a), 0.0f, distance * std::cos(a)};
}

}  // namespace

TEST(CameraTest, SidePlanesPassWhatIsAheadAndCutWhatIsBesideOrBehind) {
    RCamera camera;  // at the origin looking along +Z, fov 30, far 100
    EXPECT_TRUE(camera.isSphereVisible({0, 0, 10}, 1));
    EXPECT_TRUE(camera.isSphereVisible({0, 50, 10}, 1));  // no top or bottom plane
    EXPECT_FALSE(camera.isSphereVisible({0, 0, -10}, 1));
    for (float side : {-1.0f, 1.0f}) {
        EXPECT_TRUE(camera.isSphereVisible(atDegrees(side * 20.0f, 30.0f), 0.1f)) << side;
        EXPECT_FALSE(camera.isSphereVisible(atDegrees(side * 30.0f, 30.0f), 0.1f)) << side;
        EXPECT_TRUE(camera.isSphereVisible(atDegrees(side * 30.0f, 30.0f), 3.0f)) << side;  // reaches in
        EXPECT_FALSE(camera.isSphereVisible({side * 50.0f, 0, 10}, 1)) << side;
    }
    EXPECT_FALSE(camera.isSphereVisible({0, 0, 101.5f}, 1));
}

TEST(CameraTest, ApplyAimsAtTheTargetAndGivesTheDeviceItsMatrices) {
    GraphicsRig rig;
    RCamera* camera = rig.e().createCamera();
    camera->position = Vector3{5, 1, 0};
    camera->lookAt({15, 1, 0});  // along +X
    camera->apply();
    EXPECT_EQ(rig.e().currentCamera, camera);
    EXPECT_NEAR(rig.e().envYaw, 1.5707964f, 1e-6f);
    EXPECT_TRUE(rig.e().isSphereVisible({25, 1, 0}, 1));
    EXPECT_FALSE(rig.e().isSphereVisible({5, 1, 20}, 1));

    const Matrix4 vp = rig.device.transform(RTransform::View) * rig.device.transform(RTransform::Projection);
    EXPECT_NEAR(project(vp, {6, 1, 0}).x, 0.0f, 1e-6f);
    EXPECT_NEAR(project(vp, {6, 1, 0}).z, 0.0f, 1e-6f);  // near plane
    EXPECT_NEAR(project(vp, {105, 1, 0}).z, 1.0f, 1e-5f);
    EXPECT_LT(project(vp, {15, 1, 1}).x, 0.0f);  // left-handed: +Z lies to the left
    EXPECT_NEAR(project(vp, {15, 1 + 10 * std::tan(0.2617994f), 0}).y, 1.0f, 1e-5f);  // half the fov up
}
