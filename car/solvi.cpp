#include "car/solvi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "car/sim_host.h"
#include "car/solvi_skin.h"
#include "car/solvi_tyres.h"
#include "chassis/aero_device.h"
#include "chassis/anti_roll_bar.h"
#include "chassis/wishbone_suspension.h"
#include "graphics/ase_loader.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/model_file.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"

namespace {
// One car per plug-in: the time since the body's mass last followed the fuel.
float fuelMassTimer = 0;

constexpr float kFuelMassInterval = 10.0f;  // s

const char* const kCarFolder = "cars/solvi/";
const char* const kTextureFolder = "cars/solvi/texture";
const char* const kWheelFrameNames[4] = {"TYRE_LF", "TYRE_RF", "TYRE_LR", "TYRE_RR"};
constexpr float kModelScale = 0.1f;  // the models are drawn in decimetres

// A model's textures: the first of the folders that holds the file, else the
// last folder through the engine's cache (where a missing file is fatal).
class FolderTextureResolver : public RTextureResolver {
public:
    FolderTextureResolver(REngine* engine, std::vector<std::string> folders)
        : engine(engine), folders(std::move(folders))
    {
    }
    RTexture* resolve(const std::string& name) override
    {
        if (name == "LIGHTMAP" || folders.empty()) return engine->getTexture(name);
        for (const std::string& folder : folders)
            if (std::filesystem::is_regular_file(folder + "/" + name)) return engine->getTexture(folder + "/" + name);
        return engine->getTexture(folders.back() + "/" + name);
    }

private:
    REngine* engine;
    std::vector<std::string> folders;
};

// The model `base` + ".vqo" from the run directory when it is there and
// whole, else read from `base` + ".ase", and then saved as the ".vqo" for
// the next run (a damaged cache is reported in one line and replaced).
// Its top-level frames hang under a new root frame; null when neither file
// can be read.
CSceneFrame* loadCachedModel(REngine* engine, const std::string& base, const std::vector<std::string>& textureFolders)
{
    const std::string cache = base + ".vqo";
    CSceneFrame* root = engine->createFrame();
    if (std::filesystem::is_regular_file(cache)) {
        RModelFile file(engine);
        file.requireWhole = true;
        for (const std::string& folder : textureFolders) file.addTexturePath(folder);
        if (file.load(cache, root)) return root;
        std::printf("model cache %s is damaged (%s); rebuilt from %s.ase\n", cache.c_str(),
                    file.problems.empty() ? "unreadable" : file.problems.front().c_str(), base.c_str());
    }
    FolderTextureResolver resolver(engine, textureFolders);
    RAseLoader loader(engine);
    loader.setScale(kModelScale);
    loader.setTexturePath("");
    loader.setTextureResolver(&resolver);
    if (!loader.read(base + ".ase")) return nullptr;
    for (CSceneFrame* frame : loader.frames) root->addChild(frame);
    RModelFile(engine).save(cache, root);
    return root;
}

// The first mesh's material of a frame, or null.
RMaterial* frameMaterial(CSceneFrame* frame)
{
    if (!frame || frame->geometries.empty() || !frame->geometries.front()) return nullptr;
    return frame->geometries.front()->material;
}
}  // namespace

CSolvi::CSolvi()
{
    frontalArea = 1.3f;
    dragCoefficient = 0.335f;
    fuel = 10.0f;
    shortName = "solvi";
    available = true;
    for (auto& unit : suspension) unit = new CWishboneSuspension;
}

CSolvi::~CSolvi()
{
    std::printf("Solvi destructor\n");
    saveTyreTemperatures();
    for (auto& unit : suspension) {
        delete unit;
        unit = nullptr;
    }
    carEngine.powerCurve.resample(500.0f, 0.0f, 15000.0f);
    carEngine.powerCurve.save("cars/solvi/engine/power.exp");
}

void CSolvi::setSkinName(std::string name) { skinName = std::move(name); }

float CSolvi::getConstant() { return 90.0f; }

// ---------------------------------------------------------------------------
// Set-up, in the order init runs it

void CSolvi::setCameras()
{
    viewPoints = {
        {{-1.15f, 0, 0}, {0, 0, 1}},
        {{1.15f, 0, 0}, {0, 0, 1}},
        {{0, 1.1f, -2.4f}, {0, 0, 1}},
        {{1.2f, 0.3f, 5.1f}, Vector3{-0.3f, 0, -1}.normalised()},
    };
}

