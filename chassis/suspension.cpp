#include "chassis/suspension.h"

#include "chassis/anti_roll_bar.h"
#include "chassis/wheel.h"

CSuspension::~CSuspension()
{
    if (antiRoll) antiRoll->disconnect(this);
}

void CSuspension::reset(const Vector3&, const Vector3&) {}

void CSuspension::setChassis(CRigidBody* body) { chassis = body; }

void CSuspension::attachToCar(CRigidBody* carBody, CPhysicsWorld* physicsWorld, CWheel* unitWheel,
                              const int* parkedCounter)
{
    setChassis(carBody);
    // Remembered here, used by build: the body exists only once it is built.
    world = physicsWorld;
    wheel = unitWheel;
    if (wheel) wheel->attachSuspension(this);
    parkedFrames = parkedCounter;
}
