// RCamera: a view point with a perspective lens. apply() hands the device a
// left-handed perspective projection and look-at view, optionally aimed at a
// target point or carried by a scene frame, and works out the two side
// planes of its view that isSphereVisible tests against. Top, bottom and
// near planes are not tested: a coarse, cheap cut for whole objects.
#pragma once

#include <string>

#include "chassis/vector3.h"

class CSceneFrame;
class REngine;

class RCamera {
public:
    explicit RCamera(REngine* owner = nullptr);

    // Points the camera at target from now on (tracking).
    void lookAt(const Vector3& point) {
        target = point;
        tracking = true;
    }
    // Follows a frame: before each apply the camera takes the frame's world
    // position, forward and up axes. Null stops following.
    void follow(CSceneFrame* f) { frame = f; }

    // Updates from the followed frame, then from the target when tracking
    // (up becomes +Y), sets projection and view on the device, makes itself
    // the engine's current camera and its view yaw the reflection yaw, and
    // recomputes the side planes.
    void apply();

    // False when the sphere lies wholly outside either side plane; otherwise
    // true when its centre is within radius + farPlane of the camera.
    bool isSphereVisible(const Vector3& center, float radius) const;

    // The side-plane normals for a view along direction with up: n1 is
    // direction × up turned about up by fov·0.8333333 degrees, n2 the
    // opposite vector turned by minus that; both point into the view.
    static void sidePlaneNormals(const Vector3& direction, const Vector3& up, float fovDegrees, Vector3& n1,
                                 Vector3& n2);
    static bool sphereVisible(const Vector3& position, const Vector3& n1, const Vector3& n2, float farPlane,
                              const Vector3& center, float radius);

    Vector3 position{0.0f, 0.0f, 0.0f};   // metres, world
    Vector3 direction{0.0f, 0.0f, 1.0f};  // view direction, unit
    Vector3 up{0.0f, 1.0f, 0.0f};
    bool tracking = false;                // aim at target on apply
    float fov = 30.0f;                    // vertical field of view, degrees
    float farPlane = 100.0f;              // metres
    Vector3 target{0.0f, 0.0f, 0.0f};
    CSceneFrame* frame = nullptr;         // followed frame, not owned
    float nearPlane = 1.0f;               // metres
    float aspect = 1.3333334f;            // width / height
    std::string name;
    REngine* engine = nullptr;
    Vector3 sideNormal1{0.0f, 0.0f, 0.0f};  // from the last apply (or construction)
    Vector3 sideNormal2{0.0f, 0.0f, 0.0f};
};