void CSolvi::loadTyres()
{
    for (int i = 0; i < 4; ++i) {
        CWheel& w = wheels[i];
        const bool front = i < 2;
        w.radius = front ? 0.327f : 0.347f;
        w.radialStiffness = 220000;
        w.radialDamping = 1500;
        w.heatMass = 19.6f;
        w.specificHeat = 5.0f;
        w.inertia = 6.2f;
        const float masses[2][3] = {{11.0f, 12.0f, 7.0f}, {11.5f, 13.5f, 7.0f}};
        for (int k = 0; k < 3; ++k) w.partMasses[k] = masses[front ? 0 : 1][k];
        w.heatSpinCoeff = 0.95f;
        w.heatForceCoeff = 0.019f;
        w.heatSkidCoeff = 185.0f;
        loadSolviTyre(w.tyre, front);
        w.computeInertia();
        w.temperatureGripCurve = CCurve();
        for (auto [t, f] : {std::pair{-10.0f, 0.2f}, {15.0f, 0.9f}, {25.0f, 0.95f}, {35.0f, 0.97f}, {50.0f, 0.99f},
                            {70.0f, 1.0f}, {90.0f, 1.0f}, {95.0f, 0.99f}, {100.0f, 0.9f}})
            w.temperatureGripCurve.addValue(t, f);
        w.wearGripCurve = CCurve();
        for (auto [x, f] : {std::pair{0.0f, 0.96f}, {100.0f, 1.0f}, {1000.0f, 0.98f}, {3000.0f, 0.95f}, {6000.0f, 0.82f}})
            w.wearGripCurve.addValue(x, f);
        w.skidAngleCurve = CCurve();
        for (auto [a, l] : {std::pair{0.0f, 0.0f}, {4.0f, 0.1f}, {6.0f, 0.3f}, {7.0f, 0.6f}, {10.0f, 1.0f}})
            w.skidAngleCurve.addValue(a, l);
    }
}

// The body model with its wheel frames, the shadow and the cockpit. Without
// a graphics engine the car keeps its own plain wheel frames.
void CSolvi::loadModel()
{
    std::printf("load graphics\n");
    if (!system) return;
    if (skinName.empty()) {
        const SolviSkinChoice skin = readSolviSkin();
        if (!skin.problem.empty())
            std::printf("CSolvi::loadModel : %s, wearing the skin %s\n", skin.problem.c_str(), skin.name.c_str());
        skinName = skin.name;
    }
    std::vector<std::string> folders;
    if (!skinName.empty()) folders.push_back(std::string(kCarFolder) + "skins/" + skinName);
    folders.push_back(kTextureFolder);
    bodyModel = loadCachedModel(system, kCarFolder + shortName, folders);
    if (bodyModel) {
        // The wheel frames leave the body tree: each hangs on its suspension
        // hub at the hub's centre, as the plain frames did (init step 5).
        for (int i = 0; i < 4; ++i) {
            CSceneFrame* frame = bodyModel->findFrame(kWheelFrameNames[i]);
            if (!frame) {
                std::printf("CSolvi::loadModel() failed to found %s\n", kWheelFrameNames[i]);
                continue;
            }
            if (frame->parent) frame->parent->removeChild(frame->name);
            frame->parent = nullptr;
            frame->matrix.identity();
            prepareWheel(i, frame);
            frame->buildBuffers();
            wheelFrames[i] = frame;
        }
        bodyModel->buildBuffers();
        addChild(bodyModel);  // the root sits at the car's origin (z = 0)
    }
    shadowTexture = system->getTexture(std::string(kTextureFolder) + "/shadow.tga");
    prepareDrawing();
    loadInterior();
}

