#include "car/car.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "car/contact.h"
#include "car/controls.h"
#include "car/physics_world.h"
#include "car/profiler.h"
#include "car/sim_host.h"
#include "car/track.h"
#include "chassis/aero_device.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/suspension.h"
#include "chassis/wishbone_suspension.h"
#include "graphics/engine.h"
#include "powertrain/shift_listener.h"

namespace {
// The engine curves are written out sampled every 500 rpm up to 15000 rpm.
constexpr float kCurveExportStep = 500.0f;
constexpr float kCurveExportTo = 15000.0f;

constexpr float kAmbientTemperature = 26.0f;  // °C
constexpr float kInputDelayMs = 3000;         // inputs are ignored this long after a reset
constexpr int kParkedSteps = 400;

// One car per plug-in: these belong to the process, as the car's design has it.
int wallTestCounter = 0;       // the wall test runs every tenth step
float scrapeTimer = 0;         // s since the last scrape sound
int previousWholeKmh = 0;      // the sprint clock's crossing detector

// The replay's clocks: a frame every 0.033 s, which with dt = 0.003
// is every 11 steps, and lap times in a frame every 10 s or on a new lap.
constexpr float kReplayFramePeriod = 0.033f;  // s
constexpr float kReplayLapTimePeriod = 10.0f; // s
float replayFrameTimer = 0;       // s since the last frame
float replayLapTimeTimer = 0;     // s since the last frame with lap times
uint32_t replayLapTimeLapCount = 0;  // the lap count at the last frame with lap times

// Telemetry: samples are taken while the car's counter is above
// this threshold, and LAP_POS is the distance since the lap number changed.
float telemetryThreshold = 0.0f;
uint32_t telemetryLapNumber = 0;
float telemetryLapDistance = 0;   // m

class ProfileSection {
public:
    ProfileSection(IProfiler* profiler, const char* name) : profiler_(profiler), name_(name)
    {
        if (profiler_) profiler_->begin(name_);
    }
    ~ProfileSection()
    {
        if (profiler_) profiler_->end(name_);
    }

private:
    IProfiler* profiler_;
    const char* name_;
};

Vector3 toBody(const Matrix4& pose, const Vector3& world)
{
    return {dot(world, pose.xAxis()), dot(world, pose.yAxis()), dot(world, pose.zAxis())};
}

uint64_t nowMs(REngine* system) { return system ? system->system.getTimeMs() : 0; }

// The integer part of v as a byte, 0 below (and for NaN), 255 above.
uint8_t byteOf(float v)
{
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(v);
}

constexpr float kTwoPi = 6.2831855f;

// An angle about the axle as a fraction of a turn · 256.
uint8_t turnByte(float radians)
{
    float a = std::fmod(radians, kTwoPi);
    if (a < 0) a += kTwoPi;
    return byteOf(a / kTwoPi * 256.0f);
}

// A pose from a position and forward and up axes, rows as setOrientation
// makes them.
Matrix4 poseFrom(const Vector3& position, const Vector3& forward, const Vector3& up)
{
    const Vector3 side = cross(up, forward).normalised();
    const Vector3 upright = cross(forward, side).normalised();
    Matrix4 m;
    const Vector3 rows[4] = {side, upright, forward, position};
    for (int r = 0; r < 4; ++r) {
        m.at(r, 0) = rows[r].x;
        m.at(r, 1) = rows[r].y;
        m.at(r, 2) = rows[r].z;
    }
    return m;
}

// Frames from a replay file are not trusted to hold sane numbers; the track
// is only asked about points it can place.
bool isPlaceable(const Vector3& p)
{
    constexpr float kFar = 1.0e6f;  // m
    return std::fabs(p.x) < kFar && std::fabs(p.y) < kFar && std::fabs(p.z) < kFar;
}

// Spring-axis speed of a unit, where the unit keeps one.
float travelSpeed(const CSuspension* unit)
{
    const auto* wishbone = dynamic_cast<const CWishboneSuspension*>(unit);
    return wishbone ? wishbone->damperSpeed : 0.0f;
}

const char* const kWheelSuffix[4] = {"lf", "rf", "lr", "rr"};
}  // namespace

CCar::CCar()
{
    for (int i = 0; i < 4; ++i) wheelFrames[i] = &ownWheelFrames[i];
}

CCar::~CCar()
{
    // Only a car that init set up has collision geometry and saves its replay.
    if (carBox) {
        replay.texts[0] = driverName;
        replay.texts[1] = shortName;
        replay.texts[2] = textA;
        replay.texts[3] = textB;
        replay.texts[4] = textC;
        replay.save("replay/cr");
    }
    for (CAeroDevice* device : aeroDevices) delete device;
    aeroDevices.clear();
    if (carBox) dGeomDestroy(carBox);
    if (otherCarBox) dGeomDestroy(otherCarBox);
    if (wallPlane) dGeomDestroy(wallPlane);
    carBox = otherCarBox = wallPlane = nullptr;
    delete antiRollFront;
    delete antiRollRear;
    carEngine.powerCurve.resample(kCurveExportStep, 0, kCurveExportTo);
    carEngine.powerCurve.save("out/power.exp");
    carEngine.coastCurve.resample(kCurveExportStep, 0, kCurveExportTo);
    carEngine.coastCurve.save("out/coast.exp");
}

