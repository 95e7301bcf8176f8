#pragma once
// One body of the physics world coupled to a scene frame whose matrix mirrors
// the body's pose. The car body derives from it. This first version holds the
// body's data and velocity setters; forces and box masses arrive with the
// physics step.

#include <ode/ode.h>

#include "chassis/vector3.h"
#include "graphics/scene_frame.h"

class CPhysicsWorld;

class CRigidBody : public CSceneFrame {
public:
    // No world yet: the car is built at library load, before any world exists.
    CRigidBody();
    ~CRigidBody() override;  // leaves the body to its world, which frees it

    virtual void setAngularVelocity(const Vector3& w);
    virtual void setLinearVelocity(const Vector3& v);

    CPhysicsWorld* world = nullptr;
    dBodyID body = nullptr;
    dMass mass;
};