void CSolvi::loadInterior()
{
    std::printf("load Solvi internals\n");
    if (!system) return;
    cockpitModel = loadCachedModel(system, kCarFolder + shortName + "_int", {kTextureFolder});
    auto bind = [this](const char* name) -> CSceneFrame* {
        CSceneFrame* frame = cockpitModel ? cockpitModel->findFrame(name) : nullptr;
        if (!frame) std::printf("CSolvi::loadInternalFrame() failed to found %s\n", name);
        return frame;
    };
    cockpitSteeringWheel = bind("INT_WHEEL");
    rpmNeedle = bind("INT_RPM");
    speedNeedle = bind("INT_KMH");
    absLamp = bind("INT_ABS");
    tcLamp = bind("INT_TC");
    if (rpmNeedle) rpmNeedleRest = rpmNeedle->matrix;
    if (speedNeedle) speedNeedleRest = speedNeedle->matrix;
    if (cockpitModel) {
        cockpitModel->buildBuffers();
        addChild(cockpitModel);
    }
}

void CSolvi::showSteeringWheel(uint8_t show)
{
    if (cockpitSteeringWheel) cockpitSteeringWheel->visible = show != 0;
}

void CSolvi::setInertias()
{
    carEngine.inertia = 0.25f;
    gearbox.inertia = 0.02f;
    clutch.inertia = 0.001f;
    finalDrive.inertia = 0.001f;
    ownDifferential.inertia = 0.02f;
    drivenWheelNodes[0].inertia = wheels[2].inertia;
    drivenWheelNodes[1].inertia = wheels[3].inertia;
    steering.ackermann = 1.2f;
}

void CSolvi::loadEngine()
{
    IHostFlag* flag = simHost ? simHost->flag("LOADENGINECURVE") : nullptr;
    const bool fromFile = flag && flag->isSet();
    CCurve& power = carEngine.powerCurve;
    power = CCurve();
    if (fromFile) {
        for (auto [rpm, torque] :
             {std::pair{0.0f, 0.37f}, {1000.0f, 250.0f}, {2000.0f, 625.0f}, {2500.0f, 650.0f}, {3000.0f, 655.0f},
              {3500.0f, 690.0f}, {4000.0f, 750.0f}, {4500.0f, 720.0f}, {5000.0f, 690.0f}, {5500.0f, 670.0f},
              {6000.0f, 650.0f}, {6500.0f, 550.0f}, {7000.0f, 508.0f}, {9266.0f, 20.0f}, {11266.0f, 0.0f}})
            power.addValue(rpm, torque);
        carEngine.coastCurve.load("cars/solvi/engine/coast.vqcv");
    } else {
        for (auto [rpm, torque] :
             {std::pair{0.0f, 0.37f}, {500.0f, 125.185f}, {1000.0f, 250.0f}, {1500.0f, 437.5f}, {2000.0f, 625.0f},
              {2500.0f, 650.0f}, {3000.0f, 655.0f}, {3500.0f, 690.0f}, {4000.0f, 750.0f}, {4500.0f, 720.0f},
              {5000.0f, 690.0f}, {5500.0f, 670.0f}, {6000.0f, 650.0f}, {6500.0f, 550.0f}, {7000.0f, 508.0f},
              {7500.0f, 400.321f}, {8000.0f, 292.643f}, {8500.0f, 184.964f}, {9000.0f, 77.285f}, {9500.0f, 17.66f},
              {10000.0f, 12.66f}, {10500.0f, 7.66f}, {11000.0f, 2.66f}})
            power.addValue(rpm, torque);
        for (float rpm = 11500.0f; rpm <= 15000.0f; rpm += 500.0f) power.addValue(rpm, 0.0f);
    }
    carEngine.buildCoastCurve(7000.0f, 40.0f);
    carEngine.fuelRate = 2.4e-5f;
    carEngine.limiterRpm = 7000.0f;
    carEngine.throttleRiseRate = 4.0f;
    carEngine.throttleFallRate = 6.0f;
    carEngine.setDefaultThrottleCurve();
    tractionControl.attach(&carEngine, {&wheels[0], &wheels[1], &wheels[2], &wheels[3]});
}

void CSolvi::buildDrivetrain()
{
    setInertias();
    loadEngine();
    clutch.pressure = 1900.0f;
    clutch.engageRate = 20.0f;
    ownDifferential.torqueGain = 0.2f;
    ownDifferential.lockSetting = 2;
    ownDifferential.lockFactors[2] = 0.5f;
    connectDrivetrain(&ownDifferential);
    abs.attach(&brakes);
}

void CSolvi::createAeroDevices()
{
    auto* device = new CAeroDevice(this, {0, 0.5f, 0}, 1.0f, 3.0f);
    device->fixedLift = 0.2756f;
    aeroDevices.push_back(device);
}