// ---------------------------------------------------------------------------
// Set-up

void CCar::init(REngine* graphics, CPhysicsWorld* physicsWorld, ITrack* hostTrack, IShiftListener* host)
{
    // 1. The host object's second base, one pointer past its first, is the
    // ISimHost the car calls; the first base is the gearbox's shift listener.
    shiftListener = host;
    simHost = host ? reinterpret_cast<ISimHost*>(reinterpret_cast<char*>(host) + sizeof(void*)) : nullptr;
    gearbox.setShiftListener(host);
    setupStore.load();

    // 2. Bodies, the drawing context and the track.
    if (physicsWorld) {
        attach(physicsWorld);
        headBody.attach(physicsWorld);
    }
    system = graphics;
    engine = graphics;  // the car frame draws through the host's engine
    track = hostTrack;
    trackValue = track ? track->trackValue() : 0.0f;

    // 3. Steering; sound arrives with initSounds.
    SteeringCarLink link;
    link.frontWheels[0] = &wheels[0];
    link.frontWheels[1] = &wheels[1];
    link.frontTilt[0] = &frontTilt[0];
    link.frontTilt[1] = &frontTilt[1];
    link.cockpitWheel = &cockpitSteeringWheel;
    steering.setCar(link);
    soundSystem = nullptr;

    // 4.
    setCameras();
    loadTyres();
    loadModel();

    // 5. Each corner: unit -> wheel frame -> wheel.
    for (int i = 0; i < 4; ++i) {
        CSuspension* unit = suspension[i];
        if (unit) {
            unit->attachToCar(this, physicsWorld, &wheels[i], &parkedFrames);
            unit->addChild(wheelFrames[i]);
        }
        wheelFrames[i]->engine = graphics;
        wheelFrames[i]->addChild(&wheels[i]);
        wheels[i].attachCar(this);
        brakes.addWheel(&wheels[i]);
    }

    // 6. Anti-roll bars join the two units of each axle.
    antiRollFront = new CAntiRollBar;
    antiRollRear = new CAntiRollBar;
    antiRollFront->connect(suspension[1], suspension[0]);
    antiRollRear->connect(suspension[3], suspension[2]);

    // 7.
    steering.addSteeredFrame(wheelFrames[0]);
    steering.addSteeredFrame(wheelFrames[1]);

    // 8.
    buildDrivetrain();
    createAeroDevices();
    setDefaults();
    setGeometry();
    updateMass();

    // 9. The head body sits at headOffset from the body, unrotated.
    setHeadOffset();
    if (headBody.body) {
        const Vector3 p = getPosition() + headOffset;
        headBody.setPosition(p.x, p.y, p.z);
        headBody.setMassBox(15.0f, 0.5f, 0.5f, 0.5f);
    }

    // 10. Collision geometry: a wall plane re-set before each test, the car's
    // box on its body, and a free box moved onto other cars.
    wallPlane = dCreatePlane(nullptr, 0, 0, -1, 5);
    carBox = dCreateBox(nullptr, collisionBox.x, collisionBox.y, collisionBox.z);
    if (body) dGeomSetBody(carBox, body);
    otherCarBox = dCreateBox(nullptr, collisionBox.x, collisionBox.y, collisionBox.z);
    setupTelemetry();

    // 11. Rear toe.
    wheelFrames[2]->rotateY(rearToe[0]);
    wheelFrames[3]->rotateY(-rearToe[1]);

    // 12.
    syncFrames();

    // 13.
    if (simHost && simHost->debugFlag()) {
        const Matrix4 pose = matrix;
        const Vector3 front = toBody(pose, wheelFrames[0]->getWorldPosition() - getPosition());
        const Vector3 rear = toBody(pose, wheelFrames[3]->getWorldPosition() - getPosition());
        const float d = std::fabs(rear.z - front.z);
        if (d > 0)
            std::printf("WEIGHT F=%.2f R=%.2f\n", 100 - std::fabs(rear.z) / d * 100, 100 - std::fabs(front.z) / d * 100);
    }
}

// The channels, in their fixed order.
void CCar::setupTelemetry()
{
    for (const char* name : {"LAP_BEACON", "LAP_POS", "EN_INPUT", "EN_RPMS", "GEAR", "CLUTCH", "G_LAT", "G_LON"})
        telemetry.addChannel(name);
    for (const char* prefix : {"AS_", "ST_", "SS_", "GC_"})
        for (const char* suffix : kWheelSuffix) telemetry.addChannel(std::string(prefix) + suffix);
}
void CCar::setHeadOffset() {}
void CCar::setCameras() {}
void CCar::loadTyres() {}
void CCar::loadModel() {}

void CCar::buildDrivetrain() { connectDrivetrain(&differential); }

void CCar::connectDrivetrain(CDifferential* finalDifferential)
{
    powerPath.engine = &carEngine;
    powerPath.clutch = &clutch;
    powerPath.gearbox = &gearbox;
    powerPath.finalDrive = &finalDrive;
    powerPath.differential = finalDifferential;
    powerPath.drivenWheelA = &drivenWheelNodes[0];
    powerPath.drivenWheelB = &drivenWheelNodes[1];
    connectPowerPath(drivetrain, powerPath);
}

