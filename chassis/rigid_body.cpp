#include "chassis/rigid_body.h"

CRigidBody::CRigidBody() { dMassSetZero(&mass); }

CRigidBody::~CRigidBody() = default;

void CRigidBody::setAngularVelocity(const Vector3& w)
{
    if (body) dBodySetAngularVel(body, w.x, w.y, w.z);
}

void CRigidBody::setLinearVelocity(const Vector3& v)
{
    if (body) dBodySetLinearVel(body, v.x, v.y, v.z);
}
