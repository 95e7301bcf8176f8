// CSceneFrame: a node of the scene tree, a local pose (Matrix4, row vectors)
// under an optional parent, with its meshes, children and name. The car core
// uses the same class for its body and wheels. A loaded tree becomes
// drawable once its root has built one shared vertex and index buffer for
// all its meshes; drawing walks the tree through the engine's matrix stack.
// The frame owns neither its meshes nor its children (the engine does).
#pragma once

#include <string>
#include <vector>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

class RGeometry;
class REngine;
struct RAnimationKey;
struct RDeviceVertexBuffer;
struct RDeviceIndexBuffer;

class CSceneFrame {
public:
    CSceneFrame() = default;
    // Releases the shared buffers when this frame created them, and frees
    // the animation track.
    virtual ~CSceneFrame();
    CSceneFrame(const CSceneFrame&) = delete;
    CSceneFrame& operator=(const CSceneFrame&) = delete;

    // Draws this frame and its subtree under the engine's matrix stack (the
    // frame's matrix multiplied in when applyTransform, which also applies
    // each mesh's material). maxDistance -1.0 means no distance cut: each
    // mesh is then chosen by lodDistance, or by the camera frustum when
    // cullMode is 1. Otherwise a mesh is drawn only when its bounding sphere
    // comes nearer the camera than maxDistance (and, with cullMode 1, lies in
    // the frustum). Children always get -1.0. A frame without an engine only
    // passes the call on to its children.
    virtual void render(bool applyTransform, float maxDistance, float lodDistance);
    // render(applyTransform, -1.0, lodDistance) on each child.
    void renderChildren(bool applyTransform, float lodDistance);

    // Appends and sets the child's parent to this frame.
    void addChild(CSceneFrame* child);
    // Appends; removeGeometry takes out the first occurrence, keeping the
    // order of the rest.
    void addGeometry(RGeometry* geometry) { geometries.push_back(geometry); }
    void removeGeometry(RGeometry* geometry);
    // First mesh of this frame (not of the subtree) with that name, or null.
    RGeometry* findGeometry(const std::string& geometryName) const;
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

    // radius = the largest distance of any corner of this frame's meshes
    // from its origin (it only grows), then the same for every child.
    void computeRadius();

    // Makes the tree drawable; call it on a root with no arguments. The root
    // welds every mesh of its subtree, in the two-UV layout when any of them
    // has lightmap coordinates, creates one vertex and one index buffer for
    // all of them and lets each mesh upload its share; meshes are sorted by
    // material first (opaque, alpha-tested, then blended; equal textures
    // together). Runs once per frame; the arguments are the shared buffers
    // and the offsets at which the subtree's share begins.
    void buildBuffers(RDeviceVertexBuffer* sharedVb = nullptr, int vertexOffset = 0,
                      RDeviceIndexBuffer* sharedIb = nullptr, int indexOffset = 0);

    // Folds the subtree into fewer frames: every child not marked
    // keepSeparate is flattened into this frame (its meshes moved here,
    // their positions and normals taken into this frame's coordinates) and
    // dropped from children. Call it on a root with no parent.
    void flatten(CSceneFrame* parentFrame = nullptr);
    // Moves this frame's meshes (their engine becomes other's) and children
    // to other; this frame is left empty.
    void mergeInto(CSceneFrame* other);

    // Fields in this order; the engine, the loaders and the car core read
    // and write them directly.
    std::vector<RGeometry*> geometries;  // meshes of this frame, not owned
    Matrix4 matrix;                      // local pose, identity at construction
    std::vector<CSceneFrame*> children;  // not owned (the engine owns frames)
    std::string name;
    CSceneFrame* parent = nullptr;
    REngine* engine = nullptr;           // set by REngine::createFrame
    // Animation track, filled by the animation reader; owned.
    std::vector<RAnimationKey*> animation;
    float radius = 0.0f;                 // metres, largest corner distance of the meshes
    int cullMode = 0;                    // 1 = frustum-test each mesh's bounding sphere
    bool visible = true;                 // false: render draws nothing of the subtree
    bool keepSeparate = false;           // flatten leaves this child as a frame
    bool needsTwoUv = false;             // subtree uses the lightmap vertex layout
    bool buffersBuilt = false;
    RDeviceVertexBuffer* vertexBuffer = nullptr;  // shared device buffers of the subtree
    RDeviceIndexBuffer* indexBuffer = nullptr;
    bool ownsBuffers = false;            // this frame created (and releases) them

private:
    void sortGeometries();
    // Steps of buildBuffers below the root: adopts the given buffers (null
    // when the root could not create them) and places the subtree's meshes.
    void buildShared(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset);
    void placeSubtree(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset);
    bool subtreeHasLightmapUv() const;
    void weldSubtree(bool twoUv);
    void subtreeCounts(int& vertices, int& indexCount) const;
};
