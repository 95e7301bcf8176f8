#pragma once
// The clutch between the engine (link 0) and the gearbox (link 1). Engaged and
// gripping, it joins both sides into one body; slipping, it decouples them
// and transmits a friction torque proportional to its engagement, queued as a
// pair of equal and opposite torques. Lock and break-away use two slip
// thresholds for hysteresis; when the slip changes direction the two sides
// are set to their mean speed. No wear, heat or judder.

#include "powertrain/gear_node.h"

class CClutch : public CGearNode {
public:
    using CGearNode::CGearNode;

    // The clutch ignores imposed speeds; it settles them itself in step.
    void setSpeed(CGearNode*, float) override {}
    void step(float dt) override;  // s
    float getInertia(CGearNode* from, float ratio) override;
    void addTorque(CGearNode* from, float torque, float dt, int tag) override;

    // True unless fully engaged with a relative slip below slipThreshold.
    // Records slipRatio and slipSpeed when it compares the two sides.
    bool isSlipping();
    // Friction torque at the present engagement, N·m.
    float clutchTorque() const { return pressure * friction * engagement; }

    float friction = 0.5f;
    float pressure = 1200.0f;  // N·m at full engagement, before friction
    float slipThreshold = 0.025f;  // relative slip
    float inputSpeed = 0.0f;   // rad/s, engine side
    float outputSpeed = 0.0f;  // rad/s, gearbox side seen on the engine side
    float engagementTarget = 0.0f;  // 0 pedal down … 1 released
    int state = 2;  // 0 engine side faster, 1 gearbox side faster, 2 locked or idle
    float engagement = 0.0f;  // 0…1
    float engageRate = 3.0f;  // engagement per second
    float slipSpeed = 0.0f;   // rad/s
    float slipRatio = 0.0f;

private:
    CGearNode* input() const { return neighbour(0); }
    CGearNode* output() const { return neighbour(1); }
    void equaliseSpeeds();
};
