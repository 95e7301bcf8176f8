#include "car/car.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "car/car_internal.h"
#include "car/profiler.h"
#include "chassis/aero_device.h"
#include "chassis/suspension.h"

using namespace car_internal;

namespace {
int previousWholeKmh = 0;  // the sprint clock's crossing detector; one car per plug-in
}  // namespace

void CCar::stepPhysics(float dt)
{
    ProfileSection frame(profiler, "PHYSICFRAME");
    replayViewFlag = false;
    {
        ProfileSection section(profiler, "DRIVETRAIN");
        if (msSinceReset < kInputDelayMs) msSinceReset = static_cast<int>(dt * 1000.0f + msSinceReset);
        gearText = gearbox.getGearName();
        lapTimeText1 = lapTimer.currentText();
        lapTimeText2 = lapTimer.lastLapText();
        lapTimeText3 = lapTimer.bestLapText();
        updateVelocity(dt);
        consumeFuel(dt);
        odometer += static_cast<double>(dt) * speed;
        carEngine.running = fuel > 0;
        carEngine.lowFuel = fuel <= 0.1f;
        forwardSpeed = dot(matrix.zAxis(), velocity);
        automaticClutch();
        assistShift(dt);
        steering.update(0);
        stepDrivetrain(dt);
    }
    brakes.step(dt);
    stepAttachments(dt);
    applyDrag();
    stoppedFlag = speed < 2.0f;
    updateAttachments(dt);
    throttleInput = carEngine.getThrottleTarget();
    brakeInput = brakes.input;

    const uint64_t t0 = nowMs(system);
    {
        ProfileSection section(profiler, "COLLISION");
        collide();
    }
    for (int i = 0; i < 4; ++i) groundContact(i, dt);
    collisionMs = static_cast<int>(nowMs(system) - t0);

    for (CSuspension* unit : suspension)
        if (unit) unit->stepForces(dt);
    for (CSuspension* unit : suspension)
        if (unit) unit->recordLength(dt);
    checkBottoming(dt);
    for (int i = 0; i < 4; ++i) applyTyreForces(i, dt);
    updateInstruments(dt);

    // Wheel spin, for the eye: each wheel turns about its axle.
    if (speed > 0.01f)
        for (CWheel& wheel : wheels) wheel.rotateX(-dt * wheel.angularSpeed * 57.29578f);

    lapTimer.addTime(dt);
    stepHead(dt);
    checkParking();
    recordTelemetry(dt);
    stepSprintClock();

    if (dt != 0) localAcceleration = toBody(matrix, (velocity - prevVelocity) * (1.0f / dt));
    else localAcceleration = {0, 0, 0};
    prevVelocity = velocity;

    ProfileSection section(profiler, "REPLAY");
    stepReplay(dt);
}

void CCar::updateVelocity(float dt)
{
    const Vector3 v = CRigidBody::getVelocity();
    worldAcceleration = dt != 0 ? (v - velocity) * (1.0f / dt) : Vector3{0, 0, 0};
    velocity = v;
    localVelocity = toBody(matrix, v);
    speed = v.length();
}

void CCar::consumeFuel(float) {}

// Closes the clutch for the driver except when pulling away or stopping.
void CCar::automaticClutch()
{
    const unsigned g = gearbox.gear;  // 0 reverse, 1 neutral, 2 first
    const float r = static_cast<float>(carEngine.rpm);
    const float t = carEngine.getThrottleTarget();
    float& c = clutch.engagementTarget;
    if (!(shiftingFlag && shiftMode != 2)) {
        if ((g == 0 || g == 2) && speed < 3.0f) {
            if (r <= 2000) {
                c = 0;
            } else if (r < 5000) {
                if (t > 0.2f && clutch.isSlipping()) {
                    const float v = carEngine.outputTorque / (clutch.pressure * clutch.friction) * (r * 0.0002f);
                    c = v <= 0.8f ? v : 1.0f;
                } else {
                    c = 1.0f;
                }
            } else {
                c = 1.0f;
            }
        } else {
            c = r > 1100 ? 1.0f : 0.0f;
        }
    }
    if (g == 1) c = 0;
}

