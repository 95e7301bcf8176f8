#pragma once
// The one concrete car of this plug-in: a 1250 kg front-engined, rear-driven
// sports car on double wishbones with a limited-slip differential, six gears,
// ABS and traction control. It sets the car's parameters, builds its parts
// from its data files and fixed numbers, and overrides the few steps that are
// its own (fuel, mass, damage, driver aids, cameras, model, cockpit
// instruments, sounds).

#include <array>
#include <string>

#include "car/abs.h"
#include "car/car.h"
#include "car/solvi_sound_set.h"
#include "car/traction_control.h"
#include "powertrain/limited_slip_differential.h"
#include "services/setup_data.h"

class RMaterial;
class RTexture;

class CSolvi : public CCar {
public:
    CSolvi();
    ~CSolvi() override;

    // ICar operations of its own.
    void setSkinName(std::string name) override;
    void showSteeringWheel(uint8_t show) override;
    float getConstant() override;
    float getSteeringTorque() override;
    void onKey(uint8_t key) override;
    void initSounds(RSoundSystem* sound) override;
    void updateEngineSound(float value, float inCar) override;
    bool isHitSoundFree() override;
    void playHitSound(const Vector3& position, const Vector3& velocity, float volume) override;
    void playScrapeSound(const Vector3& position, const Vector3& velocity) override;
    void draw(uint8_t interior) override;
    void drawShadow() override;
    void drawDebugText(RText* target) override;
    void drawName(RText* target) override;
    void drawSuspension() override;
    void drawMarker(float value) override;
    void drawExtra(float value) override;

    // Steps of its own.
    void onCollision(const Vector3& point, float depth) override;
    void stepCarExtras(float dt) override;
    void recordTelemetry(float dt) override;
    void setupTelemetry() override;
    void setHeadOffset() override;
    void updateInstruments(float dt) override;
    void stepAttachments(float dt) override;
    void consumeFuel(float dt) override;
    void loadTyres() override;
    void updateMass() override;
    void setGeometry() override;
    void createAeroDevices() override;
    void setDefaults() override;
    void buildDrivetrain() override;
    void loadModel() override;
    void loadInterior();
    void setCameras() override;
    void setInertias();
    void loadEngine();

    CSetupData setupData;
    std::string skinName;
    CLimitedSlipDifferential ownDifferential{&drivetrain};  // used instead of the base car's
    CAbs abs;
    CTractionControl tractionControl;
    CSolviSoundSet sounds;
    float usedFuel = 0;  // litres since the car was built

    // Graphics, made by loadModel (frames and textures belong to the engine).
    CSceneFrame* bodyModel = nullptr;     // the body model's root, a child of the car at z = 0
    CSceneFrame* cockpitModel = nullptr;  // the cockpit model's root
    RTexture* shadowTexture = nullptr;
    // Cockpit frames; null when the cockpit model lacks them.
    CSceneFrame* rpmNeedle = nullptr;
    CSceneFrame* speedNeedle = nullptr;
    CSceneFrame* absLamp = nullptr;
    CSceneFrame* tcLamp = nullptr;
    Matrix4 rpmNeedleRest, speedNeedleRest;  // the needles' poses as loaded

    // Drawing parts, made by loadModel (see solvi_drawing.cpp).
    // Each wheel's tyre and rim turn in a frame of their own under the wheel
    // frame; the tyre mesh has its own material, which shows the dirt.
    std::array<CSceneFrame*, 4> wheelSpin{};
    std::array<RMaterial*, 4> tyreMaterials{};
    CSceneFrame* shadowFrame = nullptr;  // the shadow quad, laid under the car each picture
    CSceneFrame* barFrame = nullptr;     // a unit bar, stretched for links, markers and discs
    RMaterial* linkMaterial = nullptr;
    RMaterial* springMaterial = nullptr;
    RMaterial* markerMaterial = nullptr;
    std::array<RMaterial*, 4> discMaterials{};
    // Moves a loaded wheel frame's meshes and children into its spin frame.
    void prepareWheel(int wheel, CSceneFrame* frame);
    // The shadow quad, the bar and their materials.
    void prepareDrawing();
    // Draws the bar frame stretched from a to b (world) with a material.
    void drawBar(const Vector3& a, const Vector3& b, float thickness, RMaterial* material);

    // Where the axles sit along the body's z axis from its reference point, m.
    static constexpr float kFrontAxle = 1.137f;
    static constexpr float kRearAxle = 1.558f;
};
