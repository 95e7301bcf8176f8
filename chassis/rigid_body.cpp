#include "chassis/rigid_body.h"

#include <cstdio>

#include "car/physics_world.h"

CRigidBody::CRigidBody() { dMassSetZero(&mass); }

CRigidBody::CRigidBody(CPhysicsWorld* physicsWorld) : world(physicsWorld)
{
    dMassSetZero(&mass);
    if (world && world->world)
        body = dBodyCreate(world->world);
    else
        printf("CRigidBody: no physics world, body not created\n");
}

CRigidBody::~CRigidBody() = default;

void CRigidBody::attach(CPhysicsWorld* physicsWorld)
{
    world = physicsWorld;
    if (!world || !world->world) {
        printf("CRigidBody::attach: no physics world, body not created\n");
        return;
    }
    body = dBodyCreate(world->world);
    setRotation(matrix.zAxis(), matrix.yAxis());
}

void CRigidBody::setAngularVelocity(const Vector3& w)
{
    if (body) dBodySetAngularVel(body, w.x, w.y, w.z);
}

void CRigidBody::setLinearVelocity(const Vector3& v)
{
    if (body) dBodySetLinearVel(body, v.x, v.y, v.z);
}

void CRigidBody::setPosition(float x, float y, float z)
{
    if (!body) return;
    dBodySetPosition(body, x, y, z);
    sync();
}

void CRigidBody::setPosition(const Vector3& p)
{
    if (body) dBodySetPosition(body, p.x, p.y, p.z);
    matrix.setPosition(p);
}

Vector3 CRigidBody::getPosition() const
{
    if (!body) return matrix.getPosition();
    const dReal* p = dBodyGetPosition(body);
    return Vector3{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

void CRigidBody::setRotation(const Vector3& forward, const Vector3& up)
{
    if (!body) return;
    const Vector3 side = cross(up, forward);
    dMatrix3 r;
    // ODE's two-axes construction normalises side, makes up orthogonal to it
    // and takes their cross product as the third axis.
    dRFrom2Axes(r, side.x, side.y, side.z, up.x, up.y, up.z);
    dBodySetRotation(body, r);
    sync();
}

void CRigidBody::sync()
{
    if (!body) return;
    // ODE's rotation maps body to world coordinates with column vectors, so
    // its columns are the body's axes: the frame's rows are its transpose.
    const dReal* r = dBodyGetRotation(body);
    const dReal* p = dBodyGetPosition(body);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) matrix.at(row, col) = static_cast<float>(r[4 * col + row]);
        matrix.at(row, 3) = 0.0f;
    }
    matrix.setPosition(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
    matrix.at(3, 3) = 1.0f;
}

void CRigidBody::setMassBox(float totalMass, float lx, float ly, float lz)
{
    // A flat or massless box has no inertia to scale; ODE would reject it.
    if (!(totalMass > 0.0f) || !(lx > 0.0f) || !(ly > 0.0f) || !(lz > 0.0f)) {
        printf("CRigidBody::setMassBox: invalid box m=%f %f %f %f, mass unchanged\n", totalMass, lx, ly, lz);
        return;
    }
    dMassSetBox(&mass, 1.0, lx, ly, lz);
    dMassAdjust(&mass, totalMass);
    if (body) dBodySetMass(body, &mass);
}

float CRigidBody::getMass() const
{
    if (!body) return static_cast<float>(mass.mass);
    dMass m;
    dBodyGetMass(body, &m);
    return static_cast<float>(m.mass);
}

Vector3 CRigidBody::getVelocity() const
{
    if (!body) return Vector3{0.0f, 0.0f, 0.0f};
    const dReal* v = dBodyGetLinearVel(body);
    return Vector3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

Vector3 CRigidBody::getPointVelocity(const Vector3& localPoint) const
{
    if (!body) return Vector3{0.0f, 0.0f, 0.0f};
    dVector3 v;
    dBodyGetRelPointVel(body, localPoint.x, localPoint.y, localPoint.z, v);
    return Vector3{static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

// ODE takes the force before the position; ours take the position first.
void CRigidBody::addForceAtPos(float px, float py, float pz, float fx, float fy, float fz)
{
    if (body) dBodyAddForceAtPos(body, fx, fy, fz, px, py, pz);
}

void CRigidBody::addForceAtLocalPos(float px, float py, float pz, float fx, float fy, float fz)
{
    if (body) dBodyAddForceAtRelPos(body, fx, fy, fz, px, py, pz);
}

void CRigidBody::addLocalForceAtPos(float px, float py, float pz, float fx, float fy, float fz)
{
    if (body) dBodyAddRelForceAtPos(body, fx, fy, fz, px, py, pz);
}

void CRigidBody::addLocalForceAtLocalPos(float px, float py, float pz, float fx, float fy, float fz)
{
    if (body) dBodyAddRelForceAtRelPos(body, fx, fy, fz, px, py, pz);
}
