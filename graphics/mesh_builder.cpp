#include "graphics/mesh_builder.h"

#include <cmath>

#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/scene_frame.h"

RMeshBuilder::RMeshBuilder(REngine* engine, CSceneFrame* frame, RMaterial* material, int maxTriangles)
    : engine_(engine), frame_(frame), material_(material), maxTriangles_(maxTriangles)
{
}

RGeometry* RMeshBuilder::current()
{
    if (!geometry_ || geometry_->cornerCount >= 3 * maxTriangles_) {
        geometry_ = engine_->createGeometry();
        geometry_->setMaterial(material_);
        frame_->addGeometry(geometry_);
    }
    return geometry_;
}

void RMeshBuilder::triangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal)
{
    const float uv[6] = {0, 0, 0, 0, 0, 0};
    triangle(a, b, c, normal, uv);
}

void RMeshBuilder::triangle(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& normal,
                            const float uv[6])
{
    RGeometry* g = current();
    for (const Vector3& p : {a, b, c}) {
        g->positions.push_back(p);
        g->normals.push_back(normal);
    }
    for (int k = 0; k < 3; ++k) g->uv.push_back(RUv{uv[2 * k], uv[2 * k + 1]});
    g->cornerCount += 3;
    g->normalCount = g->cornerCount;
    g->uvCount = g->cornerCount;
    g->addCursor = g->cornerCount;
}

void RMeshBuilder::quad(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d, const Vector3& normal)
{
    const float uv[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    quad(a, b, c, d, normal, uv);
}

void RMeshBuilder::quad(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& d, const Vector3& normal,
                        const float uv[8])
{
    const float first[6] = {uv[0], uv[1], uv[2], uv[3], uv[4], uv[5]};
    const float second[6] = {uv[0], uv[1], uv[4], uv[5], uv[6], uv[7]};
    triangle(a, b, c, normal, first);
    triangle(a, c, d, normal, second);
}

void addUnitBar(RMeshBuilder& builder)
{
    const float h = 0.5f;
    auto corner = [h](int i) { return Vector3{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? 1.0f : 0.0f}; };
    // Each face: four corners and its outward normal.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    const Vector3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (int f = 0; f < 6; ++f)
        builder.quad(corner(faces[f][0]), corner(faces[f][1]), corner(faces[f][2]), corner(faces[f][3]), normals[f]);
}

Matrix4 barMatrix(const Vector3& a, const Vector3& b, float thickness)
{
    const Vector3 along = b - a;
    const float length = along.length();
    Matrix4 m;
    auto setRow = [&m](int r, const Vector3& v) {
        m.at(r, 0) = v.x;
        m.at(r, 1) = v.y;
        m.at(r, 2) = v.z;
    };
    if (length > 1e-6f) {
        const Vector3 z = along * (1.0f / length);
        // Any side axis across the bar will do; avoid one parallel to it.
        const Vector3 helper = std::fabs(z.y) < 0.9f ? Vector3{0, 1, 0} : Vector3{1, 0, 0};
        const Vector3 x = cross(helper, z).normalised();
        const Vector3 y = cross(z, x);
        setRow(0, x * thickness);
        setRow(1, y * thickness);
        setRow(2, z * length);
    } else {
        setRow(0, Vector3{0, 0, 0});
        setRow(1, Vector3{0, 0, 0});
        setRow(2, Vector3{0, 0, 0});
    }
    m.setPosition(a);
    return m;
}
