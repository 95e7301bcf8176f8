#include "chassis/wheel.h"

#include <cmath>
#include <cstdio>

#include "car/car.h"
#include "chassis/matrix4.h"

namespace {

constexpr float kRadToDeg = 57.29578f;
constexpr float kDegToRad = 0.017453292f;
constexpr float kTwoPi = 6.2831855f;

int sign(float x) { return (x > 0.0f) - (x < 0.0f); }

bool looseSurface(int kind) { return kind == 1 || kind == 3; }

}  // namespace

CWheel::CWheel() { temperature = 25.0f; }

CWheel::~CWheel() = default;

void CWheel::computeInertia()
{
    const float mass = partMasses[0] + partMasses[1] + partMasses[2];
    inertia = mass * radius * radius * 0.5f;
    printf("**** AI=%f ***** \n", inertia);
}

float CWheel::getRpm() const { return angularSpeed * 0.15915494f * 60.0f; }

void CWheel::step(float dt, float ambientTemperature, float carSpeed)
{
    referenceSpeed = car ? car->speed : carSpeed;
    const float s = referenceSpeed;
    float w = angularSpeed;

    // 1. A brake always drags a little. Near standstill a firm brake is
    // raised (up to doubled) so that it can catch a slowly turning wheel.
    if (brakeTorque == 0.0f) brakeTorque = 2.0f;
    if (std::fabs(w) < 20.0f && w != 0.0f && brakeTorque > 50.0f) {
        float boost = 20.0f / std::fabs(w);
        if (boost > 2.0f) boost = 2.0f;
        brakeTorque *= boost;
    }

    // 2.
    directionFlag = false;
    wheelTorque = 0.0f;
    prevSkidLevel = skidLevel;
    contactVelocity.y = 0.0f;

    // 3. Camber: the ground normal in the wheel's own axes against the
    // wheel's side axis. Rounding may push the product a hair past ±1.
    Matrix4 toWheel = getWorldMatrix().inverseRotation();
    toWheel.setPosition(0.0f, 0.0f, 0.0f);
    const Vector3 n = toWheel.transformVector(groundNormal);
    float tilt = dot(n, matrix.xAxis());
    if (tilt > 1.0f) tilt = 1.0f;
    if (tilt < -1.0f) tilt = -1.0f;
    camber = -std::asin(tilt) * kRadToDeg;

    // 4.
    skidLevel = 0.0f;

    // 5. Rolling resistance, growing with speed squared, against the spin.
    const float vz = contactVelocity.z;
    const float vx = contactVelocity.x;
    if (std::fabs(w) > 1.0f) {
        float c = vz * vz * rollingSpeedCoeff + 0.013f;
        if (w < 0.0f) c = -c;
        if (inContact) wheelTorque = load * radius * c;
    }

    // 6. Slip ratio against the ground speed.
    slipRatio = vz == 0.0f ? 0.0f : (w * radius - vz) / std::fabs(vz);

    // 7. Slip angle between the rolling direction and the contact velocity,
    // measured in the direction of travel of the tread.
    if (contactVelocity.length() == 0.0f) {
        slipAngle = 0.0f;
    } else {
        Vector3 u = Vector3{vx, 0.0f, vz}.normalised();
        if (w < 0.0f) u = -u;
        const float d = u.z;  // dot with (0, 0, 1)
        const float theta = (d >= -1.0f && d <= 1.0f) ? std::acos(d) * kRadToDeg : 0.0f;
        if (w >= 0.0f)
            slipAngle = u.x >= 0.0f ? -theta : theta;
        else
            slipAngle = u.x < 0.0f ? -theta : theta;
        // Beyond 90° the tyre is sliding backwards; the force law only knows
        // angles up to 90°.
        if (slipAngle > 90.0f)
            slipAngle = 180.0f - slipAngle;
        else if (slipAngle < -90.0f)
            slipAngle = -180.0f - slipAngle;
    }

    // 8. Tyre forces.
    const float gripTemperature = temperatureGripCurve.getValue(temperature);
    const float gripWear = wearGripCurve.getValue(wear) - 0.1f * dirt;
    tyre.setInputs(slipAngle, slipRatio, camber, load, inContact, surfaceBlend, surfaceFriction, vz, vx,
                   gripTemperature, gripWear, radius * w, s, w, brakeTorque != 0.0f);
    tyre.computeForces();
    float slipSpeed = 0.0f;
    tyre.getOutputs(forceLong, forceLat, alignMoment, slipSpeed);

    // 9.
    if (load == 0.0f) {
        forceLat = 0.0f;
        forceLong = 0.0f;
    }
    if (!inContact) {
        forceLat = 0.0f;
        forceLong = 0.0f;
        appliedForce = Vector3{0.0f, 0.0f, 0.0f};
    }

    // 10.
    integrateSpin(dt);
    w = angularSpeed;

    // 11. Skid level from the sliding speed, plus cornering slip once moving.
    skidLevel = slipSpeed * 0.06666667f;
    if (s > 4.0f) skidLevel += 0.6f * skidAngleCurve.getValue(std::fabs(slipAngle));

    // 12. Heat: tyre work, flexing with spin and skidding. Loose surfaces
    // hardly heat the tread.
    float speedShare = carSpeed / 30.0f;
    if (speedShare > 1.0f) speedShare = 1.0f;
    float q = (std::fabs(forceLat) + std::fabs(forceLong)) * heatForceCoeff * speedShare +
              std::fabs(w) * heatSpinCoeff + heatSkidCoeff * skidLevel;
    if (std::fabs(carSpeed) < 1.0f) q *= carSpeed;
    if (looseSurface(surfaceKind)) q *= 0.1f;
    addHeat(q);
    stepHeat(dt, ambientTemperature, 0.0f);

    // 13. A heavily loaded tyre skids harder.
    skidLevel = (load / tyre.OPTIMALLOAD * 0.4f + 0.6f) * skidLevel;

    // 14. Wear per radian turned.
    wear += (skidLevel * wearSkidRate + wearBaseRate) * dt * std::fabs(w);

    // 15. Dirt per radian turned: picked up on loose ground, shed elsewhere.
    if (inContact) {
        if (looseSurface(surfaceKind)) {
            dirt += std::fabs(w) * dt * 0.01f;
            if (dirt > 1.0f) dirt = 1.0f;
        } else {
            dirt -= dt * std::fabs(w) * 0.002f;
            if (dirt < 0.0f) dirt = 0.0f;
        }
    }

    // 16.
    if (sign(w) != sign(prevAngularSpeed)) directionFlag = true;

    // 17. A wheel locked on tarmac at speed grinds a flat spot, which
    // rolling slowly wears round again.
    if (s > 10.0f && slipRatio < -0.98f && std::fabs(w) < 0.1f && surfaceKind == 0) {
        flatSpot += dt * 0.01f;
        if (flatSpot > 1.0f) flatSpot = 1.0f;
    }
    if (flatSpot > 0.0f) {
        flatSpot -= std::fabs(w) * dt * 0.001f;
        if (flatSpot < 0.0f) flatSpot = 0.0f;
    }

    // 18. Keep the drawn angle within one turn in either direction of spin.
    rotationAngle += dt * w;
    if (rotationAngle >= kTwoPi)
        rotationAngle -= kTwoPi;
    else if (rotationAngle < 0.0f)
        rotationAngle += kTwoPi;
    prevAngularSpeed = w;

    // 19. Temperature across the tread: camber loads one edge; the bias
    // follows it very slowly so the spread builds up over a stint.
    const float g = 4.0f * std::sin(camber * kDegToRad);
    if (g > camberHeatBias) camberHeatBias += 1e-6f;
    if (g < camberHeatBias) camberHeatBias -= 1e-6f;
    const float t = temperature;
    tempInner = t * std::fabs(1.0f - camberHeatBias);
    tempMiddle = t;
    tempOuter = t * std::fabs(1.0f + camberHeatBias);
}

void CWheel::integrateSpin(float dt)
{
    const float w = angularSpeed;
    wheelTorque += forceLong * radius;
    // The brake opposes the spin.
    if (w <= 0.0f) brakeTorque = -brakeTorque;

    if (std::fabs(wheelTorque) < std::fabs(brakeTorque) && referenceSpeed < 2.01f) {
        // At crawling speed a brake stronger than the other torques may hold
        // the wheel: it stops it exactly rather than turning it backwards.
        const float i = inertia;
        const float next = w - (wheelTorque + brakeTorque) / i * dt;
        if (sign(next) == sign(w))
            wheelTorque += brakeTorque;
        else
            wheelTorque = i * w / dt;
    } else {
        // Otherwise the brake fades to nothing as the wheel comes to rest, so
        // it never drives the wheel backwards through zero.
        if (std::fabs(w) <= 3.0f) {
            directionFlag = true;
            brakeTorque = std::fabs(w) / 3.0f * brakeTorque;
        }
        wheelTorque += brakeTorque;
    }
    angularSpeed = w - wheelTorque / inertia * dt;
}
