#include "powertrain/gearbox.h"

#include "powertrain/shift_listener.h"

namespace {
constexpr int kShiftNone = 0;
constexpr int kShiftingUp = 1;
constexpr int kShiftingDown = 2;
}  // namespace

void CGearbox::addGear(float num, float den, const std::string& name)
{
    gearNumerators.push_back(num);
    gearDenominators.push_back(den);
    gearNames.push_back(name);
}

void CGearbox::applySelectedRatio()
{
    if (gear < gearNumerators.size()) setRatio(gearNumerators[gear], gearDenominators[gear]);
}

void CGearbox::selectNextGear()
{
    if (gear + 1 < gearNumerators.size()) ++gear;
    applySelectedRatio();
}

void CGearbox::shiftUp()
{
    if (shiftState != kShiftNone) return;
    if (gear + 1 < gearNumerators.size()) ++gear;
    beginShift(kShiftingUp);
}

void CGearbox::shiftDown()
{
    if (shiftState != kShiftNone) return;
    if (gear > 0) --gear;
    beginShift(kShiftingDown);
}

void CGearbox::beginShift(int state)
{
    applySelectedRatio();
    // Offer the engine side the speed that matches the new gear; a clutch in
    // between declines it and lets its own slip settle the difference.
    CGearNode* in = input();
    CGearNode* out = output();
    if (in && out) in->setSpeed(this, inPerOut * out->getSpeed(this));
    shiftState = state;
    shiftTimer = 0.0f;
    if (shiftListener) shiftListener->shiftStarted();
}

void CGearbox::step(float dt)
{
    if (shiftState == kShiftNone) return;
    shiftTimer += dt;
    if (shiftTimer >= shiftTime) {
        shiftState = kShiftNone;
        if (shiftListener) shiftListener->shiftFinished();
    }
}

float CGearbox::getInertia(CGearNode* from, float ratio)
{
    return inGear() ? CRatioNode::getInertia(from, ratio) : 0.0f;
}

void CGearbox::addTorque(CGearNode* from, float torque, float dt, int tag)
{
    if (inGear()) CRatioNode::addTorque(from, torque, dt, tag);
}

std::string CGearbox::getGearName() const
{
    return gear < gearNames.size() ? gearNames[gear] : std::string();
}
