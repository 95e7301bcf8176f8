// CSceneFrame: a node of the scene tree, a local pose (Matrix4, row vectors)
// under an optional parent, with its meshes, children and name. The car core
// uses the same class for its body and wheels. This file covers the pose and
// the hierarchy; meshes, device buffers, drawing and flattening come later.
#pragma once

#include <string>
#include <vector>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

class RGeometry;
class REngine;
struct RAnimationKey;

class CSceneFrame {
public:
    CSceneFrame() = default;
    virtual ~CSceneFrame();
    CSceneFrame(const CSceneFrame&) = delete;
    CSceneFrame& operator=(const CSceneFrame&) = delete;

    // Draws this frame and its subtree; maxDistance -1.0 means "no distance
    // cut", lodDistance picks the level of detail.
    virtual void render(bool applyTransform, float maxDistance, float lodDistance);
    // render(applyTransform, -1.0, lodDistance) on each child.
    void renderChildren(bool applyTransform, float lodDistance);

    // Appends and sets the child's parent to this frame.
    void addChild(CSceneFrame* child);
    // Removes the first child named so (order of the rest kept) and clears
    // its keepSeparate; the child's parent pointer is left as it was. Returns
    // the removed child, or null when none has that name.
    CSceneFrame* removeChild(const std::string& childName);

    void setPosition(float x, float y, float z) { matrix.setPosition(x, y, z); }
    void setPosition(const Vector3& p) { matrix.setPosition(p); }
    void translate(float dx, float dy, float dz) { matrix.translate(dx, dy, dz); }

    Vector3 getPosition() const { return matrix.getPosition(); }
    Vector3 getUp() const { return matrix.yAxis(); }
    Vector3 getForward() const { return matrix.zAxis(); }
    Vector3 getSide() const { return matrix.xAxis(); }

    // side = normalise(up × forward), up' = normalise(forward × side); rows
    // 0-2 become side, up', forward (forward kept as given, not normalised).
    // The position stays.
    void setOrientation(const Vector3& forward, const Vector3& up);

    // Turn the frame about its own X, Y or Z axis (degrees); rotateYRadians
    // takes radians.
    void rotateX(float degrees);
    void rotateY(float degrees);
    void rotateZ(float degrees);
    void rotateYRadians(float radians);

    // matrix · parent's world matrix · ... up to the root.
    Matrix4 getWorldMatrix() const;
    Vector3 getWorldPosition() const { return getWorldMatrix().getPosition(); }
    // Own position plus the parent's summed position, rotations ignored.
    Vector3 getSummedPosition() const;
    Vector3 worldToLocal(const Vector3& worldPoint) const;
    Vector3 localToWorld(const Vector3& localPoint) const;

    CSceneFrame* getRoot();
    // Depth-first (this frame first, then each child's subtree in order),
    // exact name; null when absent.
    CSceneFrame* findFrame(const std::string& frameName);

    void setVisible(bool on) { visible = on; }
    void setCullMode(int mode) { cullMode = mode; }

    // Fields in this order; the engine, the loaders and the car core read
    // and write them directly.
    std::vector<RGeometry*> geometries;  // meshes of this frame, not owned
    Matrix4 matrix;                      // local pose, identity at construction
    std::vector<CSceneFrame*> children;  // not owned (the engine owns frames)
    std::string name;
    CSceneFrame* parent = nullptr;
    REngine* engine = nullptr;           // set by REngine::createFrame
    // Animation track; the keys belong to the frame. Nothing fills it until
    // the animation files arrive, and that change also frees the keys here.
    std::vector<RAnimationKey*> animation;
    float radius = 0.0f;                 // metres, largest corner distance of the meshes
    int cullMode = 0;                    // 1 = frustum-test each mesh's bounding sphere
    bool visible = true;                 // false: render draws nothing of the subtree
    bool keepSeparate = false;           // flatten leaves this child as a frame
    bool needsTwoUv = false;             // subtree uses the lightmap vertex layout
    bool buffersBuilt = false;
    void* vertexBuffer = nullptr;        // shared device buffers of the subtree
    void* indexBuffer = nullptr;
    bool ownsBuffers = false;            // this frame created (and releases) them
};
