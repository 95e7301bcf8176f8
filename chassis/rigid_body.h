#pragma once
// One body of the physics world coupled to a scene frame whose matrix mirrors
// the body's pose (rows = the body's axes in world, row 3 = its position).
// Forces, velocities and a box mass; joints, collision geometry and the
// world's stepping belong to their owners, not to the body.

#include <ode/ode.h>

#include "chassis/vector3.h"
#include "graphics/scene_frame.h"

class CPhysicsWorld;

class CRigidBody : public CSceneFrame {
public:
    // No world yet: the car is built at library load, before any world exists;
    // attach creates the body later.
    CRigidBody();
    // Creates the body in the world's ODE world at once.
    explicit CRigidBody(CPhysicsWorld* world);
    ~CRigidBody() override;  // leaves the body to its world, which frees it

    virtual void setAngularVelocity(const Vector3& w);  // rad/s, world axes
    virtual void setLinearVelocity(const Vector3& v);   // m/s, world axes

    // Stores the world, creates the body and gives it the frame's current
    // orientation (forward = the frame's Z axis, up = its Y axis).
    void attach(CPhysicsWorld* world);

    // Moves the body (metres, world) and refreshes the whole frame pose.
    void setPosition(float x, float y, float z);
    // Moves the body and writes only the frame's position row.
    void setPosition(const Vector3& p);
    // Body position, metres, world; the frame's position while there is no body.
    Vector3 getPosition() const;

    // Orients the body: forward becomes its local Z axis, up its local Y axis
    // (made orthogonal to side = up × forward); then sync.
    void setRotation(const Vector3& forward, const Vector3& up);
    // Copies the body's pose into the frame's matrix.
    void sync();

    // Solid box with sides lx, ly, lz (metres, body axes) and total mass kg.
    void setMassBox(float totalMass, float lx, float ly, float lz);
    float getMass() const;  // kg

    // m/s, world axes: the velocity of the body's origin, and of a point
    // fixed in the body given in body coordinates (metres).
    Vector3 getVelocity() const;
    Vector3 getPointVelocity(const Vector3& localPoint) const;

    // Forces in newtons added to the body's accumulators for the next world
    // step; position first (metres), then force. "Local" positions are body
    // coordinates, "local" forces body axes; the others are world.
    void addForceAtPos(float px, float py, float pz, float fx, float fy, float fz);
    void addForceAtLocalPos(float px, float py, float pz, float fx, float fy, float fz);
    void addLocalForceAtPos(float px, float py, float pz, float fx, float fy, float fz);
    void addLocalForceAtLocalPos(float px, float py, float pz, float fx, float fy, float fz);
    void addForceAtPos(const Vector3& p, const Vector3& f) { addForceAtPos(p.x, p.y, p.z, f.x, f.y, f.z); }
    void addForceAtLocalPos(const Vector3& p, const Vector3& f) { addForceAtLocalPos(p.x, p.y, p.z, f.x, f.y, f.z); }
    void addLocalForceAtPos(const Vector3& p, const Vector3& f) { addLocalForceAtPos(p.x, p.y, p.z, f.x, f.y, f.z); }
    void addLocalForceAtLocalPos(const Vector3& p, const Vector3& f)
    {
        addLocalForceAtLocalPos(p.x, p.y, p.z, f.x, f.y, f.z);
    }

    CPhysicsWorld* world = nullptr;
    dBodyID body = nullptr;
    dMass mass;  // total mass, centre of gravity and inertia tensor given to the body
};
