#pragma once
// The one concrete car of this plug-in: a 1250 kg front-engined, rear-driven
// sports car on double wishbones with a limited-slip differential, six gears,
// ABS and traction control. It sets the car's parameters, builds its parts
// from its data files and fixed numbers, and overrides the few steps that are
// its own (fuel, mass, damage, driver aids, cameras, model, cockpit
// instruments, sounds).

#include <string>

#include "car/abs.h"
#include "car/car.h"
#include "car/solvi_sound_set.h"
#include "car/traction_control.h"
#include "powertrain/limited_slip_differential.h"
#include "services/setup_data.h"

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

    // Where the axles sit along the body's z axis from its reference point, m.
    static constexpr float kFrontAxle = 1.137f;
    static constexpr float kRearAxle = 1.558f;
};
