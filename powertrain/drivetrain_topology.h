#pragma once
// The car's power path laid out on the drivetrain graph: engine, clutch,
// gearbox, final drive, differential and the two driven wheels, wired in the
// one order every node kind relies on, and the per-step run that moves torque
// through it. The wheels' own spin, tyres and brakes stay with the wheels:
// they meet the drivetrain only through a road torque in and a speed and
// drive torque out.

#include <array>

class CClutch;
class CDifferential;
class CDrivetrain;
class CEngine;
class CGearNode;
class CGearbox;
class CRatioNode;

// The nodes that make up the power path; the car owns them.
struct DrivetrainParts {
    CEngine* engine = nullptr;
    CClutch* clutch = nullptr;
    CGearbox* gearbox = nullptr;
    CRatioNode* finalDrive = nullptr;
    CDifferential* differential = nullptr;
    CGearNode* drivenWheelA = nullptr;  // stands for the car's wheel 2 (rear left)
    CGearNode* drivenWheelB = nullptr;  // stands for the car's wheel 3 (rear right)
};

// What the step hands back to the two driven wheels, index 0 for wheel A.
struct DrivenWheelFeedback {
    std::array<float, 2> spinSpeed{};    // rad/s, becomes the wheel's angular speed
    std::array<float, 2> driveTorque{};  // N·m, the wheel node's latest torque
};

// Connects the parts in the fixed order engine–clutch, clutch–gearbox,
// gearbox–final drive, final drive–differential, differential–wheel A,
// differential–wheel B. Refuses, with a message, when a part is missing.
void connectPowerPath(CDrivetrain& drivetrain, const DrivetrainParts& parts);

// One drivetrain step of dt seconds, run before the wheels' own step. The
// road torques are the wheels' `wheelTorque` (tyre force · radius, brake and
// rolling resistance) as their spin integration left it in the previous
// physics step; positive values slow the wheel down.
DrivenWheelFeedback runPowerPathStep(CDrivetrain& drivetrain, const DrivetrainParts& parts, float dt,
                                     float roadTorqueA, float roadTorqueB);