void CCar::createAeroDevices() {}

// The base car reads its setup from the setup store.
void CCar::setDefaults()
{
    for (int i = 0; i < 4; ++i) {
        if (suspension[i]) {
            suspension[i]->springRate = setupStore.springRates[i];
            suspension[i]->dampExtension = dampingForSetting(setupStore.extensionSettings[i]);
            suspension[i]->dampCompression = dampingForSetting(setupStore.compressionSettings[i]);
        }
        if (i < static_cast<int>(brakes.units.size())) {
            brakes.units[i]->padFriction = setupStore.padFriction[i];
            brakes.units[i]->radius = setupStore.discDiameters[i] * 0.5f;
        }
    }
    if (antiRollFront) antiRollFront->stiffness = setupStore.antiRollFront;
    if (antiRollRear) antiRollRear->stiffness = setupStore.antiRollRear;
    brakes.setFrontBias(setupStore.brakeBiasPercent * 0.01f);
    gearbox.addGear(setupStore.gearRatios[0], 1.0f, "R");
    gearbox.addGear(0, 0, "N");
    for (int g = 1; g <= 5; ++g) gearbox.addGear(setupStore.gearRatios[g], 1.0f, std::to_string(g));
    gearbox.gear = 0;
    gearbox.selectNextGear();
    finalDrive.setRatio(setupStore.finalDrive, 1.0f);
    steering.steeringRatio = static_cast<float>(setupStore.steeringRatio);
    if (setupStore.shiftSpeed == 0) gearbox.shiftTime = 0.35f;
    if (setupStore.shiftSpeed == 1) gearbox.shiftTime = 0.15f;
    if (setupStore.shiftSpeed == 2) gearbox.shiftTime = 0.09f;
}

void CCar::setGeometry() {}
void CCar::updateMass() {}

// ---------------------------------------------------------------------------
// The physics frame

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

void CCar::collide()
{
    if (!body || !carBox) return;
    // Walls: every tenth step, every step while touching.
    if (++wallTestCounter >= 10) {
        wallTestCounter = 0;
        const WallRecord* wall = track ? track->queryWall(this) : nullptr;
        if (wall) {
            const Vector3 p = getPosition();
            if (wall->a * p.x + wall->b * p.y + wall->c * p.z + wall->d > 0)
                dGeomPlaneSetParams(wallPlane, wall->a, wall->b, wall->c, -wall->d);
            else
                dGeomPlaneSetParams(wallPlane, -wall->a, -wall->b, -wall->c, wall->d);
            dContactGeom geom;
            if (dCollide(carBox, wallPlane, 1, &geom, sizeof geom) > 0) {
                CContact contact;
                contact.setSoft(258000.0f, 32200.0f, 0.003f);
                contact.setDepth(static_cast<float>(geom.depth));
                contact.setNormal({static_cast<float>(geom.normal[0]), static_cast<float>(geom.normal[1]),
                                   static_cast<float>(geom.normal[2])});
                const Vector3 at{static_cast<float>(geom.pos[0]), static_cast<float>(geom.pos[1]),
                                 static_cast<float>(geom.pos[2])};
                contact.setPosition(at);
                world->createContact(contact, this, nullptr);
                wallTestCounter = 9;
                if (isHitSoundFree())
                    playHitSound(at, velocity, std::min(1.0f, 2.0f * static_cast<float>(geom.depth)));
                onCollision(at, static_cast<float>(geom.depth));
            }
        }
    }

    // Other cars, every step.
    if (!simHost) return;
    HostCarList* cars = simHost->cars();
    if (!cars) return;
    for (IHostCar* other : *cars) {
        if (!other || other->isExcludedA() || other->isExcludedB()) continue;
        Vector3 position;
        other->getPosition(position);
        if ((position - getPosition()).length() >= 6.0f) continue;
        const Matrix4* pose = other->getPoseMatrix();
        dMatrix3 r;
        const Vector3 x = pose->xAxis(), y = pose->yAxis();
        dRFrom2Axes(r, x.x, x.y, x.z, y.x, y.y, y.z);
        dGeomSetPosition(otherCarBox, position.x, position.y, position.z);
        dGeomSetRotation(otherCarBox, r);
        dContactGeom geom;
        const int n = dCollide(carBox, otherCarBox, 1, &geom, sizeof geom);
        if (n > 0 && geom.depth < 2.0) {
            const Vector3 at{static_cast<float>(geom.pos[0]), static_cast<float>(geom.pos[1]),
                             static_cast<float>(geom.pos[2])};
            if (isHitSoundFree())
                playHitSound(at, velocity, std::min(1.0f, 50.0f * static_cast<float>(geom.depth)));
            onCollision(at, 0.5f * static_cast<float>(geom.depth));
            std::printf("collision %d %f\n", n, geom.depth);
            CContact contact;
            contact.setSoft(128000.0f, 42200.0f, 0.003f);
            contact.setDepth(static_cast<float>(geom.depth));
            contact.setNormal({static_cast<float>(geom.normal[0]), static_cast<float>(geom.normal[1]),
                               static_cast<float>(geom.normal[2])});
            contact.setPosition(at);
            world->createContact(contact, this, nullptr);
        }
    }
}