void CCar::assistShift(float)
{
    if (shiftMode != 2) return;
    const bool first = gearbox.gear == 2;
    if (gearbox.shiftState != 0 && !first) {
        clutch.engageRate = gearbox.shiftState == 1 ? 50.0f : 3.0f;
        clutch.engagementTarget = 0;
        carEngine.resetThrottle(gearbox.shiftState == 1 ? 0.0f : 0.3f);
    } else if (clutch.engagementTarget == 1.0f && clutch.engagement != 1.0f && !first) {
        carEngine.setThrottle(carEngine.getThrottleTarget() * clutch.engagement);
    }
}

void CCar::stepDrivetrain(float dt)
{
    stepCarExtras(dt);
    // The road torques are what the rear wheels' spin integration left in the
    // previous step: the drivetrain runs before this step's wheel step.
    const DrivenWheelFeedback back =
        runPowerPathStep(drivetrain, powerPath, dt, wheels[2].wheelTorque, wheels[3].wheelTorque);
    for (int k = 0; k < 2; ++k) {
        wheels[2 + k].angularSpeed = back.spinSpeed[k];
        wheels[2 + k].driveTorque = back.driveTorque[k];
    }
}

void CCar::stepAttachments(float) {}

void CCar::stepCarExtras(float) {}

void CCar::applyDrag()
{
    const float f = frontalArea * speed * speed * 0.5105f * dragCoefficient;
    dragForce = f;
    if (body && speed > 0) {
        const Vector3 force = velocity * (-f / speed);
        dBodyAddForce(body, force.x, force.y, force.z);
    }
}

void CCar::updateAttachments(float dt)
{
    for (CAeroDevice* device : aeroDevices) device->step(dt);
}

void CCar::updateInstruments(float) {}

void CCar::stepHead(float)
{
    if (!headBody.body || !body) return;
    const Vector3 anchor = matrix.transformPoint(headOffset);
    const Vector3 d = headBody.getPosition() - anchor;
    const Vector3 r = headBody.CRigidBody::getVelocity() - CRigidBody::getVelocity();
    const Vector3 force = d * 12000.0f + r * 376.0f;
    if (std::isnan(force.x) || std::isnan(force.y) || std::isnan(force.z)) {
        std::printf("NAN!!!!\n");
        headBody.setLinearVelocity(CRigidBody::getVelocity());
        headBody.setAngularVelocity({0, 0, 0});
        return;
    }
    dBodyAddForce(headBody.body, -force.x, -force.y, -force.z);
    // The head keeps half of its sideways swing.
    Vector3 local = toBody(matrix, headBody.getPosition() - getPosition());
    local.x = (local.x + headOffset.x) * 0.5f;
    const Vector3 back = matrix.transformPoint(local);
    dBodySetPosition(headBody.body, back.x, back.y, back.z);
}

void CCar::checkParking()
{
    // The throttle in gear keeps the car free to pull away, but only an
    // engine that runs can: with a dry tank or a stalled engine it parks.
    if (carEngine.running && carEngine.getThrottleTarget() >= 0.1f && gearbox.gear != 1) {
        parkedFrames = 0;
        return;
    }
    if (speed >= 0.5f) {
        parkedFrames = 0;
        return;
    }
    if (++parkedFrames >= kParkedSteps) {
        CRigidBody::setLinearVelocity({0, 0, 0});
        CRigidBody::setAngularVelocity({0, 0, 0});
    }
}

void CCar::stepSprintClock()
{
    const int k = static_cast<int>(speed * 3.6f);
    if (k >= 2 && previousWholeKmh < 2) lapTimer.startSprint();
    if (k >= 100 && previousWholeKmh < 100) lapTimer.stopSprint();
    previousWholeKmh = k;
}

void CCar::syncFrames()
{
    sync();
    for (CSuspension* unit : suspension) {
        if (!unit) continue;
        unit->sync();
        unit->updateFrames();
    }
    headBody.sync();
}
