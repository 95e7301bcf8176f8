#pragma once
// A differential whose coupling stiffens with the drive torque: a base
// strength of 20 N·m always, plus a share of the drive torque set by one of
// five lock settings. On the overrun only the base strength acts. No preload
// ramps and no clutch-pack wear.

#include "powertrain/differential.h"

class CLimitedSlipDifferential : public CDifferential {
public:
    using CDifferential::CDifferential;

    void addTorque(CGearNode* from, float torque, float dt, int tag) override;

    float torqueGain = 0.1f;
    float lockFactors[5] = {0.8f, 0.65f, 0.5f, 0.35f, 0.2f};
    int lockSetting = 1;  // index into lockFactors, 0…4
};
