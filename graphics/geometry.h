// RGeometry: one triangle mesh in corner form (every three consecutive
// corners are a triangle, each corner with its own position, normal and
// texture coordinates) drawn with one material. Welding turns the corners
// into unique vertices and 16-bit indices; upload puts them into device
// buffers, its own or a share of its frame tree's. Positions in metres in
// the owning frame's coordinates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chassis/vector3.h"
#include "graphics/device.h"

class REngine;
class RMaterial;

struct RUv {
    float u, v;
};

class RGeometry {
public:
    // The most unique vertices one mesh may have: its indices are 16-bit.
    static constexpr int kMaxUniqueVertices = 65536;
    // Corners closer than this (metres) may become one vertex.
    static constexpr float kWeldDistance = 0.0001f;

    explicit RGeometry(REngine* owner = nullptr) : engine(owner) {}
    // Releases the buffers the geometry created itself.
    virtual ~RGeometry();
    RGeometry(const RGeometry&) = delete;
    RGeometry& operator=(const RGeometry&) = delete;

    // n zeroed corner positions; cornerCount = n.
    void allocPositions(int n);
    // n zeroed normals, only when there are none yet.
    void allocNormals(int n);
    void allocUv(int n);
    // n zeroed lightmap coordinates; marks them valid.
    void allocLightmapUv(int n);
    // Ignored outside the allocated range.
    void setUv(int i, float u, float v);
    void setLightmapUv(int i, float u, float v);
    // Three corners (x, y, z each) at addCursor, which moves on by 3; ignored
    // when they do not fit the allocated positions.
    void addTriangle(const float corners[9]);

    void setMaterial(RMaterial* m) { material = m; }

    // Moves every position by -boundCenter; the centre becomes the origin.
    void recenter();
    // Centre = mean of the corner positions, radius = largest distance of a
    // corner from it (both 0 without corners).
    void computeBounds();

    // Corners i and j have exactly equal position, normal and first texture
    // coordinate (a missing normal or coordinate counts as zero); the second
    // form leaves the texture coordinate out.
    bool cornersEqual(int i, int j) const;
    bool cornersEqualIgnoringUv(int i, int j) const;

    // Builds the unique vertices (vertices40 when twoUv, else vertices32) and
    // one local index per corner: a corner reuses the first earlier vertex
    // whose position lies closer than kWeldDistance and whose normal and
    // first texture coordinate are exactly equal (the lightmap coordinate is
    // not compared, the first one wins). The v coordinate is stored negated.
    // More than kMaxUniqueVertices is reported and refused: no vertices, no
    // indices, and false.
    bool weld(bool twoUv);

    // Puts the welded mesh into the given buffers at the given vertex and
    // index offsets; with no buffers given it welds itself (one-UV layout)
    // and creates buffers of its own. Computes the bounds first. Only once,
    // and only with corners.
    void upload(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset);
    // Applies the material (when asked and present) and draws the uploaded
    // triangles; counts them with the engine in any case.
    void draw(bool applyMaterial);

    // Vertices and indices this mesh takes in a buffer once welded.
    int bufferVertexCount() const { return uniqueVertexCount; }
    int bufferIndexCount() const { return static_cast<int>(indices.size()); }

    // Fields in this order; loaders fill them directly.
    RMaterial* material = nullptr;
    std::vector<Vector3> positions;  // one per corner
    std::vector<RUv> uv;             // uvCount entries: 0 or cornerCount
    std::vector<RUv> lightmapUv;     // valid when hasLightmapUv
    std::vector<float> extra;        // filled by the lightmap builder
    int hasLightmapUv = 0;
    std::vector<Vector3> normals;    // normalCount entries, one per corner
    int cornerCount = 0;
    int uvCount = 0;
    int normalCount = 0;
    std::string name;
    bool uploaded = false;
    REngine* engine = nullptr;
    Vector3 boundCenter{0.0f, 0.0f, 0.0f};
    float boundRadius = 0.0f;
    std::vector<RVertex32> vertices32;  // unique vertices, one-UV layout
    std::vector<RVertex40> vertices40;  // unique vertices, two-UV layout
    bool useTwoUv = false;              // copied from the frame before upload
    float lodFar = 1e8f;                // drawn while the lod distance is below this
    float lodNear = 0.0f;               // ... and not below this
    int addCursor = 0;
    RDeviceVertexBuffer* vertexBuffer = nullptr;
    RDeviceIndexBuffer* indexBuffer = nullptr;
    int baseVertex = 0;                 // first vertex in vertexBuffer
    bool ownsBuffers = false;
    std::vector<uint16_t> indices;      // local vertex index of each corner
    int startIndex = 0;                 // first index in indexBuffer
    int uniqueVertexCount = 0;

private:
    RDevice* device() const;
    Vector3 cornerPosition(int i) const;
    Vector3 cornerNormal(int i) const;
    RUv cornerUv(int i) const;
};
