#include "powertrain/differential.h"

#include <cmath>
#include <cstdio>

#include "powertrain/drivetrain.h"
#include "powertrain/gear_link.h"

namespace {
// Speed difference (rad/s) at which the coupling gives half its strength.
constexpr float kCouplingHalfSlip = 3.0f;
}  // namespace

void CDifferential::setSpeed(CGearNode* from, float s)
{
    if (from != input()) {
        std::printf("**** ERROR: forceSpeed from wheels **** \n");
        return;
    }
    const float delta = s - speed;
    speed = s;
    // Written straight into the wheels: the shift in speed passes no further.
    if (CGearNode* a = wheelA()) a->speed += delta;
    if (CGearNode* b = wheelB()) b->speed += delta;
}

float CDifferential::getInertia(CGearNode* from, float ratio)
{
    // Seen from one wheel, the other wheel and the drive side are free to
    // turn against it: only the housing counts.
    if (from && from != input()) return inertia;
    return CGearNode::getInertia(from, ratio);
}

void CDifferential::addTorque(CGearNode* from, float torque, float dt, int tag)
{
    if (from == input() && from) spreadTorque(from, torque, dt);
    if (tag == kTorqueTagRoadA) {
        heldRoadTorque = torque;
    } else if (tag == kTorqueTagRoadB) {
        splitRoadTorques(heldRoadTorque, torque, dt);
    }
}

void CDifferential::splitRoadTorques(float torqueA, float torqueB, float dt)
{
    CGearNode* in = input();
    CGearNode* a = wheelA();
    CGearNode* b = wheelB();
    if (!in || !a || !b) return;

    // The sum of the two drives the whole assembly; the difference turns the
    // wheels against each other, half to each. Together they hand on exactly
    // the torque the road put on the wheels. (Taking only twice the smaller
    // of two like torques as the common part, and none for unlike ones,
    // dropped the rest of the road's drag: with the wheels chattering
    // against each other at a crawl, that lost drag let the tyres push a
    // car with no engine on for ever.)
    const float difference = torqueA - torqueB;
    const float common = torqueA + torqueB;

    const float total = getInertia(nullptr, 1.0f);
    const float accel = common / total;
    speed += accel * dt;
    for (CGearNode* n : {in, a, b}) {
        const float beyond = n->getInertia(this, 1.0f);
        n->addTorque(this, common - (total - beyond) * accel, dt, 0);
    }
    a->addTorque(this, 0.5f * difference, dt, 0);
    b->addTorque(this, -0.5f * difference, dt, 0);
}

void CDifferential::step(float dt) { lockStep(dt); }

void CDifferential::lockStep(float dt)
{
    CGearNode* a = wheelA();
    CGearNode* b = wheelB();
    if (!a || !b) return;
    const float speedA = a->speed;
    const float speedB = b->speed;
    const float mean = (speedA + speedB) * 0.5f;
    const float dA = speedA - mean;
    const float dB = speedB - mean;
    a->addTorque(this, -0.5f * dA * viscousCoeff / (std::fabs(dA) + kCouplingHalfSlip), dt, 0);
    b->addTorque(this, -0.5f * dB * viscousCoeff / (std::fabs(dB) + kCouplingHalfSlip), dt, 0);
}
