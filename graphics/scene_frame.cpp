#include "graphics/scene_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "graphics/animation_key.h"
#include "graphics/device.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
}

CSceneFrame::~CSceneFrame() {
    // Meshes and children belong to the engine; the shared buffers and the
    // animation track belong to this frame.
    if (ownsBuffers && engine != nullptr && engine->device != nullptr) {
        if (vertexBuffer != nullptr) engine->device->releaseVertexBuffer(vertexBuffer);
        if (indexBuffer != nullptr) engine->device->releaseIndexBuffer(indexBuffer);
    }
    for (RAnimationKey* key : animation) delete key;
}

void CSceneFrame::render(bool applyTransform, float maxDistance, float lodDistance) {
    if (!visible) return;
    REngine* e = engine;
    if (e == nullptr) {
        renderChildren(applyTransform, lodDistance);
        return;
    }
    const Vector3 cameraPosition = e->getCameraPosition();
    e->matrixStack.push();
    if (applyTransform) e->matrixStack.multiplyLocal(matrix);
    const Matrix4 world = e->matrixStack.top();
    e->setWorld(world);

    if (ownsBuffers && e->device != nullptr && vertexBuffer != nullptr && indexBuffer != nullptr) {
        const RVertexFormat format = needsTwoUv ? RVertexFormat::TwoUv : RVertexFormat::OneUv;
        e->device->setStreamSource(vertexBuffer, vertexStride(format));
        e->setVertexFormat(format);
        e->device->setIndices(indexBuffer);
    }

    for (RGeometry* g : geometries) {
        if (g == nullptr) continue;
        // Bounds are in this frame's coordinates; the tests need them where
        // the frame stands now.
        const Vector3 centre = world.transformPoint(g->boundCenter);
        bool drawIt;
        if (maxDistance == -1.0f) {
            if (cullMode == 1)
                drawIt = e->isSphereVisible(centre, g->boundRadius);
            else
                drawIt = g->lodNear <= lodDistance && lodDistance < g->lodFar;
        } else {
            if (!((centre - cameraPosition).length() - g->boundRadius < maxDistance)) continue;
            drawIt = cullMode != 1 || e->isSphereVisible(centre, g->boundRadius);
        }
        if (drawIt) g->draw(applyTransform);
    }

    renderChildren(applyTransform, lodDistance);
    e->matrixStack.pop();
    e->setWorld(e->matrixStack.top());
}

void CSceneFrame::renderChildren(bool applyTransform, float lodDistance) {
    for (CSceneFrame* child : children) child->render(applyTransform, -1.0f, lodDistance);
}

void CSceneFrame::addChild(CSceneFrame* child) {
    children.push_back(child);
    child->parent = this;
}

CSceneFrame* CSceneFrame::removeChild(const std::string& childName) {
    for (auto it = children.begin(); it != children.end(); ++it) {
        if ((*it)->name == childName) {
            CSceneFrame* child = *it;
            children.erase(it);
            child->keepSeparate = false;
            return child;
        }
    }
    return nullptr;
}

void CSceneFrame::setOrientation(const Vector3& forward, const Vector3& up) {
    const Vector3 side = cross(up, forward).normalised();
    const Vector3 trueUp = cross(forward, side).normalised();
    const Vector3 rows[3] = {side, trueUp, forward};
    for (int r = 0; r < 3; ++r) {
        matrix.at(r, 0) = rows[r].x;
        matrix.at(r, 1) = rows[r].y;
        matrix.at(r, 2) = rows[r].z;
        matrix.at(r, 3) = 0.0f;
    }
}

// The rotation goes on the left: with row vectors R·matrix turns local
// points before the pose places them, so the frame spins about its own axis
// and keeps its position. (matrix·R would turn it about the parent's axes
// through the parent's origin.)
void CSceneFrame::rotateX(float degrees) { matrix = Matrix4::multiply(Matrix4::rotationX(degrees * kDegreesToRadians), matrix); }

void CSceneFrame::rotateY(float degrees) { rotateYRadians(degrees * kDegreesToRadians); }

void CSceneFrame::rotateZ(float degrees) { matrix = Matrix4::multiply(Matrix4::rotationZ(degrees * kDegreesToRadians), matrix); }

void CSceneFrame::rotateYRadians(float radians) { matrix = Matrix4::multiply(Matrix4::rotationY(radians), matrix); }