void CCar::groundContact(int i, float dt)
{
    CSuspension* unit = suspension[i];
    if (!unit || !track) return;
    CWheel& wheel = wheels[i];
    const Matrix4 frame = wheelFrames[i]->getWorldMatrix();
    const Vector3 up = frame.yAxis();
    const Vector3 probe = frame.getPosition() - up * wheel.radius;

    Vector3 hit, normal;
    const SurfaceInfo* info = nullptr;
    const TrackSurface* surface;
    {
        ProfileSection section(profiler, "GROUNDS");
        surface = track->queryGround(probe, hit, normal, unit->lastSurface, &info, &unit->queryCache, 0);
    }
    if (!surface) {
        std::printf("no inters\n");
        const Vector3 p = unit->getPosition();
        hit = {p.x, unit->groundHeight, p.z};
        normal = wheel.groundNormal;
    } else {
        if (i == 0 && surface != unit->lastSurface) {
            if (track->isFinishLine(surface)) {
                const bool armed = lapTimer.lapArmed;
                lapTimer.passFinishLine();
                if (armed && simHost) simHost->lapCompleted(lapTimer.lastLapMs);
            }
            if (track->isIntermediateLine(surface)) lapTimer.passIntermediate();
        }
        unit->lastSurface = surface;
        if (info) {
            wheel.surfaceKind = info->kind;
            wheel.surfaceFriction = info->friction;
            wheel.surfaceBlend = info->blend;
        }
        unit->contactPoint = hit;
    }

    if (probe.y > hit.y) {
        unit->penetration = 0;
    } else {
        unit->groundHeight = hit.y;
        unit->penetration = dot(hit - probe, normal);
        const float shift = std::clamp(wheel.camber * 0.1f * 0.0015f, -0.15f, 0.15f);
        unit->contactPoint = unit->contactPoint + frame.xAxis() * shift;
        CContact contact;
        contact.setDepth(unit->penetration);
        contact.setNormal(normal);
        contact.setPosition(unit->contactPoint);
        contact.setSoft(static_cast<float>(wheel.radialStiffness), static_cast<float>(wheel.radialDamping), dt);
        if (unit->penetration >= 0 && world) world->createContact(contact, unit, nullptr);
        wheel.groundNormal = normal;
    }
    wheel.inContact = unit->penetration >= 0;
}

void CCar::checkBottoming(float dt)
{
    bool bottomed = false;
    for (int i = 0; i < 4; ++i) {
        CSuspension* unit = suspension[i];
        if (!unit) continue;
        const float limit = i < 2 ? frontClearance : rearClearance;
        const float y = toBody(matrix, unit->contactPoint - getPosition()).y;
        if (y > limit) {
            std::printf(i < 2 ? "GROUND FRONT\n" : "GROUND REAR\n");
            wheels[i].inContact = false;
            Vector3 v = unit->getVelocity();
            v.y = 0;
            const float len = v.length();
            if (len > 0) addForceAtPos(unit->contactPoint, v * (-0.75f * wheels[i].load / len));
            bottomed = true;
        }
        clearance[i] = limit - y;
    }
    if (bottomed && scrapeTimer >= 0.5f && speed > 5.0f && soundSystem) {
        playScrapeSound(getPosition(), velocity);
        scrapeTimer = 0;
    } else {
        scrapeTimer += dt;
    }
}

void CCar::applyTyreForces(int i, float dt)
{
    CSuspension* unit = suspension[i];
    if (!unit) return;
    CWheel& wheel = wheels[i];
    const Matrix4 frame = wheelFrames[i]->getWorldMatrix();
    const Vector3 n = wheel.groundNormal;
    const Vector3 f = frame.zAxis();
    const Vector3 l = cross(f, n);
    const Vector3 t = cross(n, l);
    const Vector3 v = unit->getVelocity();
    wheel.setContactVelocity({-dot(v, l), 0, dot(v, t)});
    wheel.load = static_cast<float>(wheel.radialStiffness) * unit->penetration;
    wheel.step(dt, kAmbientTemperature, speed);
    const Vector3 w = t * wheel.forceLong - l * wheel.forceLat;
    if (parkedFrames < kParkedSteps) {
        unit->addForceAtPos(unit->contactPoint, w);
        wheel.appliedForce = w;
    }
}

void CCar::updateInstruments(float) {}
void CCar::recordTelemetry(float dt)
{
    if (static_cast<float>(telemetryCounter) > telemetryThreshold) sampleTelemetry(dt);
}