void CSolvi::setDefaults()
{
    setupData.load("cars/solvi/setup/default.vqs");
    for (int i = 0; i < 4; ++i) {
        const bool front = i < 2;
        suspension[i]->springRate = front ? 148000.0f : 176000.0f;
        suspension[i]->dampExtension = front ? 6000.0f : 8000.0f;
        suspension[i]->dampCompression = front ? 12000.0f : 14000.0f;
        CBrakeUnit& unit = *brakes.units[i];
        unit.radius = 0.25f;
        unit.padFriction = 0.35f;
        unit.clampForce = 30000.0f;
    }
    antiRollFront->stiffness = 8500.0f;
    antiRollRear->stiffness = 7000.0f;
    steering.steeringRatio = 13.0f;
    steering.lockDegrees = 150.0f;
    finalDrive.setRatio(3.36f, 1.0f);
    gearbox.shiftTime = 0.35f;
    shiftMode = 0;
    gearbox.addGear(-3.0f, 1.0f, "R");
    gearbox.addGear(0.0f, 0.0f, "N");
    const float ratios[6] = {2.88f, 1.77f, 1.27f, 1.0f, 0.83f, 0.71f};
    for (int g = 0; g < 6; ++g) gearbox.addGear(ratios[g], 1.0f, std::to_string(g + 1));
    gearbox.gear = 0;
    gearbox.selectNextGear();
    frontTilt[0] = frontTilt[1] = -0.6f;
    rearToe[0] = rearToe[1] = -0.4f;
    fuel = 15.0f;
    brakes.setFrontBias(0.66f);
}

void CSolvi::setGeometry()
{
    const float wheelbase = kFrontAxle + kRearAxle;
    std::printf("FOR=%f REA=%f\n", kFrontAxle / wheelbase, kRearAxle / wheelbase);
    // The axles are placed from the body model frame's reference point (the
    // body's origin when there is no model).
    const float modelZ = bodyModel ? bodyModel->matrix.getPosition().z : 0.0f;
    const WishboneLayout layout;
    for (int i = 0; i < 4; ++i) {
        auto* unit = static_cast<CWishboneSuspension*>(suspension[i]);
        unit->hingeLimitA = 0.5235988f;
        unit->hingeLimitB = 0.5235988f;
        unit->springHeight = 0.2f;
        unit->springPreload = 0.03f;
        unit->placeCorner(layout, i, i < 2 ? modelZ + kFrontAxle : modelZ - kRearAxle);
        unit->build();
    }
}

void CSolvi::updateMass()
{
    std::printf("fule %f\n", fuel);
    float unsprung = 0;
    for (CSuspension* unit : suspension) unsprung += unit->getUnsprungMass();
    setMassBox(1250.0f + 0.8f * fuel - unsprung, 1.2f, 0.7f, 3.4f);
}

void CSolvi::setHeadOffset() { headOffset = {0.4f, 0.5f, 0.4f}; }
// This car records no telemetry: both steps are empty by design.
void CSolvi::setupTelemetry() {}
void CSolvi::recordTelemetry(float) {}

// Needles turn about their own z from their loaded pose; lamps light while
// their aid acts. A frame the cockpit lacks is skipped.
void CSolvi::updateInstruments(float)
{
    if (rpmNeedle) {
        rpmNeedle->matrix = rpmNeedleRest;
        rpmNeedle->rotateZ(static_cast<float>(carEngine.rpm) * 0.001f * -19.0f);
    }
    if (speedNeedle) {
        speedNeedle->matrix = speedNeedleRest;
        speedNeedle->rotateZ(speed * 3.6f * -0.58f);
    }
    if (RMaterial* m = frameMaterial(absLamp)) {
        if (abs.acting) m->setDiffuse(0.4f, 1.0f, 0.4f);
        else m->setDiffuse(0.0f, 0.1f, 0.0f);
    }
    if (RMaterial* m = frameMaterial(tcLamp)) {
        if (tractionControl.acting) m->setDiffuse(1.0f, 0.4f, 0.4f);
        else m->setDiffuse(0.0f, 0.1f, 0.0f);
    }
}

// ---------------------------------------------------------------------------
// Physics-frame steps of its own