Matrix4 CSceneFrame::getWorldMatrix() const {
    Matrix4 world = matrix;
    for (const CSceneFrame* p = parent; p != nullptr; p = p->parent) world = Matrix4::multiply(world, p->matrix);
    return world;
}

Vector3 CSceneFrame::getSummedPosition() const {
    Vector3 sum = getPosition();
    for (const CSceneFrame* p = parent; p != nullptr; p = p->parent) sum += p->getPosition();
    return sum;
}

Vector3 CSceneFrame::worldToLocal(const Vector3& worldPoint) const {
    return getWorldMatrix().inverse().transformPoint(worldPoint);
}

Vector3 CSceneFrame::localToWorld(const Vector3& localPoint) const {
    return getWorldMatrix().transformPoint(localPoint);
}

CSceneFrame* CSceneFrame::getRoot() {
    CSceneFrame* f = this;
    while (f->parent != nullptr) f = f->parent;
    return f;
}

CSceneFrame* CSceneFrame::findFrame(const std::string& frameName) {
    if (name == frameName) return this;
    for (CSceneFrame* child : children) {
        if (CSceneFrame* found = child->findFrame(frameName)) return found;
    }
    return nullptr;
}

void CSceneFrame::removeGeometry(RGeometry* geometry) {
    auto it = std::find(geometries.begin(), geometries.end(), geometry);
    if (it != geometries.end()) geometries.erase(it);
}

RGeometry* CSceneFrame::findGeometry(const std::string& geometryName) const {
    for (RGeometry* g : geometries) {
        if (g != nullptr && g->name == geometryName) return g;
    }
    return nullptr;
}

void CSceneFrame::computeRadius() {
    for (const RGeometry* g : geometries) {
        if (g == nullptr) continue;
        const size_t n = std::min(g->positions.size(), static_cast<size_t>(std::max(g->cornerCount, 0)));
        for (size_t i = 0; i < n; ++i) radius = std::max(radius, g->positions[i].length());
    }
    for (CSceneFrame* child : children) child->computeRadius();
}

// Higher blend modes first, so a frame draws opaque meshes, then
// alpha-tested, then blended ones. Within a mode, meshes with the same
// texture are kept together, textures in the order they first appear: that
// groups them as well as sorting by address would, and the draw order stays
// the same from run to run.
void CSceneFrame::sortGeometries() {
    std::vector<const RTexture*> seen;
    auto textureOf = [](const RGeometry* g) -> const RTexture* {
        return g != nullptr && g->material != nullptr ? g->material->texture : nullptr;
    };
    auto blendOf = [](const RGeometry* g) {
        return g != nullptr && g->material != nullptr ? g->material->blendMode : RMaterial::kBlendOpaque;
    };
    for (const RGeometry* g : geometries) {
        if (std::find(seen.begin(), seen.end(), textureOf(g)) == seen.end()) seen.push_back(textureOf(g));
    }
    auto rank = [&](const RGeometry* g) { return std::find(seen.begin(), seen.end(), textureOf(g)) - seen.begin(); };
    std::stable_sort(geometries.begin(), geometries.end(), [&](const RGeometry* a, const RGeometry* b) {
        if (blendOf(a) != blendOf(b)) return blendOf(a) > blendOf(b);
        return rank(a) < rank(b);
    });
}

bool CSceneFrame::subtreeHasLightmapUv() const {
    for (const RGeometry* g : geometries) {
        if (g != nullptr && g->hasLightmapUv != 0) return true;
    }
    for (const CSceneFrame* child : children) {
        if (child->subtreeHasLightmapUv()) return true;
    }
    return false;
}

void CSceneFrame::weldSubtree(bool twoUv) {
    needsTwoUv = twoUv;
    for (RGeometry* g : geometries) {
        if (g != nullptr && !g->uploaded) g->weld(twoUv);
    }
    for (CSceneFrame* child : children) child->weldSubtree(twoUv);
}

void CSceneFrame::subtreeCounts(int& vertices, int& indexCount) const {
    for (const RGeometry* g : geometries) {
        if (g == nullptr) continue;
        vertices += g->bufferVertexCount();
        indexCount += g->bufferIndexCount();
    }
    for (const CSceneFrame* child : children) child->subtreeCounts(vertices, indexCount);
}

