#include "graphics/scene_frame.h"

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
}

CSceneFrame::~CSceneFrame() {
    // The lists are not owners of what they point to (the engine deletes
    // frames and meshes); releasing owned device buffers comes with buffer
    // building.
}

void CSceneFrame::render(bool applyTransform, float /*maxDistance*/, float lodDistance) {
    if (!visible) return;
    // Only the traversal for now: the transform stack and drawing of this
    // frame's meshes arrive with the device, in a later change.
    renderChildren(applyTransform, lodDistance);
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
