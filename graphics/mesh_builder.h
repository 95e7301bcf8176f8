// RMeshBuilder: puts triangles made in code (a track, a box, a shadow quad)
// into meshes of one material on a frame. A mesh is closed and a new one
// started every `maxTriangles`, which keeps each mesh's welding cheap (the
// weld is quadratic) and its 16-bit indices in range.
#pragma once

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

class CSceneFrame;
class REngine;
class RGeometry;
class RMaterial;

class RMeshBuilder {
public:
    RMeshBuilder(REngine* engine, CSceneFrame* frame, RMaterial* material, int maxTriangles = 512);

    // One triangle with one normal for its three corners; texture
    // coordinates (u, v) per corner when the material has a texture.
    void triangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal);
    void triangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal, const float uv[6]);
    // The quad a-b-c-d as the triangles a-b-c and a-c-d.
    void quad(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d, const Vector3& normal);
    void quad(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d, const Vector3& normal,
              const float uv[8]);

private:
    RGeometry* current();

    REngine* engine_;
    CSceneFrame* frame_;
    RMaterial* material_;
    int maxTriangles_;
    RGeometry* geometry_ = nullptr;
};

// An axis-aligned box from (-0.5, -0.5, 0) to (0.5, 0.5, 1), faces
// outwards: stretched and turned by a matrix it draws a bar from one point
// to another (see barMatrix).
void addUnitBar(RMeshBuilder& builder);

// The matrix that takes the unit bar to a bar of the given thickness from a
// to b (row vectors); a zero-length bar stays a point.
Matrix4 barMatrix(const Vector3& a, const Vector3& b, float thickness);
