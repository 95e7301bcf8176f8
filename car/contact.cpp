#include "car/contact.h"

#include <cstdio>
#include <cstring>

CContact::CContact()
{
    std::memset(&contact, 0, sizeof(contact));
    contact.surface.mode = dContactMu2 | dContactBounce;
}

void CContact::setPosition(const Vector3& p)
{
    contact.geom.pos[0] = p.x;
    contact.geom.pos[1] = p.y;
    contact.geom.pos[2] = p.z;
}

void CContact::setNormal(const Vector3& n)
{
    contact.geom.normal[0] = n.x;
    contact.geom.normal[1] = n.y;
    contact.geom.normal[2] = n.z;
}

void CContact::setDepth(float depth) { contact.geom.depth = depth; }

void CContact::setSoft(float kp, float kd, float h)
{
    const float denominator = h * kp + kd;
    if (!(denominator > 0.0f)) {
        printf("CContact::setSoft : no spring or damper (kp=%f kd=%f h=%f), contact stays hard\n", kp, kd, h);
        return;
    }
    // Flags, not a sum: preparing a contact twice leaves the same mode.
    contact.surface.mode |= dContactSoftERP | dContactSoftCFM;
    contact.surface.soft_erp = h * kp / denominator;
    contact.surface.soft_cfm = 1.0f / denominator;
}
