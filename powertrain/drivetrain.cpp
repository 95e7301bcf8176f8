#include "powertrain/drivetrain.h"

#include "powertrain/gear_link.h"
#include "powertrain/gear_node.h"

CDrivetrain::~CDrivetrain()
{
    for (CGearLink* link : links) delete link;
}

void CDrivetrain::connect(CGearNode* a, CGearNode* b)
{
    CGearLink* link = new CGearLink(a, b);
    a->addLink(link);
    b->addLink(link);
    links.push_back(link);
}

void CDrivetrain::queueTorque(CGearNode* node, float torque, int tag)
{
    queue.emplace_back(node, torque, tag);
}

void CDrivetrain::applyQueuedTorques(float dt)
{
    // By index and by copy: a node could queue while being driven, which
    // would move the queue's storage under a reference.
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const TorqueRequest request = queue[i];
        request.node->addTorque(request.node, request.torque, dt, request.tag);
    }
    queue.clear();
}
