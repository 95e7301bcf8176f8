// The Solvi's drawing: body, spinning wheels, cockpit, shadow, and the
// debug pictures (suspension links, a marker above the car, glowing brake
// discs), all through the graphics engine the host handed over at init.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "car/profiler.h"
#include "car/sim_host.h"
#include "car/solvi.h"
#include "chassis/aero_device.h"
#include "chassis/wishbone_suspension.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/mesh_builder.h"
#include "graphics/scene_frame.h"
#include "graphics/text.h"

namespace {
// The car is drawn only when a sphere of this radius round it can be seen, m.
constexpr float kVisibilityRadius = 6.0f;
// The shadow quad: its size on the ground and its lift above it, m.
constexpr float kShadowWidth = 2.1f;
constexpr float kShadowLength = 4.7f;
constexpr float kShadowLift = 0.03f;
// Dirt turns a tyre towards this colour.
constexpr float kDirtColour[3] = {0.45f, 0.33f, 0.2f};
// Brake discs start to glow at this temperature and are white-hot at the
// second, °C.
constexpr float kGlowStart = 250.0f;
constexpr float kGlowFull = 800.0f;
constexpr float kDiscRadius = 0.17f;  // m
// The debug text's layout in screen units (-1..1, y up): its top left, the
// width of a wheel's column and the line spacing.
constexpr float kDebugLeft = -0.95f;
constexpr float kDebugTop = 0.6f;
constexpr float kDebugColumn = 0.95f;
constexpr float kDebugLine = 0.085f;
constexpr float kNewtonToKg = 0.10204081f;

RMaterial* plainMaterial(REngine* engine, float r, float g, float b)
{
    RMaterial* m = engine->createMaterial();
    m->setDiffuse(r, g, b);
    m->setSpecular(0, 0, 0);
    m->setTwoSided(true);
    return m;
}

// The world matrix of a pose turned only about the vertical, at a point.
Matrix4 yawPose(const Matrix4& pose, const Vector3& at)
{
    Vector3 forward = pose.zAxis();
    forward.y = 0;
    if (forward.length() < 1e-6f) forward = Vector3{0, 0, 1};
    forward = forward.normalised();
    const Vector3 side = cross(Vector3{0, 1, 0}, forward);
    Matrix4 m;
    for (int c = 0; c < 3; ++c) {
        m.at(0, c) = (&side.x)[c];
        m.at(2, c) = (&forward.x)[c];
    }
    m.setPosition(at);
    return m;
}
}  // namespace

void CSolvi::prepareWheel(int wheel, CSceneFrame* frame)
{
    CSceneFrame* spin = system->createFrame();
    spin->name = frame->name + "_SPIN";
    spin->geometries = std::move(frame->geometries);
    frame->geometries.clear();
    for (CSceneFrame* child : frame->children) spin->addChild(child);
    frame->children.clear();
    frame->addChild(spin);
    wheelSpin[wheel] = spin;
    if (spin->geometries.empty() || !spin->geometries.front()) return;
    // The tyre's material is shared by all four; each wheel gets a copy so
    // that its dirt is its own.
    RGeometry* tyre = spin->geometries.front();
    RMaterial* own = system->createMaterial();
    if (const RMaterial* shared = tyre->material) {
        own->setTexture(shared->texture);
        own->blendMode = shared->blendMode;
        own->twoSided = shared->twoSided;
        own->specular = shared->specular;
        own->emissive = shared->emissive;
        own->power = shared->power;
    }
    tyre->setMaterial(own);
    tyreMaterials[wheel] = own;
}

