#pragma once
// The physics world that host and car share: the ODE world every body lives
// in, the group that holds one step's contact joints, and the objects the
// world owns. The host creates and steps it; the car only adds bodies,
// joints and contacts. Collision spaces are not part of it. Host and plug-in
// compile this same layout, so the fields keep their order.

#include <memory>
#include <vector>

#include <ode/ode.h>

#include "chassis/vector3.h"

class CContact;
class CRigidBody;

// Anything the world keeps alive until it is destroyed; only its destructor
// matters to the world.
class CWorldObject {
public:
    virtual ~CWorldObject() = default;
};

class CPhysicsWorld {
public:
    // Makes nothing yet: ODE may not be initialised when the world object is
    // built. create() makes the ODE world and its contact group.
    CPhysicsWorld() = default;
    // The only virtual operation; it puts the table of operations first, where
    // the shared layout expects it. Runs destroy().
    virtual ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // ODE world with gravity (0, -9.8, 0) m/s², ERP 0.8 and CFM 1e-6, and an
    // empty contact group. The process must have initialised ODE
    // (dInitODE2, dAllocateODEDataForThread) first. A second call does nothing.
    void create();
    // Deletes the owned objects of both lists, then the contact group and the
    // ODE world that create() made. A world handle stored from outside
    // (without create) stays its owner's to destroy.
    void destroy();

    void setGravity(const Vector3& g);  // m/s², world axes
    // One ODE step of dt seconds; the step's contact joints are then dropped,
    // so contacts live for exactly one step.
    void step(float dt);
    // A contact joint from the record in the contact group, between the two
    // bodies; a null body (or one without an ODE body) is the static world.
    dJointID createContact(const CContact& contact, CRigidBody* body1, CRigidBody* body2);

    // The world deletes these through their virtual destructors when it is
    // destroyed, in the order they were added, the first list first.
    void addObject(CWorldObject* object) { objects.emplace_back(object); }
    void addStaticObject(CWorldObject* object) { staticObjects.emplace_back(object); }

    dWorldID world = nullptr;  // the ODE world every car body is created in
    std::vector<std::unique_ptr<CWorldObject>> objects;        // owned: what moves with the world
    std::vector<std::unique_ptr<CWorldObject>> staticObjects;  // owned: fixed scenery
    dJointGroupID contactGroup = nullptr;  // contact joints of the coming step
};
