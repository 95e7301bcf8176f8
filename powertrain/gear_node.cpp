#include "powertrain/gear_node.h"

#include <cstdio>

#include "powertrain/drivetrain.h"
#include "powertrain/gear_link.h"

float CGearNode::getSpeed(CGearNode*) { return speed; }

void CGearNode::setSpeed(CGearNode* from, float s)
{
    speed = s;
    for (CGearLink* link : links) {
        CGearNode* n = link->other(this);
        if (n != from) n->setSpeed(this, s);
    }
}

void CGearNode::step(float) {}

float CGearNode::getInertia(CGearNode* from, float ratio)
{
    float sum = ratio * ratio * inertia;
    for (CGearLink* link : links) {
        CGearNode* n = link->other(this);
        if (n != from) sum += n->getInertia(this, ratio);
    }
    return sum;
}

void CGearNode::addTorque(CGearNode* from, float torque, float dt, int)
{
    lastTorque = torque;
    spreadTorque(from, torque, dt);
}

void CGearNode::spreadTorque(CGearNode* from, float torque, float dt)
{
    const float total = getInertia(from, 1.0f);
    const float accel = torque / total;
    speed += accel * dt;
    // Each neighbour gets the share that gives its subtree the same
    // acceleration as this node; whatever tag came in stops here.
    for (CGearLink* link : links) {
        CGearNode* n = link->other(this);
        if (n == from) continue;
        const float beyond = n->getInertia(this, 1.0f);
        n->addTorque(this, torque - (total - beyond) * accel, dt, 0);
    }
}

void CGearNode::addLink(CGearLink* link)
{
    if (link->nodeA != this && link->nodeB != this)
        std::printf("CGearNode::addLink() error, link doesn't contain node\n");
    links.push_back(link);  // libstdc++ grows by max(size, 1), as the graph expects
}

CGearNode* CGearNode::neighbour(unsigned index) const
{
    return index < links.size() ? links[index]->other(this) : nullptr;
}

void CGearNode::queueOwnTorque(float torque, int tag)
{
    if (!drivetrain) {
        std::printf("CGearNode: no drivetrain, torque %f dropped\n", torque);
        return;
    }
    drivetrain->queueTorque(this, torque, tag);
}