void CSolvi::prepareDrawing()
{
    // The suspension units carry the wheel frames; they draw through the
    // engine like any frame.
    for (CSuspension* unit : suspension) unit->engine = system;

    shadowFrame = system->createFrame();
    shadowFrame->name = "SHADOW";
    RMaterial* shade = system->createMaterial();
    shade->setTexture(shadowTexture);
    shade->setBlendMode(RMaterial::kBlendTextureAlpha);
    shade->setSpecular(0, 0, 0);  // no highlight on a shadow
    shade->setTwoSided(true);
    const float w = kShadowWidth / 2, l = kShadowLength / 2;
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    RMeshBuilder(system, shadowFrame, shade)
        .quad({-w, 0, -l}, {w, 0, -l}, {w, 0, l}, {-w, 0, l}, {0, 1, 0}, uv);
    shadowFrame->buildBuffers();

    barFrame = system->createFrame();
    barFrame->name = "BAR";
    linkMaterial = plainMaterial(system, 0.55f, 0.55f, 0.6f);
    RMeshBuilder bar(system, barFrame, linkMaterial);
    addUnitBar(bar);
    barFrame->buildBuffers();
    springMaterial = plainMaterial(system, 0.9f, 0.75f, 0.1f);
    markerMaterial = plainMaterial(system, 1.0f, 0.85f, 0.0f);
    markerMaterial->setEmissive(0.6f, 0.5f, 0.0f);
    for (RMaterial*& disc : discMaterials) disc = plainMaterial(system, 0.35f, 0.35f, 0.35f);
}

void CSolvi::drawBar(const Vector3& a, const Vector3& b, float thickness, RMaterial* material)
{
    if (!barFrame || barFrame->geometries.empty()) return;
    barFrame->geometries.front()->setMaterial(material);
    barFrame->matrix = barMatrix(a, b, thickness);
    barFrame->render(true, -1.0f, 0.0f);
}

void CSolvi::draw(uint8_t interior)
{
    if (!system) return;
    // The reflection maps turn with the car's heading.
    system->carAngles = matrix.eulerAngles();
    system->envYaw = system->carAngles.y;

    const bool cockpit = interior && cockpitModel;
    if (!cockpit && !system->isSphereVisible(matrix.getPosition(), kVisibilityRadius)) return;
    if (!cockpit) drawShadow();

    system->matrixStack.push();
    system->matrixStack.multiplyLocal(matrix);
    if (cockpit)
        cockpitModel->render(true, -1.0f, 0.0f);
    else if (bodyModel)
        bodyModel->render(true, -1.0f, 0.0f);
    system->matrixStack.pop();
    system->setWorld(system->matrixStack.top());
    if (cockpit) return;
    if (!bodyModel) {
        // No model: the car's own frame tree stands in for it.
        render(true, -1.0f, 0.0f);
    }

    for (int i = 0; i < 4; ++i) {
        const CWheel& wheel = wheels[i];
        if (wheelSpin[i]) wheelSpin[i]->matrix = Matrix4::rotationX(wheel.rotationAngle);
        if (RMaterial* tyre = tyreMaterials[i]) {
            const float d = std::clamp(wheel.dirt, 0.0f, 1.0f);
            tyre->setDiffuse(1 + (kDirtColour[0] - 1) * d, 1 + (kDirtColour[1] - 1) * d,
                             1 + (kDirtColour[2] - 1) * d);
        }
        if (suspension[i]) suspension[i]->render(true, -1.0f, 0.0f);
    }
}

// The shadow texture laid flat on the ground under the car, turned with its
// heading; the ground height is the mean of the wheels' last ground points.
void CSolvi::drawShadow()
{
    if (!system || !shadowFrame) return;
    float ground = 0;
    for (const CSuspension* unit : suspension) ground += unit->groundHeight * 0.25f;
    Vector3 at = matrix.getPosition();
    at.y = ground + kShadowLift;
    shadowFrame->matrix = yawPose(matrix, at);
    shadowFrame->render(true, -1.0f, 0.0f);
}