void CCar::sampleTelemetry(float dt)
{
    if (lapTimer.lapCount == telemetryLapNumber) {
        telemetryLapDistance += dt * speed;
    } else {
        telemetryLapDistance = 0;
        telemetryLapNumber = lapTimer.lapCount;
    }
    auto wheelChannel = [](const char* prefix, int i) { return std::string(prefix) + kWheelSuffix[i]; };
    telemetry.addSample("LAP_BEACON", static_cast<float>(lapTimer.lapCount));
    telemetry.addSample("LAP_POS", telemetryLapDistance);
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("AS_", i), wheels[i].angularSpeed);
    telemetry.addSample("EN_INPUT", carEngine.getThrottleTarget());
    for (int i = 0; i < 4; ++i)
        telemetry.addSample(wheelChannel("ST_", i), suspension[i] ? suspension[i]->deflection : 0.0f);
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("SS_", i), travelSpeed(suspension[i]));
    for (int i = 0; i < 4; ++i) telemetry.addSample(wheelChannel("GC_", i), clearance[i]);
    telemetry.addSample("G_LAT", localAcceleration.x * 0.10204081f);
    telemetry.addSample("G_LON", localAcceleration.z * 0.10204081f);
    telemetry.addSample("EN_RPMS", static_cast<float>(carEngine.rpm));
    telemetry.addSample("CLUTCH", clutch.engagement);
    telemetry.addSample("GEAR", static_cast<float>(gearbox.gear));
}

void CCar::saveTyreTemperatures()
{
    FILE* file = std::fopen("cfg/of", "w");
    if (!file) return;  // no "cfg" folder: nothing depends on the file
    std::fprintf(file, "[TEMPS]\n");
    for (int i = 0; i < 4; ++i) {
        std::fprintf(file, "TEMP_TIRE%d_I=%f\n", i, wheels[i].tempInner);
        std::fprintf(file, "TEMP_TIRE%d_M=%f\n", i, wheels[i].tempMiddle);
        std::fprintf(file, "TEMP_TIRE%d_O=%f\n", i, wheels[i].tempOuter);
    }
    std::fprintf(file, "\n");
    std::fclose(file);
}

void CCar::printStatusReport()
{
    auto rate = [this](int i) { return suspension[i] ? suspension[i]->springRate * 0.25f : 0.0f; };
    std::printf("SPRINGS:\n");
    std::printf("LF=%f\n", rate(0));
    std::printf("RF=%f\n", rate(1));
    std::printf("LR=%f\n", rate(2));
    std::printf("RR=%f\n", rate(3));
    std::printf("ARB:\n");
    std::printf("FRONT=%f\n", antiRollFront ? antiRollFront->stiffness : 0.0f);
    std::printf("REAR=%f\n", antiRollRear ? antiRollRear->stiffness : 0.0f);
}

// ---------------------------------------------------------------------------
// Replay

void CCar::stepReplay(float dt)
{
    replayFrameTimer += dt;
    replayLapTimeTimer += dt;
    if (replayFrameTimer < kReplayFramePeriod) return;
    auto frame = std::make_unique<CReplayFrame>();
    recordReplayFrame(*frame);
    replay.append(std::move(frame));
    replayFrameTimer = 0;
}

void CCar::recordReplayFrame(CReplayFrame& f)
{
    f.carPosition = matrix.getPosition();
    f.carForward = matrix.zAxis();
    f.carUp = matrix.yAxis();
    for (int i = 0; i < 4; ++i) {
        const Matrix4 w = wheelFrames[i]->getWorldMatrix();
        f.wheelPose[i] = {w.getPosition(), w.zAxis(), w.yAxis()};
        f.wheelAngle[i] = turnByte(wheels[i].rotationAngle);
    }
    f.carStates.clear();
    if (HostCarList* cars = simHost ? simHost->cars() : nullptr) {
        for (IHostCar* car : *cars) {
            if (!car) continue;
            HostCarState state{};
            car->fillState(state.data());
            f.carStates.push_back(state);
        }
    }
    const float wheelDegrees = std::clamp(steering.steeringWheelAngle, -128.0f, 127.0f);
    f.steer = static_cast<int8_t>(wheelDegrees == wheelDegrees ? wheelDegrees : 0.0f);
    f.rpmByte = byteOf(static_cast<float>(carEngine.rpm) * 0.00005f * 255.0f);
    f.engineSound = byteOf(getEngineSoundLevel() * 256.0f);
    f.stateValue = byteOf(getStateValue(0) * 255.0f);
    f.wheelSoundFlag = getWheelSoundValue(0) > 17000.0f;
    f.speedByte = byteOf(speed * 0.5f);
    f.lapCount = static_cast<uint8_t>(lapTimer.lapCount & 0xFF);

    f.others.clear();
    if (otherCars) {
        for (IHostCar* other : *otherCars) {
            if (!other || f.others.size() >= CReplayFrame::kMaxOthers) continue;
            Vector3 position;
            other->getPosition(position);
            CReplayOtherCar record;
            record.x = position.x;
            record.z = position.z;
            record.bytes[0] = byteOf(position.y / 6.0f * 255.0f);
            if (const Matrix4* pose = other->getPoseMatrix()) {
                float turns = std::atan2(pose->zAxis().x, pose->zAxis().z) / kTwoPi;
                if (turns < 0) turns += 1.0f;
                record.bytes[1] = byteOf(turns * 255.0f);
            }
            f.others.push_back(record);
        }
    }

    f.hasLapTimes = replayLapTimeTimer > kReplayLapTimePeriod || lapTimer.lapCount != replayLapTimeLapCount;
    if (f.hasLapTimes) {
        f.lapTimes[0] = lapTimer.currentMs;
        f.lapTimes[1] = lapTimer.lastLapMs;
        f.lapTimes[2] = lapTimer.bestLapMs;
        replayLapTimeTimer = 0;
        replayLapTimeLapCount = lapTimer.lapCount;
    }
}

