#pragma once
// The one concrete car of this plug-in: a mid-size rear-driven sports car. It
// sets the car's parameters and overrides the few steps that are its own. This
// version carries its identity, its setup record and its skin name, and writes
// its power curve into its own folder when destroyed.

#include <string>

#include "car/car.h"
#include "services/setup_data.h"

class CSolvi : public CCar {
public:
    CSolvi();
    ~CSolvi() override;

    void setSkinName(std::string name) override;
    float getConstant() override;

    CSetupData setupData;
    std::string skinName;
};