void CSolvi::consumeFuel(float dt)
{
    const float used = carEngine.getFuelFlow() * dt;
    fuel -= used;
    usedFuel += used;
    fuelMassTimer += dt;
    if (fuelMassTimer >= kFuelMassInterval) {
        updateMass();
        fuelMassTimer = 0;
    }
}

void CSolvi::stepCarExtras(float dt) { tractionControl.step(dt); }

void CSolvi::stepAttachments(float dt) { abs.step(dt); }

void CSolvi::onCollision(const Vector3& point, float depth)
{
    if (depth < 0.1f) return;
    std::printf("d=%f\n", depth);
    const Matrix4 pose = matrix;
    const Vector3 d = point - pose.getPosition();
    const Vector3 p{dot(d, pose.xAxis()), dot(d, pose.yAxis()), dot(d, pose.zAxis())};
    int corner = -1;
    if (p.x < -0.5f && p.z > 0.3f) corner = 1;        // front right
    else if (p.x > 0.5f && p.z > 0.3f) corner = 0;    // front left
    else if (p.x < -0.5f && p.z < -0.3f) corner = 3;  // rear right
    else if (p.x > 0.5f && p.z < -0.3f) corner = 2;   // rear left
    if (corner < 0) return;
    if (depth > 0.2f) {
        suspension[corner]->springRate = 0;
        suspension[corner]->dampExtension = 100.0f;
        suspension[corner]->dampCompression = 100.0f;
    }
    const float u = (std::rand() % 32768) / 32767.0f;
    if (corner == 1)
        wheels[corner].alignmentOffset += 5.0f - 10.0f * depth * u;
    else
        wheels[corner].alignmentOffset += 10.0f * depth * u;
}

// ---------------------------------------------------------------------------
// Host operations of its own

float CSolvi::getSteeringTorque()
{
    const float t = (wheels[0].alignMoment + wheels[1].alignMoment) * 0.0005f;
    if (std::isnan(t)) return 0.0f;
    // The front left wheel as it stands: alignment offset and Ackermann included.
    const float s = std::sin(steering.frontWheelAngle(0) * 0.017453292f);
    // The per-wheel weight term is the wheel's load against the tyre's
    // optimal load.
    const float weight = wheels[0].load / wheels[0].tyre.OPTIMALLOAD + wheels[1].load / wheels[1].tyre.OPTIMALLOAD;
    float v = (s * t * 0.1f + s * 0.05f) * weight;
    if ((wheels[0].surfaceKind == 2 || wheels[1].surfaceKind == 2) && speed < 2.0f) v += s * 0.2f;
    return v + t;
}

void CSolvi::onKey(uint8_t key)
{
    const char* message = nullptr;
    if (key == 't') message = tractionControl.toggle();
    if (key == 'a') message = abs.toggle();
    if (message && simHost) simHost->showMessage(message);
    // With Shift held the key belongs to the aids alone.
    if (!(system && system->system.isShiftDown())) CCar::onKey(key);
}

// ---------------------------------------------------------------------------
// Sounds

void CSolvi::initSounds(RSoundSystem* sound)
{
    CCar::initSounds(sound);
    sounds.initSounds(sound);
}

void CSolvi::updateEngineSound(float, float inCar)
{
    // With assisted shifting the clutch opens and the throttle closes while a
    // shift runs, except from first gear.
    if (shiftMode == 2 && gearbox.shiftState != 0 && gearbox.gear != 2) {
        clutch.engagementTarget = 0;
        carEngine.setThrottle(0);
    }
    CSolviSoundSet::EngineSoundInput input;
    input.rpm = carEngine.rpm;
    input.engineSoundLevel = getEngineSoundLevel();
    input.speed = speed;
    input.inCar = inCar != 0.0f;
    input.position = input.inCar ? matrix.getPosition() : getPosition();
    input.velocity = CRigidBody::getVelocity();
    input.replayView = replayViewFlag;
    sounds.updateEngineSound(input);
}

bool CSolvi::isHitSoundFree() { return soundSystem && sounds.isHitFree(); }

void CSolvi::playHitSound(const Vector3& position, const Vector3& velocity, float volume)
{
    if (soundSystem) sounds.playHit(position, velocity, volume);
}

void CSolvi::playScrapeSound(const Vector3& position, const Vector3& velocity)
{
    if (soundSystem) sounds.playScrape(position, velocity);
}
