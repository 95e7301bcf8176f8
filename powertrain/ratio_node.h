#pragma once
// A fixed gear pair between an input shaft (link 0, towards the engine) and an
// output shaft (link 1, towards the wheels): speeds, inertias and torques are
// converted through the ratio as they cross it. Lossless; the node's own
// inertia counts on whichever side the walk comes from. Serves as the final
// drive and as the base of the gearbox.

#include "powertrain/gear_node.h"

class CRatioNode : public CGearNode {
public:
    using CGearNode::CGearNode;

    float getSpeed(CGearNode* from) override;
    void setSpeed(CGearNode* from, float speed) override;
    float getInertia(CGearNode* from, float ratio) override;
    // Does not record lastTorque.
    void addTorque(CGearNode* from, float torque, float dt, int tag) override;

    // Input turns numerator / denominator times as fast as output. 0/0 (a
    // neutral gear) makes both quotients not-a-number.
    void setRatio(float numerator, float denominator);

    float numerator = 1.0f;
    float denominator = 1.0f;
    float inPerOut = 1.0f;  // input speed per unit of output speed
    float outPerIn = 1.0f;

protected:
    CGearNode* input() const { return neighbour(0); }
    CGearNode* output() const { return neighbour(1); }
    // Speed of a neighbour per unit of the speed on `from`'s side.
    float ratioAwayFrom(const CGearNode* from) const { return from == input() ? outPerIn : inPerOut; }
};
