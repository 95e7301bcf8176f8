#pragma once
// A rotating part of the drivetrain tree: angular speed, own inertia and the
// links to its neighbours. A torque applied to a node accelerates everything
// rigidly joined to it as one body; a speed imposed on it spreads to its
// neighbours. Friction, compliance and backlash are not modelled; the graph
// must stay a tree, since every walk only skips the neighbour it came from.

#include <vector>

class CDrivetrain;
class CGearLink;

class CGearNode {
public:
    // A node made without a drivetrain still takes part in speed, inertia and
    // torque walks but cannot queue torques of its own.
    explicit CGearNode(CDrivetrain* owner = nullptr) : drivetrain(owner) {}
    CGearNode(const CGearNode&) = delete;
    CGearNode& operator=(const CGearNode&) = delete;

    // `from` is the neighbour making the call, or any other node (usually the
    // node itself) when the call comes from outside the walk.
    virtual float getSpeed(CGearNode* from);                       // rad/s
    virtual void setSpeed(CGearNode* from, float speed);           // rad/s
    virtual void step(float dt);                                   // s
    // Inertia (kg·m²) of this node and everything beyond it away from
    // `from`, each part seen through `ratio` (its speed per unit of the
    // caller's speed), so a part counts ratio² times its own inertia.
    virtual float getInertia(CGearNode* from, float ratio);
    // Accelerates this node's side of the tree by torque (N·m) over dt (s).
    // `tag` marks torques that some node kinds treat specially.
    virtual void addTorque(CGearNode* from, float torque, float dt, int tag);
    virtual ~CGearNode() = default;  // the links belong to the drivetrain

    // Appends the link even when it does not name this node, after saying so.
    void addLink(CGearLink* link);
    // The node at the far end of link `index`, or null when there is none.
    CGearNode* neighbour(unsigned index) const;

    float speed = 0.0f;    // rad/s
    float inertia = 1.0f;  // kg·m², this part alone
    std::vector<CGearLink*> links;  // in the order added; link 0 is the input side
    CDrivetrain* drivetrain;
    float lastTorque = 0.0f;  // N·m, the torque of the latest addTorque

protected:
    // Puts a torque on this node into the drivetrain's queue.
    void queueOwnTorque(float torque, int tag);
    // Accelerates this node and everything reachable from it away from
    // `from`, handing each neighbour the share that keeps its subtree at the
    // same angular acceleration.
    void spreadTorque(CGearNode* from, float torque, float dt);
};