void CCar::showReplayFrame(const CReplayFrame& f)
{
    // 1.
    replayViewFlag = true;
    speed = f.speedByte * 2.0f;

    // 2. The body's frame, then each wheel frame through the hub frame it
    // hangs on (so that its own steering and toe pose stays as it is), the
    // wheel turned about its axle, and the ground under it.
    matrix = poseFrom(f.carPosition, f.carForward, f.carUp);
    for (int i = 0; i < 4; ++i) {
        CSceneFrame* frame = wheelFrames[i];
        const CReplayWheelPose& pose = f.wheelPose[i];
        const Matrix4 world = poseFrom(pose.position, pose.forward, pose.up);
        if (CSceneFrame* hub = frame->parent) {
            Matrix4 hubWorld = Matrix4::multiply(frame->matrix.inverse(), world);
            if (hub->parent) hubWorld = Matrix4::multiply(hubWorld, hub->parent->getWorldMatrix().inverse());
            hub->matrix = hubWorld;
        } else {
            frame->matrix = world;
        }
        CWheel& wheel = wheels[i];
        const Vector3 at = wheel.matrix.getPosition();
        wheel.matrix.identity();
        wheel.matrix.setPosition(at);
        wheel.rotateX(-(f.wheelAngle[i] / 256.0f * kTwoPi) * 57.29578f);

        wheel.inContact = false;
        CSuspension* unit = suspension[i];
        if (!unit || !track) continue;
        const Matrix4 w = frame->getWorldMatrix();
        const Vector3 probe = w.getPosition() - w.yAxis() * wheel.radius;
        if (!isPlaceable(probe)) continue;
        Vector3 hit, normal;
        const SurfaceInfo* info = nullptr;
        const TrackSurface* surface =
            track->queryGround(probe, hit, normal, unit->lastSurface, &info, &unit->queryCache, 0);
        if (!surface) continue;
        unit->lastSurface = surface;
        if (info) {
            wheel.surfaceKind = info->kind;
            wheel.surfaceFriction = info->friction;
            wheel.surfaceBlend = info->blend;
        }
        unit->contactPoint = hit;
        wheel.groundNormal = normal;
    }

    // 3.
    steering.steeringWheelAngle = f.steer;
    carEngine.rpm = static_cast<int>(std::lround(f.rpmByte / (0.00005f * 255.0f)));

    // 4. Ghost cars for the other cars' records.
    replay.releaseGhosts();
    for (const CReplayOtherCar& other : f.others) {
        IHostCar* ghost = simHost ? simHost->createGhostCar() : nullptr;
        if (!ghost) continue;
        ghost->placeGhost(other.x, other.z, other.bytes[0] / 255.0f * 6.0f, other.bytes[1] / 255.0f);
        replay.keepGhost(ghost);
    }

    // 5. The replay's lap timer.
    CLapTimer& timer = replay.lapTimer;
    if (f.hasLapTimes) {
        timer.currentMs = f.lapTimes[0];
        timer.lastLapMs = f.lapTimes[1];
        timer.bestLapMs = f.lapTimes[2];
    } else {
        timer.currentMs += CReplay::kFrameMs;
    }
    timer.lapCount = f.lapCount;

    // 6. The host cars' states.
    if (!simHost) return;
    for (const HostCarState& state : f.carStates)
        if (IHostCar* car = simHost->carByNumber(state[0])) car->restoreState(state.data());
}
void CCar::onCollision(const Vector3&, float) {}

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

// ---------------------------------------------------------------------------
// Inputs and state for the host

void CCar::showSteeringWheel(uint8_t) {}
void CCar::setSteeringGain(float gain) { steering.inputGain = gain; }
void CCar::setSteering(float value) { steering.setInput(value); }
void CCar::setThrottle(float value) { carEngine.setThrottle(value); }
void CCar::setBrake(float value) { brakes.setInput(value); }
void CCar::unusedSlot8(float, float) {}

void CCar::setControls(IControls* controls)
{
    if (msSinceReset < kInputDelayMs) {
        setSteering(0);
        setThrottle(0);
        setBrake(0);
        return;
    }
    setSteering(controls->steering());
    const float throttle = controls->throttle();
    const float brake = controls->brake();
    setThrottle(throttle >= 0.1f ? throttle : 0.0f);
    setBrake(brake >= 0.1f ? brake : 0.0f);

    const bool down = controls->shiftDownButton();
    const bool up = controls->shiftUpButton();
    shiftingFlag = false;
    if (!down && !up && gearbox.shiftState == 0) {
        clutch.engagementTarget = 1.0f;
    } else {
        clutch.engagementTarget = 0;
        shiftingFlag = true;
    }
    if (up && !shiftUpHeld) {
        gearbox.shiftUp();
        clutch.engageRate = 10.0f;
    }
    if (down && !shiftDownHeld) {
        gearbox.shiftDown();
        clutch.engageRate = 3.0f;
    }
    shiftUpHeld = up;
    shiftDownHeld = down;
}

float CCar::getThrottleInput() { return throttleInput; }
float CCar::getBrakeInput() { return brakeInput; }
Matrix4* CCar::getMatrix() { return &matrix; }
CRigidBody* CCar::getBody() { return this; }

