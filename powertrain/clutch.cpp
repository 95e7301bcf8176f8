#include "powertrain/clutch.h"

#include <algorithm>
#include <cmath>

#include "powertrain/drivetrain.h"

namespace {
constexpr int kEngineFaster = 0;
constexpr int kGearboxFaster = 1;
constexpr int kLockedOrIdle = 2;
// A slipping clutch locks below the first, a locked one breaks away at the
// second.
constexpr float kLockSlip = 0.0025f;
constexpr float kBreakAwaySlip = 0.225f;
// Below this speed difference (rad/s) a locked clutch leaves the sides alone.
constexpr float kEqualiseTolerance = 0.01f;

// Zero, or not a number: a side whose speed cannot be compared.
bool standing(float s) { return s == 0.0f || std::isnan(s); }
}  // namespace

bool CClutch::isSlipping()
{
    if (engagement != 1.0f) return true;
    if (standing(inputSpeed) || standing(outputSpeed))
        return !(standing(inputSpeed) && standing(outputSpeed));
    const float q = inputSpeed >= outputSpeed ? inputSpeed / outputSpeed : outputSpeed / inputSpeed;
    slipRatio = std::fabs(q) - 1.0f;
    slipSpeed = std::fabs(inputSpeed - outputSpeed);
    return slipRatio >= slipThreshold;
}

void CClutch::equaliseSpeeds()
{
    const float mean = (inputSpeed + outputSpeed) * 0.5f;
    input()->setSpeed(this, mean);
    output()->setSpeed(this, mean);
}

void CClutch::step(float dt)
{
    if (engagementTarget > engagement) {
        const float next = engagement + dt * engageRate;
        engagement = next >= engagementTarget ? engagementTarget : next;
    } else if (engagementTarget < engagement) {
        engagement = engagementTarget;
    }
    engagement = std::clamp(engagement, 0.0f, 1.0f);

    CGearNode* in = input();
    CGearNode* out = output();
    if (!in || !out) return;
    inputSpeed = in->getSpeed(this);
    outputSpeed = out->getSpeed(this);

    if (!isSlipping()) {
        if (std::fabs(inputSpeed - outputSpeed) > kEqualiseTolerance) equaliseSpeeds();
        state = kLockedOrIdle;
        slipThreshold = kBreakAwaySlip;
        return;
    }

    const float torque = clutchTorque();
    if (inputSpeed > outputSpeed && engagement != 0.0f) {
        if (state == kGearboxFaster) {
            // The slip has reversed: meet in the middle rather than let the
            // friction torque push the sides past each other again.
            equaliseSpeeds();
            slipThreshold = kBreakAwaySlip;
        } else {
            queueOwnTorque(-torque, kTorqueTagClutchInput);
            queueOwnTorque(torque, kTorqueTagClutchOutput);
            slipThreshold = kLockSlip;
        }
        state = kEngineFaster;
        return;
    }
    if (!(outputSpeed > inputSpeed) || engagement == 0.0f) {
        // Equal, incomparable (a neutral gearbox) or disengaged.
        state = kLockedOrIdle;
        return;
    }
    if (state == kEngineFaster) {
        equaliseSpeeds();
        slipThreshold = kBreakAwaySlip;
    } else {
        queueOwnTorque(torque, kTorqueTagClutchInput);
        queueOwnTorque(-torque, kTorqueTagClutchOutput);
        slipThreshold = kLockSlip;
    }
    state = kGearboxFaster;
}

float CClutch::getInertia(CGearNode* from, float ratio)
{
    // Slipping, the clutch stands alone. Its inertia is scaled by ratio² like
    // every other node, so lookups from the wheel side see it in proportion.
    if (isSlipping()) return ratio * ratio * inertia;
    return CGearNode::getInertia(from, ratio);
}

void CClutch::addTorque(CGearNode* from, float torque, float dt, int tag)
{
    CGearNode* in = input();
    CGearNode* out = output();
    if (isSlipping()) {
        // Its own queued torques go to the side the tag names; torques from
        // either side only move that side's speed as the clutch sees it.
        if (from == in) {
            inputSpeed += torque / getInertia(from, 1.0f) * dt;
        } else if (from == out) {
            outputSpeed += torque / getInertia(from, 1.0f) * dt;
        } else if (from == this) {
            if (tag == kTorqueTagClutchInput && in) in->addTorque(this, torque, dt, kTorqueTagClutchInput);
            if (tag == kTorqueTagClutchOutput && out) out->addTorque(this, torque, dt, kTorqueTagClutchOutput);
        }
        return;
    }
    if (from == this) return;  // a locked clutch carries no friction torque
    CGearNode::addTorque(from, torque, dt, kTorqueTagOrdinary);
    if (in && out) {
        inputSpeed = in->getSpeed(this);
        outputSpeed = out->getSpeed(this);
    }
}