// Arms, hub and spring of each wishbone unit, from its stored chassis and
// hub points as the bodies now stand.
void CSolvi::drawSuspension()
{
    ProfileSection section(profiler, "DRAWSUS");
    if (!system) return;
    for (CSuspension* unit : suspension) {
        auto* wishbone = dynamic_cast<CWishboneSuspension*>(unit);
        if (!wishbone) continue;
        const Matrix4 hub = wishbone->matrix;
        auto onHub = [&](const Vector3& design) { return hub.transformPoint(design - wishbone->hubPosition); };
        drawBar(matrix.transformPoint(wishbone->pivot0Chassis), onHub(wishbone->pivot0Hub), 0.03f, linkMaterial);
        drawBar(matrix.transformPoint(wishbone->pivot1Chassis), onHub(wishbone->pivot1Hub), 0.04f, linkMaterial);
        drawBar(matrix.transformPoint(wishbone->topMount), hub.transformPoint(wishbone->bottomMount), 0.06f,
                springMaterial);
        const Vector3 centre = hub.getPosition();
        drawBar(centre - Vector3{0, 0.06f, 0}, centre + Vector3{0, 0.06f, 0}, 0.12f, linkMaterial);
    }
}

// A host's tag for this car: a yellow post `value` metres above the car's
// origin; 0 or less draws nothing.
void CSolvi::drawMarker(float value)
{
    if (!system || !(value > 0)) return;
    const Vector3 base = matrix.getPosition() + Vector3{0, value, 0};
    drawBar(base, base + Vector3{0, 0.5f, 0}, 0.25f, markerMaterial);
}

// The brake discs inside the wheels, glowing red to yellow-white with their
// temperature; `value` scales the glow (0 dark, 1 full).
void CSolvi::drawExtra(float value)
{
    if (!system) return;
    for (int i = 0; i < 4; ++i) {
        if (!wheelFrames[i] || !brakes.units[i]) continue;
        const float heat = std::clamp((brakes.units[i]->temperature - kGlowStart) / (kGlowFull - kGlowStart), 0.0f, 1.0f) *
                           std::clamp(value, 0.0f, 1.0f);
        discMaterials[i]->setEmissive(heat, heat * heat * 0.8f, heat * heat * heat * 0.5f);
        const Matrix4 pose = wheelFrames[i]->getWorldMatrix();
        const Vector3 axle = pose.xAxis();
        const Vector3 centre = pose.getPosition();
        drawBar(centre - axle * 0.02f, centre + axle * 0.02f, 2 * kDiscRadius, discMaterials[i]);
    }
}

// The debug text: the gear with the aero device's lift and drag in kg on
// the first line, then a block of three lines per wheel laid out as the
// wheels stand (front left and right side by side, the rear pair below):
// slip ratio and slip angle in degrees; inner, middle and outer tread
// temperature in °C; load in kN and tread wear.
void CSolvi::drawDebugText(RText* target)
{
    if (!target || !simHost || !simHost->debugFlag()) return;
    char line[96];
    std::string gear;
    getGearName(gear);
    const CAeroDevice* aero = aeroDevices.empty() ? nullptr : aeroDevices.front();
    std::snprintf(line, sizeof line, "%s lift=%.2f drag=%.2f", gear.c_str(),
                  aero ? aero->liftForce * kNewtonToKg : 0.0f, aero ? aero->dragForce * kNewtonToKg : 0.0f);
    target->drawText(kDebugLeft, kDebugTop, line);
    for (int i = 0; i < 4; ++i) {
        const CWheel& w = wheels[i];
        const float x = kDebugLeft + (i % 2) * kDebugColumn;
        const float y = kDebugTop - (1 + (i / 2) * 3.5f) * kDebugLine;
        std::snprintf(line, sizeof line, "%.2f %.2f", w.slipRatio, w.slipAngle);
        target->drawText(x, y, line);
        std::snprintf(line, sizeof line, "%.2f %.2f %.2f", w.tempInner, w.tempMiddle, w.tempOuter);
        target->drawText(x, y - kDebugLine, line);
        std::snprintf(line, sizeof line, "%.2f %.2f ", w.load * 0.001f, w.wear);
        target->drawText(x, y - 2 * kDebugLine, line);
    }
}

void CSolvi::drawName(RText* target)
{
    if (target) target->drawText(-0.9f, -0.9f, "Marend Solvi (solvi.dll v0.0.1)");
}
