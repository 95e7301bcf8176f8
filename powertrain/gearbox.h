#pragma once
// The gearbox: a ratio node whose ratio is the selected gear's. A neutral gear
// (a zero numerator or denominator) cuts the path: it carries no inertia and
// no torque. Shifts take effect at once; the timed shift only marks the
// interval in which the shift listener is told a change is under way. No
// synchromesh, no missed shifts.

#include <string>
#include <vector>

#include "powertrain/ratio_node.h"

class IShiftListener;

class CGearbox : public CRatioNode {
public:
    using CRatioNode::CRatioNode;

    void step(float dt) override;  // s
    float getInertia(CGearNode* from, float ratio) override;
    void addTorque(CGearNode* from, float torque, float dt, int tag) override;

    void addGear(float numerator, float denominator, const std::string& name);
    // Start a timed shift; ignored while one is under way. At either end of
    // the list the gear stays but the timed shift still runs.
    void shiftUp();
    void shiftDown();
    // One gear up with no timer, state or listener: for setting the car up.
    void selectNextGear();
    std::string getGearName() const;
    void setShiftListener(IShiftListener* listener) { shiftListener = listener; }
    bool inGear() const { return numerator != 0.0f && denominator != 0.0f; }

    std::vector<float> gearNumerators;
    std::vector<float> gearDenominators;
    std::vector<std::string> gearNames;
    unsigned gear = 0;  // index into the gear lists
    int shiftState = 0;  // 0 none, 1 shifting up, 2 shifting down
    float shiftTime = 0.05f;  // s
    float shiftTimer = 0.0f;  // s since the shift began
    IShiftListener* shiftListener = nullptr;

private:
    void beginShift(int state);
    void applySelectedRatio();
};
