#include "powertrain/drivetrain_topology.h"

#include <cstdio>

#include "powertrain/clutch.h"
#include "powertrain/differential.h"
#include "powertrain/drivetrain.h"
#include "powertrain/engine.h"
#include "powertrain/gearbox.h"
#include "powertrain/ratio_node.h"

namespace {
bool complete(const DrivetrainParts& p)
{
    return p.engine && p.clutch && p.gearbox && p.finalDrive && p.differential && p.drivenWheelA &&
           p.drivenWheelB;
}
}  // namespace

void connectPowerPath(CDrivetrain& drivetrain, const DrivetrainParts& p)
{
    if (!complete(p)) {
        std::printf("connectPowerPath : a drivetrain part is missing, nothing connected\n");
        return;
    }
    // Link 0 of every node must face the engine and the differential's links
    // 1 and 2 must be wheels A and B: this order gives exactly that.
    drivetrain.connect(p.engine, p.clutch);
    drivetrain.connect(p.clutch, p.gearbox);
    drivetrain.connect(p.gearbox, p.finalDrive);
    drivetrain.connect(p.finalDrive, p.differential);
    drivetrain.connect(p.differential, p.drivenWheelA);
    drivetrain.connect(p.differential, p.drivenWheelB);
}

DrivenWheelFeedback runPowerPathStep(CDrivetrain& drivetrain, const DrivetrainParts& p, float dt,
                                     float roadTorqueA, float roadTorqueB)
{
    DrivenWheelFeedback out;
    if (!complete(p)) return out;

    p.engine->step(dt);
    p.clutch->step(dt);
    p.gearbox->step(dt);
    // The wheel step runs after this one, so the road torques are those of
    // the previous physics step. A wheel's wheelTorque slows the wheel when
    // positive; the drivetrain takes torques as accelerating, hence the
    // negation.
    drivetrain.queueTorque(p.differential, -roadTorqueA, kTorqueTagRoadA);
    drivetrain.queueTorque(p.differential, -roadTorqueB, kTorqueTagRoadB);
    drivetrain.applyQueuedTorques(dt);
    p.differential->step(dt);

    out.spinSpeed = {p.drivenWheelA->speed, p.drivenWheelB->speed};
    out.driveTorque = {p.drivenWheelA->lastTorque, p.drivenWheelB->lastTorque};
    return out;
}
