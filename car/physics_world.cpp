#include "car/physics_world.h"

#include <cstdio>

#include "car/contact.h"
#include "chassis/rigid_body.h"

CPhysicsWorld::~CPhysicsWorld() { destroy(); }

void CPhysicsWorld::create()
{
    if (world) return;
    world = dWorldCreate();
    dWorldSetGravity(world, 0.0, -9.8, 0.0);
    contactGroup = dJointGroupCreate(0);
    dWorldSetERP(world, 0.8);
    dWorldSetCFM(world, 1e-6);
}

void CPhysicsWorld::destroy()
{
    // Owned objects may still hold ODE handles, so they go before the world.
    for (auto& object : objects) object.reset();
    for (auto& object : staticObjects) object.reset();
    objects.clear();
    staticObjects.clear();
    // The contact group marks a world that create() made.
    if (!contactGroup) return;
    dJointGroupDestroy(contactGroup);
    contactGroup = nullptr;
    dWorldDestroy(world);
    world = nullptr;
}

void CPhysicsWorld::setGravity(const Vector3& g)
{
    if (world) dWorldSetGravity(world, g.x, g.y, g.z);
}

void CPhysicsWorld::step(float dt)
{
    if (!world) return;
    // The iterative stepper never lets a car of heavy chassis and light arms
    // settle; the direct solver does, at about the same cost.
    dWorldStep(world, dt);
    if (contactGroup) dJointGroupEmpty(contactGroup);
}

dJointID CPhysicsWorld::createContact(const CContact& contact, CRigidBody* body1, CRigidBody* body2)
{
    if (!world || !contactGroup) {
        printf("CPhysicsWorld::createContact : no world, contact dropped\n");
        return nullptr;
    }
    dJointID joint = dJointCreateContact(world, contactGroup, &contact.contact);
    dJointAttach(joint, body1 ? body1->body : nullptr, body2 ? body2->body : nullptr);
    return joint;
}
