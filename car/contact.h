#pragma once
// One contact for the physics world: ODE's contact record (surface, contact
// point, first friction direction) filled the way the car's contacts need
// it. Frictionless by default: the tyres give the grip, the contact only
// holds the body up. Finding contacts is the caller's business.

#include <ode/ode.h>

#include "chassis/vector3.h"

class CContact {
public:
    // Second friction coefficient and bounce enabled (mode 5), both friction
    // coefficients, bounce, bounce velocity, motion and slip 0; zero point,
    // normal, depth and friction direction.
    CContact();

    void setPosition(const Vector3& p);  // world contact point, m
    void setNormal(const Vector3& n);    // world normal, pushing body 1 out
    void setDepth(float depth);          // penetration along the normal, m

    // Makes the contact a spring of kp N/m and a damper of kd N·s/m over a
    // step of h seconds: ERP = h·kp / (h·kp + kd), CFM = 1 / (h·kp + kd), and
    // the soft ERP and CFM flags (24) join the mode.
    void setSoft(float kp, float kd, float h);

    dContact contact;
};
