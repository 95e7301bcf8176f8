#pragma once
// The differential between the final drive (link 0) and the two driven wheels
// (links 1 and 2). Drive torque accelerates the whole assembly; the wheels'
// road torques split into a common part, which acts like a drive torque, and
// a difference that turns the wheels against each other. A viscous coupling
// pulls the two wheel speeds together. No gear inertia inside, no friction.

#include "powertrain/gear_node.h"

class CDifferential : public CGearNode {
public:
    using CGearNode::CGearNode;

    // Only the final drive may impose a speed; both wheels keep their
    // difference.
    void setSpeed(CGearNode* from, float speed) override;
    void step(float dt) override;  // s
    float getInertia(CGearNode* from, float ratio) override;
    void addTorque(CGearNode* from, float torque, float dt, int tag) override;
    // The viscous coupling: equal and opposite wheel torques that grow with
    // the wheels' speed difference and saturate at viscousCoeff / 2.
    virtual void lockStep(float dt);

    float heldRoadTorque = 0.0f;  // N·m, first wheel's, until the second's arrives
    float viscousCoeff = 0.0f;    // N·m, coupling strength

protected:
    CGearNode* input() const { return neighbour(0); }
    CGearNode* wheelA() const { return neighbour(1); }
    CGearNode* wheelB() const { return neighbour(2); }

private:
    void splitRoadTorques(float torqueA, float torqueB, float dt);
};