Vector3& CCar::getVelocity(Vector3& out)
{
    out = velocity;
    return out;
}

float CCar::getSpeed() { return speed; }

void CCar::getDriverEye(DriverEye& out)
{
    Vector3 p = headBody.getPosition();
    if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) {
        std::printf("NANNN\n");
        p = matrix.transformPoint(headOffset);
        if (headBody.body) {
            dBodySetPosition(headBody.body, p.x, p.y + 1.0f, p.z);
            headBody.setLinearVelocity({0, 0, 0});
            headBody.setRotation(matrix.zAxis(), matrix.yAxis());
        }
    }
    out.position = p;
    out.forward = matrix.zAxis();
    out.up = matrix.yAxis();
}

ViewPoint& CCar::getViewPoint(ViewPoint& out)
{
    if (viewPoints.empty()) {
        out.position = getPosition();
        out.toTarget = matrix.zAxis();
        out.toUp = matrix.yAxis();
        return out;
    }
    const CarViewPoint& view = viewPoints[static_cast<size_t>(currentView) % viewPoints.size()];
    out.position = matrix.transformPoint(view.position);
    out.toTarget = matrix.transformVector(view.direction);
    out.toUp = matrix.yAxis();
    return out;
}

void CCar::draw(uint8_t) {}
void CCar::drawShadow() {}
int CCar::getRpm() { return carEngine.rpm; }

float CCar::getEngineSoundLevel()
{
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return frame ? frame->engineSound / 255.0f : 0.0f;
    }
    if (!carEngine.running) return 0.0f;
    const float v = (carEngine.getThrottleTarget() * 2.5f + carEngine.rpm * 0.0002f) / 3.0f + 0.2f;
    if (carEngine.lowFuel) return (std::sin(carEngine.sputterPhase) + 1.0f) * v * 0.5f;
    return v;
}

