#include "powertrain/ratio_node.h"

#include "powertrain/gear_link.h"

void CRatioNode::setRatio(float num, float den)
{
    numerator = num;
    denominator = den;
    inPerOut = num / den;
    outPerIn = den / num;
}

float CRatioNode::getSpeed(CGearNode* from)
{
    CGearNode* in = input();
    CGearNode* out = output();
    if (!in || !out) return speed;  // not wired in: only its own speed is known
    if (from == in) return out->getSpeed(this) * inPerOut;
    return in->getSpeed(this) * outPerIn;
}

void CRatioNode::setSpeed(CGearNode* from, float s)
{
    CGearNode* in = input();
    CGearNode* out = output();
    if (!in || !out) return;
    if (from == in)
        out->setSpeed(this, s * outPerIn);
    else
        in->setSpeed(this, s * inPerOut);
}

float CRatioNode::getInertia(CGearNode* from, float ratio)
{
    const float onward = ratio * ratioAwayFrom(from);
    float sum = ratio * ratio * inertia;
    for (CGearLink* link : links) {
        CGearNode* n = link->other(this);
        if (n != from) sum += n->getInertia(this, onward);
    }
    return sum;
}

void CRatioNode::addTorque(CGearNode* from, float torque, float dt, int)
{
    const float total = getInertia(from, 1.0f);
    const float accel = torque / total;
    speed += accel * dt;
    const float q = ratioAwayFrom(from);
    for (CGearLink* link : links) {
        CGearNode* n = link->other(this);
        if (n == from) continue;
        const float beyond = n->getInertia(this, 1.0f);
        n->addTorque(this, (torque - (total - beyond) * accel) * q, dt, 0);
    }
}
