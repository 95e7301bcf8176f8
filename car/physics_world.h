#pragma once
// The host's physics world as the car sees it: the ODE world the car's bodies
// live in. This first version carries only the world handle; the owned-object
// lists, the contact joint group, gravity and stepping arrive with the
// physics step. Host and plug-in share this layout, so fields keep their order.

#include <ode/ode.h>

class CPhysicsWorld {
public:
    CPhysicsWorld() = default;
    // The only virtual operation; it puts the table of operations first, where
    // the shared layout expects it. Destroying the ODE world is left to
    // whoever created it until the world owns its creation.
    virtual ~CPhysicsWorld() = default;
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    dWorldID world = nullptr;  // the ODE world every car body is created in
};