// Index 0: the brake lamp (the brake pedal, 0...1), the value the replay
// records; 1: the reverse lamp (1 in reverse). Others are 0.
float CCar::getStateValue(int index)
{
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return index == 0 && frame ? frame->stateValue / 255.0f : 0.0f;
    }
    switch (index) {
    case 0: return std::clamp(brakeInput, 0.0f, 1.0f);
    case 1: return gearbox.gear == 0 ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

// The skid sound of a wheel: 16500 rising to 28000 with its skid level
// while it slips or skids, else 0. A replay frame keeps only whether wheel
// 0 was audible, which every wheel then reports at the ceiling.
float CCar::getWheelSoundValue(int wheel)
{
    constexpr float kSkidBase = 16500.0f, kSkidRange = 11500.0f, kSkidCeiling = 28000.0f;
    if (wheel < 0 || wheel > 3) return 0.0f;
    if (replayViewFlag) {
        const CReplayFrame* frame = replay.displayedFrame();
        return frame && frame->wheelSoundFlag ? kSkidCeiling : 0.0f;
    }
    const CWheel& w = wheels[wheel];
    if (std::fabs(w.slipRatio) > 0.97f || w.skidLevel > 0) return kSkidBase + kSkidRange * std::min(1.0f, w.skidLevel);
    return 0.0f;
}

float CCar::getMaxWheelSpeedOnSurface(int surfaceKind)
{
    float best = -1.0f;
    for (const CWheel& wheel : wheels)
        if (wheel.surfaceKind == surfaceKind) best = std::max(best, std::fabs(wheel.angularSpeed));
    return best;
}

std::string& CCar::getGearName(std::string& out)
{
    out = gearbox.getGearName();
    return out;
}

CLapTimer* CCar::getLapTimer() { return replayViewFlag ? &replay.lapTimer : &lapTimer; }
void CCar::setTextA(std::string text) { textA = std::move(text); }

float CCar::getSteeringTorque()
{
    const float sum = wheels[0].alignMoment + wheels[1].alignMoment;
    return std::isnan(sum) ? 0.0f : sum;
}

int CCar::getWheelEvent(int i, bool queryOnly)
{
    if (i < 0 || i > 3) return 0;
    if (queryOnly) return wheelEventFlags[i] ? 1 : 0;
    const uint64_t now = nowMs(system);
    const CWheel& wheel = wheels[i];
    const float sigma = wheel.slipRatio;
    if (speed < 4.0f && !(sigma >= 1.15f && wheel.angularSpeed >= 20.0f)) return 0;
    const uint64_t since = now - wheelEventMs[i];
    if ((sigma < -0.96f || sigma >= 1.15f) && since > 50 && (wheel.surfaceKind == 0 || wheel.surfaceKind == 2)) {
        wheelEventMs[i] = now;
        wheelEventFlags[i] = true;
        return 1;
    }
    if (since < 101) return 0;
    if (wheel.surfaceKind == 1 || wheel.surfaceKind == 3) {
        wheelEventMs[i] = now;
        return 2;
    }
    return 0;
}

void CCar::clearWheelEvents() { wheelEventFlags.fill(false); }

void CCar::getWheelInfo(int i, WheelInfo& out)
{
    if (i < 0 || i > 3) return;
    const CWheel& w = wheels[i];
    out.angularSpeed = w.angularSpeed;
    out.slipRatio = w.slipRatio;
    out.slipAngleDeg = w.slipAngle;
    out.load = w.load;
    out.camberDeg = w.camber;
    out.temperature[0] = w.tempInner;
    out.temperature[1] = w.tempMiddle;
    out.temperature[2] = w.tempOuter;
    out.wear = w.wear;
    out.dirt = w.dirt;
    out.surfaceKind = w.surfaceKind;
}

int* CCar::getWheelSurfaces(int out[4])
{
    for (int i = 0; i < 4; ++i) out[i] = wheels[i].surfaceKind;
    return out;
}

void CCar::drawDebugText(RText*) {}
void CCar::drawName(RText*) {}
// A base car makes no sound of its own; a concrete car brings its sound set.
void CCar::updateEngineSound(float, float) {}
void CCar::initSounds(RSoundSystem* sound) { soundSystem = sound; }
bool CCar::isHitSoundFree() { return false; }
void CCar::playHitSound(const Vector3&, const Vector3&, float) {}
void CCar::playScrapeSound(const Vector3&, const Vector3&) {}

void CCar::reset(const Vector3& position, const Vector3& direction)
{
    placeOnTrack(position.x, position.z);
    Vector3 forward{direction.x, 0, direction.z};
    forward = forward.length() > 0 ? forward.normalised() : Vector3{0, 0, 1};
    setRotation(forward, {0, 1, 0});
    CRigidBody::setLinearVelocity({0, 0, 0});
    CRigidBody::setAngularVelocity({0, 0, 0});
    syncFrames();
    for (CSuspension* unit : suspension)
        if (unit) {
            unit->reset(position, direction);
            unit->setLinearVelocity({0, 0, 0});
            unit->setAngularVelocity({0, 0, 0});
        }
    for (CWheel& wheel : wheels) wheel.angularSpeed = 0;
    if (headBody.body) {
        const Vector3 head = matrix.transformPoint(headOffset);
        headBody.setPosition(head.x, head.y, head.z);
        headBody.setLinearVelocity({0, 0, 0});
    }

    carEngine.setSpeed(&carEngine, 200.0f);
    gearbox.gear = 0;
    gearbox.shiftUp();
    for (CGearNode* node : std::initializer_list<CGearNode*>{&gearbox, &clutch, powerPath.differential,
                                                             &drivenWheelNodes[0], &drivenWheelNodes[1]})
        if (node) node->speed = 0;
    velocity = prevVelocity = {0, 0, 0};
    speed = 0;
    parkedFrames = 0;
    msSinceReset = 0;
    syncFrames();
}

void CCar::placeOnTrack(float x, float z)
{
    float y = getPosition().y;
    if (track) {
        Vector3 hit, normal;
        const SurfaceInfo* info = nullptr;
        if (track->queryGround({x, 1000.0f, z}, hit, normal, nullptr, &info, nullptr, 0)) y = hit.y;
    }
    setPosition(x, y + rideHeight, z);
}

int CCar::getOdometerKm() { return static_cast<int>(odometer * 0.001); }

void CCar::setDriver(DriverRecord* record)
{
    driver = record;
    driverName = record ? record->name : std::string();
}

DriverRecord* CCar::getDriver() { return driver; }

void CCar::onKey(uint8_t key)
{
    if (key == 'b' && !viewPoints.empty()) currentView = (currentView + 1) % static_cast<int>(viewPoints.size());
    if (!simHost || !simHost->debugFlag()) return;
    // Debug keys nudge the view's depth values by a hundredth.
    if (key == 'b' || key == 'g') {
        viewDepthOffset += key == 'b' ? 0.01f : -0.01f;
        std::printf("depthDel=%f\n", viewDepthOffset);
    } else if (key == 'z' || key == 'x') {
        viewDepth += key == 'z' ? 0.01f : -0.01f;
        std::printf("depthPz=%f\n", viewDepth);
    }
}

int CCar::replayControl(int command)
{
    const int index = replay.control(command);
    if (command == 0)
        if (const CReplayFrame* frame = replay.displayedFrame()) showReplayFrame(*frame);
    return index;
}
void CCar::unusedSlot43() {}

void CCar::leaveReplayView()
{
    syncFrames();
    replayViewFlag = false;
}

int CCar::loadReplay(const char* path) { return path && replay.load(path) ? 1 : 0; }

// A base car has no skins; a concrete car with a model keeps the name.
void CCar::setSkinName(std::string) {}

void CCar::setOtherCars(HostCarList* cars) { otherCars = cars; }
void CCar::setProfiler(IProfiler* hostProfiler) { profiler = hostProfiler; }
void CCar::setTextB(std::string text) { textB = std::move(text); }
void CCar::drawSuspension() {}
void CCar::drawMarker(float) {}

// The host names the setup to load through this text before init.
void CCar::setTextC(const std::string& text)
{
    textC = text;
    setupStore.setName(text);
}

float CCar::getConstant() { return 0.0f; }
const char* CCar::getShortName() { return shortName.c_str(); }
void CCar::drawExtra(float) {}
void CCar::resetInputDelay() { msSinceReset = 0; }
bool CCar::isAvailable() { return available; }
