#include "car/car.h"

#include <cmath>
#include <cstdio>

#include "car/car_internal.h"
#include "car/sim_host.h"
#include "car/track.h"
#include "chassis/aero_device.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/suspension.h"
#include "powertrain/shift_listener.h"

using namespace car_internal;

namespace {
// The engine curves are written out sampled every 500 rpm up to 15000 rpm.
constexpr float kCurveExportStep = 500.0f;
constexpr float kCurveExportTo = 15000.0f;
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

    // 3. Steering. The sound system arrives with initSounds, which hosts
    // call before or after init: one handed over earlier is kept.
    SteeringCarLink link;
    link.frontWheels[0] = &wheels[0];
    link.frontWheels[1] = &wheels[1];
    link.frontTilt[0] = &frontTilt[0];
    link.frontTilt[1] = &frontTilt[1];
    link.cockpitWheel = &cockpitSteeringWheel;
    steering.setCar(link);

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

void CCar::initSounds(RSoundSystem* sound) { soundSystem = sound; }

// A base car makes no sound of its own; a concrete car brings its sound set.
void CCar::updateEngineSound(float, float) {}

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
        if (const TrackSurface* surface =
                track->queryGround({x, 1000.0f, z}, hit, normal, placeSurface, &info, &placeQueryCache, 0)) {
            placeSurface = surface;
            y = hit.y;
        }
    }
    setPosition(x, y + rideHeight, z);
}

// A base car has no skins; a concrete car with a model keeps the name.
void CCar::setSkinName(std::string) {}

// The host names the setup to load through this text before init.
void CCar::setTextC(const std::string& text)
{
    textC = text;
    setupStore.setName(text);
}
