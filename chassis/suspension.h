#pragma once
// One corner's suspension as the car sees it: the hub body that carries the
// wheel and touches the ground (this body), the spring and damper rates, the
// chassis it hangs on and the anti-roll bar it may share with the other side.
// The linkage, the force laws and the drawing belong to the concrete unit;
// the ground query and the tyre forces are the car's.

#include "car/track.h"
#include "chassis/rigid_body.h"
#include "chassis/vector3.h"

class CAntiRollBar;
class CPhysicsWorld;
class CWheel;

class CSuspension : public CRigidBody {
public:
    CSuspension() = default;
    // Leaves the bodies and joints to the world; cuts the unit out of its bar.
    ~CSuspension() override;

    // Virtual operations, in table order after the body's.
    virtual float getUnsprungMass() = 0;  // kg moving with the wheel
    // Puts the moving parts back at their design place on the chassis, which
    // the car has already moved to the reset position and direction; the
    // base unit has nothing to place.
    virtual void reset(const Vector3& position, const Vector3& direction);
    virtual void setParam(int id, float value) = 0;
    virtual void setParamVector(int id, const Vector3& v) = 0;  // a point in chassis coordinates, m
    virtual void unusedOperation() = 0;  // kept for the table; nothing calls it
    // Creates the bodies and joints once the parameters and chassis are set.
    virtual void build() = 0;
    virtual void stepForces(float dt) = 0;  // dt in s
    virtual float getRestLength() = 0;      // m, the length recordLength kept
    virtual void recordLength(float dt) = 0;
    virtual void updateFrames() = 0;  // copies the moving parts' poses into their frames
    virtual void setChassis(CRigidBody* body);

    // Hangs the unit on the car: the car body it is mounted on, the world that
    // build creates the unit's bodies in, the wheel it carries (which is told
    // about its unit too) and the car's count of parked steps (may be null:
    // never parked). Nothing is created here; the car may not be placed yet.
    void attachToCar(CRigidBody* carBody, CPhysicsWorld* physicsWorld, CWheel* unitWheel,
                     const int* parkedCounter);

    float springRate = 30000.0f;     // N/m
    float dampExtension = 0.0f;      // N·s/m while the spring lengthens
    float dampCompression = 0.0f;    // N·s/m while the spring shortens
    CRigidBody* chassis = nullptr;   // the car body, not owned
    float deflection = 0.0f;         // spring length − rest length of the last step, m
    bool compressing = false;        // the last damper velocity was negative
    CAntiRollBar* antiRoll = nullptr;  // shared with the opposite unit, not owned

    CWheel* wheel = nullptr;            // the wheel this unit carries, not owned
    const int* parkedFrames = nullptr;  // the car's parked-step counter; not 0 halves the damper

    // The ground contact's memory, kept on the wheel body between steps.
    const TrackSurface* lastSurface = nullptr;  // surface of the last ground hit
    float groundHeight = 0.0f;                  // world y of the last ground point, m
    GroundQueryCache queryCache;                // handed back to the track with every query
    Vector3 contactPoint{0, 0, 0};              // world tyre contact point, m
    float penetration = 0.0f;                   // probe depth below the ground along its normal, m
};
