#pragma once
// One corner of the car: the wheel's spin about its axle, its tyre and the
// tread's temperature, wear, dirt and flat spot. Slip comes from the contact
// velocity the ground contact fills in; the tyre turns slip into forces; the
// step integrates spin from tyre, rolling-resistance and brake torques.
// Drive torque is not integrated here: the drivetrain exchanges torque and
// speed with the driven wheels itself. Applying the tyre force to the wheel
// body is the car's business.

#include "chassis/curve.h"
#include "chassis/thermal_body.h"
#include "chassis/tyre.h"
#include "chassis/vector3.h"
#include "graphics/scene_frame.h"

class CCar;
class CSuspension;

class CWheel : public CSceneFrame, public CThermalBody {
public:
    CWheel();
    ~CWheel() override;

    // One physics step: dt in seconds, ambientTemperature in °C (the car
    // passes 26), carSpeed in m/s (the car's speed; scales the heat input).
    // The contact inputs below must be current.
    void step(float dt, float ambientTemperature, float carSpeed);
    // The spin part of step: adds the tyre's torque and the brake, lets the
    // brake hold or fade near standstill, and advances angularSpeed.
    void integrateSpin(float dt);

    // inertia = (sum of partMasses) · radius² · 0.5, and says so.
    void computeInertia();
    float getRpm() const;  // rev/min, signed like angularSpeed

    void setContactVelocity(const Vector3& v) { contactVelocity = v; }
    // The car whose speed sets the step's thresholds; without one the
    // step's carSpeed stands in for it.
    void attachCar(CCar* owner) { car = owner; }
    // The suspension unit carrying this wheel; the step itself reads nothing
    // from it.
    void attachSuspension(CSuspension* unit) { suspension = unit; }

    // Spin.
    float radius = 0.288f;       // rolling radius, m (hides the frame's mesh radius)
    float inertia = 1.06f;       // spin inertia about the axle, kg·m²
    float angularSpeed = 0.0f;   // ω, rad/s, positive rolling forward
    // Brake torque magnitude, N·m, written by the car's brake step before
    // each step. The step adjusts it and gives it the sign that opposes the
    // spin, so after a step it reads as applied, not as demanded.
    float brakeTorque = 0.0f;

    // Contact inputs, filled by the ground contact before each step.
    float load = 1.0f;                  // vertical load Fz, N
    bool inContact = false;             // the wheel touches the ground
    int surfaceKind = 0;                // 0 paved track; 1 and 3 loose (collect dirt)
    float surfaceFriction = 1.0f;       // sliding friction factor of the surface
    float surfaceBlend = 1.0f;          // weight of the tyre's Magic Formula force, 0..1
    Vector3 groundNormal{0, 0, 0};      // world axes
    // Velocity of the wheel at its contact in the wheel's axes, m/s: x across,
    // y vertical (zeroed by the step), z along the rolling direction.
    Vector3 contactVelocity{0, 0, 0};
    int radialStiffness = 180000;       // tyre carcass spring rate, N/m, for the ground contact
    int radialDamping = 1000;           // tyre carcass damper rate, N·s/m, for the ground contact

    // Results of the step.
    float slipRatio = 0.0f;      // (ω·radius − vz) / |vz|, negative when braking
    float slipAngle = 0.0f;      // degrees, folded into [−90, 90]
    float camber = 0.0f;         // degrees against the ground
    float forceLong = 0.0f;      // N, tyre force along the rolling direction
    float forceLat = 0.0f;       // N, tyre force across it
    float alignMoment = 0.0f;    // N·m, tyre aligning moment
    float wheelTorque = 0.0f;    // N·m about the axle this step, positive slowing forward spin
    float driveTorque = 0.0f;    // N·m, what the drivetrain last handed this wheel (driven wheels only)
    Vector3 appliedForce{0, 0, 0};  // N, world tyre force the car applied last step
    float skidLevel = 0.0f;      // slip intensity for heat, wear and sound
    float prevSkidLevel = 0.0f;  // skidLevel of the previous step

    // Rolling resistance and heat weights.
    float rollingSpeedCoeff = 7.5e-6f;  // per (m/s)², added to the 0.013 rolling coefficient
    float heatForceCoeff = 0.082f;      // per N of tyre force
    float heatSpinCoeff = 0.79f;        // per rad/s of spin
    float heatSkidCoeff = 195.0f;       // per unit of skidLevel

    CCurve temperatureGripCurve;  // grip factor over tyre temperature, °C
    CCurve wearGripCurve;         // grip factor over wear
    CCurve skidAngleCurve;        // extra skid level over |slip angle|, degrees

    // Tread state.
    float wear = 0.0f;            // accumulated tread wear
    float wearBaseRate = 0.01f;   // per radian turned
    float wearSkidRate = 0.02f;   // per radian turned and unit of skidLevel
    float dirt = 0.0f;            // 0..1; the wheel's drawing shows it
    float flatSpot = 0.0f;        // 0..1
    float rotationAngle = 0.0f;   // rad about the axle, [0, 2π)
    float prevAngularSpeed = 0.0f;  // ω of the previous step, rad/s
    // Set in a step where ω changed sign or the brake faded near standstill.
    bool directionFlag = false;

    // Temperatures across the tread, °C; camber heats one edge more.
    float tempInner = 0.0f;
    float tempMiddle = 0.0f;
    float tempOuter = 0.0f;
    float camberHeatBias = 0.0f;  // slowly follows 4·sin(camber)

    // Steering alignment, degrees: added to a front wheel's angle by the
    // steering; damage bends it.
    float alignmentOffset = 0.0f;
    // Three mass terms, kg (tyre, rim, brake disc); only their sum is used.
    float partMasses[3] = {9.0f, 10.0f, 5.0f};

    CTyre tyre;

    CCar* car = nullptr;               // not owned
    CSuspension* suspension = nullptr;  // not owned
    // The car's speed for this step's thresholds (brake hold, skid angle,
    // flat spot), m/s: the attached car's speed, else the step's carSpeed.
    float referenceSpeed = 0.0f;
};