void CSceneFrame::buildBuffers(RDeviceVertexBuffer* sharedVb, int vertexOffset, RDeviceIndexBuffer* sharedIb,
                               int indexOffset) {
    if (sharedVb != nullptr || sharedIb != nullptr) {
        buildShared(sharedVb, vertexOffset, sharedIb, indexOffset);
        return;
    }
    if (buffersBuilt) return;
    if (geometries.empty() && children.empty()) {
        printf("frame %s has 0 geometries\n", name.c_str());
        return;
    }
    sortGeometries();
    buffersBuilt = true;

    const bool twoUv = subtreeHasLightmapUv();
    weldSubtree(twoUv);
    int vertices = 0, indexCount = 0;
    subtreeCounts(vertices, indexCount);

    RDevice* device = engine != nullptr ? engine->device : nullptr;
    if (device == nullptr) {
        // Nothing to draw with: the meshes still get their bounds.
        placeSubtree(nullptr, 0, nullptr, 0);
        return;
    }
    // Sizes past what the device can address fail like any refused buffer.
    auto bytes = [](uint64_t n) { return n > UINT32_MAX ? 0u : static_cast<uint32_t>(n); };
    const RVertexFormat format = twoUv ? RVertexFormat::TwoUv : RVertexFormat::OneUv;
    vertexBuffer = device->createVertexBuffer(bytes(static_cast<uint64_t>(vertices) * vertexStride(format)));
    if (vertexBuffer != nullptr)
        printf("created vb for %d vertex\n", vertices);
    else
        printf("error creating frame vertex buffer in %s\n", name.c_str());
    indexBuffer = device->createIndexBuffer(bytes(static_cast<uint64_t>(indexCount) * 2u));
    if (indexBuffer != nullptr)
        printf("created index buffer for %d vertex\n", indexCount);
    else
        printf("error creating frame index buffer in %s\n", name.c_str());
    ownsBuffers = vertexBuffer != nullptr || indexBuffer != nullptr;

    if (vertexBuffer != nullptr && indexBuffer != nullptr)
        placeSubtree(vertexBuffer, 0, indexBuffer, 0);
    else
        placeSubtree(nullptr, 0, nullptr, 0);
}

void CSceneFrame::buildShared(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset) {
    if (buffersBuilt) return;
    if (geometries.empty() && children.empty()) {
        printf("frame %s has 0 geometries\n", name.c_str());
        return;
    }
    sortGeometries();
    buffersBuilt = true;
    vertexBuffer = vb;
    indexBuffer = ib;
    ownsBuffers = false;
    placeSubtree(vb, vertexOffset, ib, indexOffset);
}

void CSceneFrame::placeSubtree(RDeviceVertexBuffer* vb, int vertexOffset, RDeviceIndexBuffer* ib, int indexOffset) {
    for (RGeometry* g : geometries) {
        if (g == nullptr) continue;
        g->useTwoUv = needsTwoUv;
        // Without shared buffers a mesh must not make its own: it only gets
        // its bounds, and the tree draws nothing.
        if (vb != nullptr && ib != nullptr)
            g->upload(vb, vertexOffset, ib, indexOffset);
        else
            g->computeBounds();
        vertexOffset += g->bufferVertexCount();
        indexOffset += g->bufferIndexCount();
    }
    for (CSceneFrame* child : children) {
        child->buildShared(vb, vertexOffset, ib, indexOffset);
        int vertices = 0, indexCount = 0;
        child->subtreeCounts(vertices, indexCount);
        vertexOffset += vertices;
        indexOffset += indexCount;
    }
}

void CSceneFrame::flatten(CSceneFrame* parentFrame) {
    std::vector<CSceneFrame*> folded;
    for (CSceneFrame* child : children) {
        if (child->keepSeparate) continue;
        child->flatten(this);
        folded.push_back(child);
    }
    if (!folded.empty()) {
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [&](CSceneFrame* c) {
                                          return std::find(folded.begin(), folded.end(), c) != folded.end();
                                      }),
                       children.end());
    }
    if (parentFrame == nullptr) return;
    for (RGeometry* g : geometries) {
        if (g == nullptr) continue;
        for (Vector3& p : g->positions) p = matrix.transformPoint(p);
        for (Vector3& n : g->normals) n = matrix.transformVector(n);
        g->engine = parentFrame->engine;
        parentFrame->geometries.push_back(g);
    }
    geometries.clear();
}

void CSceneFrame::mergeInto(CSceneFrame* other) {
    if (other == nullptr || other == this) return;
    for (RGeometry* g : geometries) {
        if (g != nullptr) g->engine = other->engine;
        other->geometries.push_back(g);
    }
    for (CSceneFrame* child : children) other->addChild(child);
    geometries.clear();
    children.clear();
}
