#include "graphics/engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "graphics/animation_player.h"
#include "graphics/ase_loader.h"
#include "graphics/animation_reader.h"
#include "graphics/box.h"
#include "graphics/camera.h"
#include "graphics/geometry.h"
#include "graphics/light.h"
#include "graphics/material.h"
#include "graphics/projection.h"
#include "graphics/scene_frame.h"
#include "graphics/spline.h"
#include "graphics/spline_reader.h"
#include "graphics/texture.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Milliseconds from `since` to `now` on the 32-bit clock, right across its
// wrap (the tick count passes 2^31 after 24 days of uptime).
int elapsedMs(int now, int since) {
    return static_cast<int>(static_cast<uint32_t>(now) - static_cast<uint32_t>(since));
}

uint32_t channel(float c) {
    const int v = static_cast<int>(c * 255.0f);
    return static_cast<uint32_t>(std::clamp(v, 0, 255));
}

}  // namespace

REngine::REngine() {
    printf("***************************************************************\n");
    printf("* NOCTURA GAME GRAPHICS ENGINE v0.1                           *\n");
    printf("* D3D Win32 Version                                        *\n");
    printf("***************************************************************\n\n\n");
    system.initTimer();
    aseLoader = new RAseLoader(this);
    aseLoader->setTexturePath("texture/");
    aseLoader->setBaseDirectory("ase");
    // The default material stays out of the material list, so that loaded
    // materials number from 0.
    defaultMaterial = new RMaterial(this);
    defaultMaterial->name = "default";
    defaultMaterial->index = -1;
    lastFrameMs = clockMs();
    lastFpsMs = lastFrameMs;
    nowMs = lastFrameMs;
}

REngine::~REngine() {
    printf("Deleting texture\n");
    for (RTexture* t : textures) delete t;
    textures.clear();
    printf("Deleting frames\n");
    for (CSceneFrame* frame : frames) delete frame;
    frames.clear();
    printf("Deleting geometries\n");
    for (RGeometry* g : geometries) delete g;
    geometries.clear();
    printf("Deleting materials\n");
    for (RMaterial* m : materials) delete m;
    materials.clear();
    delete defaultMaterial;
    defaultMaterial = nullptr;
    currentMaterial = nullptr;
    printf("Deleting cameras\n");
    for (RCamera* c : cameras) delete c;
    cameras.clear();
    currentCamera = nullptr;
    for (RAnimationPlayer* p : animationPlayers) delete p;
    animationPlayers.clear();
    for (RSpline* s : splines) delete s;
    splines.clear();
    for (RBox* b : boxes) delete b;
    boxes.clear();
    for (RLight* l : lights) delete l;
    lights.clear();
    delete aseLoader;
    aseLoader = nullptr;
    printf("Deleting device\n");
    device = nullptr;
    printf("Deleting direct3d\n");
    direct3d = nullptr;
}

void REngine::setDevice(RDevice* newDevice) {
    device = newDevice;
    currentVertexFormat = RVertexFormat::None;
    currentMaterial = nullptr;
    stage0Texture = nullptr;
    stage1Texture = nullptr;
    stage1Amount = 0.0f;
    if (device == nullptr) return;
    device->setTextureStageState(0, RStageState::ColourOp, deviceValue(RTextureOp::Modulate));
    device->setTextureStageState(0, RStageState::ColourArg1, deviceValue(RTextureArg::Texture));
    device->setTextureStageState(0, RStageState::ColourArg2, deviceValue(RTextureArg::Diffuse));
    device->setRenderState(RRenderState::SpecularEnable, 1);
    device->setTransform(RTransform::Texture0, Matrix4());
    device->setTextureStageState(0, RStageState::TextureTransformFlags, deviceValue(RTextureTransformFlags::Disable));
    device->setSamplerState(0, RSamplerState::AddressU, deviceValue(RTextureAddress::Wrap));
    device->setSamplerState(0, RSamplerState::AddressV, deviceValue(RTextureAddress::Wrap));
    device->setSamplerState(0, RSamplerState::MagFilter, deviceValue(RTextureFilter::Linear));
    device->setSamplerState(0, RSamplerState::MinFilter, deviceValue(RTextureFilter::Linear));
}

bool REngine::init(void* newWindow, void* arg) {
    window = newWindow;
    windowArg = arg;
    deviceContext = newWindow;
    return initDirect3D();
}

bool REngine::isHardwareTnL() const { return deviceFactory != nullptr && deviceFactory->hardwareTnL(); }

bool REngine::initDirect3D() {
    printf("initDirect3D()\n");
    printf("creating direct3d object\n");
    if (deviceFactory == nullptr || !deviceFactory->createInterface()) return false;
    printf("getting display adapter mode\n");
    if (!deviceFactory->readDisplayMode()) return false;
    const bool hardware = isHardwareTnL();
    printf(hardware ? "Using TnL\n" : "no TnL\n");
    struct Depth {
        RDepthFormat format;
        const char* line;
    };
    static constexpr Depth kDepths[] = {{RDepthFormat::D32, "creating device 32depth\n"},
                                        {RDepthFormat::D24X8, "creating device 24X8depth\n"},
                                        {RDepthFormat::D24S8, "creating device 24S8depth\n"},
                                        {RDepthFormat::D16, "creating device 16depth\n"}};
    RDevice* made = nullptr;
    for (const Depth& depth : kDepths) {
        if (!deviceFactory->depthFormatUsable(depth.format)) continue;
        printf("%s", depth.line);
        made = deviceFactory->createDevice(window, depth.format, hardware, width, height);
        if (made != nullptr) break;
    }
    if (made == nullptr) return false;
    printf("creating matrix stack\n");
    matrixStack.reset();
    setDevice(made);
    return true;
}

CSceneFrame* REngine::createFrame() {
    CSceneFrame* frame = new CSceneFrame();
    frame->engine = this;
    frames.push_back(frame);
    return frame;
}

RGeometry* REngine::createGeometry() {
    RGeometry* g = new RGeometry(this);
    geometries.push_back(g);
    return g;
}

RMaterial* REngine::createMaterial() {
    RMaterial* m = new RMaterial(this);
    m->index = static_cast<int>(materials.size());
    materials.push_back(m);
    return m;
}

RCamera* REngine::createCamera() {
    RCamera* c = new RCamera(this);
    cameras.push_back(c);
    return c;
}

RLight* REngine::createLight() {
    RLight* l = new RLight(this);
    lights.push_back(l);
    return l;
}

RAnimationPlayer* REngine::createAnimationPlayer() {
    RAnimationPlayer* p = new RAnimationPlayer(this);
    animationPlayers.push_back(p);
    return p;
}

RTexture* REngine::getTexture(const std::string& name) {
    // A lightmap is filled by its user, so every request gets its own; it
    // joins the list only to be deleted with the rest.
    if (name != "LIGHTMAP") {
        for (RTexture* t : textures) {
            if (t->name == name) return t;
        }
    }
    RTexture* t = new RTexture();
    t->engine = this;
    textures.push_back(t);
    if (name == "LIGHTMAP")
        t->name = name;
    else
        t->load(name);
    return t;
}

void REngine::loadAnimation(const std::string& fileName, CSceneFrame* rootFrame) {
    RAnimationReader reader;
    reader.load(system, fileName, rootFrame);
}

void REngine::loadSplines(const std::string& fileName) {
    RSplineReader reader;
    reader.load(system, fileName, splines);
}

CSceneFrame* REngine::loadModel(const std::string& name, float scale) {
    CSceneFrame* model = aseLoader->loadInto(name, scale, nullptr);
    if (model != nullptr) model->buildBuffers();
    return model;
}

RBox* REngine::createBox() {
    RBox* b = new RBox();
    boxes.push_back(b);
    return b;
}

void REngine::beginFrame() {
    int now = clockMs();
    int dt = elapsedMs(now, lastFrameMs);
    frameTime100 = static_cast<int>(dt * 3.030303f);
    trianglesLastFrame = triangleCounter;
    triangleCounter = 0;
    materialSwitchesLastFrame = materialSwitchCounter;
    materialSwitchCounter = 0;

    if (frameLimiter) {
        while (dt < 33) {
            now = clockMs();
            dt = elapsedMs(now, lastFrameMs);
        }
    }
    nowMs = now;
    if (elapsedMs(now, lastFpsMs) >= 1000) {
        fps = frameCounter;
        frameCounter = 0;
        lastFpsMs = now;
    }
    frameTimeMs = elapsedMs(now, lastFrameMs);
    ++frameCounter;
    timeScale = frameLimiter ? 1.0f : std::min(5.0f, static_cast<float>(frameTimeMs) * 0.030303031f);
    lastFrameMs = now;
    sectionPercent = frameTimeMs > 0 ? static_cast<float>(sectionMs) * 100.0f / static_cast<float>(frameTimeMs) : 0.0f;

    // Whatever ran between frames (text, the host's own drawing) may have
    // changed device state behind the material cache; the first material
    // of each frame is handed over in full.
    currentMaterial = nullptr;
    if (device != nullptr) device->beginScene();
}

void REngine::endFrame() {
    if (device != nullptr) device->endScene();
}

void REngine::present() {
    if (device != nullptr) device->present();
}

void REngine::clearAll() {
    if (device != nullptr) device->clear(kClearTarget | kClearDepth, 0xFFFFFFFFu, 1.0f, 0);
}

void REngine::clearDepth() {
    if (device != nullptr) device->clear(kClearDepth, 0, 1.0f, 0);
}

void REngine::markSectionStart() { sectionStartMs = clockMs(); }

void REngine::markSectionEnd() { sectionMs = elapsedMs(clockMs(), sectionStartMs); }

void REngine::setProjection(const Matrix4& m) {
    if (device != nullptr) device->setTransform(RTransform::Projection, m);
}

void REngine::setView(const Matrix4& m) {
    if (device != nullptr) device->setTransform(RTransform::View, m);
}

void REngine::setWorld(const Matrix4& m) {
    if (device != nullptr) device->setTransform(RTransform::World, m);
}

void REngine::resetTransforms() {
    setView(Matrix4());
    setWorld(Matrix4());
    matrixStack.reset();
}

void REngine::begin2D() {
    setProjection(orthoOffCenterLeftHanded(-1.0f, 1.0f, -1.0f, 1.0f, -1.0f, 1.0f));
    setView(Matrix4());
    setWorld(Matrix4());
}

void REngine::setViewport(int x, int y, int w, int h) {
    if (device != nullptr) device->setViewport(RViewport{x, y, w, h, 0.0f, 1.0f});
}

void REngine::setDepthOffset(float a, float b) {
    float farPlane = cameraFar;
    float nearPlane = cameraNear;
    if (currentCamera != nullptr) {
        currentCamera->apply();
        farPlane = currentCamera->farPlane;
        nearPlane = currentCamera->nearPlane;
    } else {
        setProjection(perspectiveLeftHanded(cameraFov * kDegreesToRadians, cameraAspect, cameraNear, cameraFar));
        setView(lookAtLeftHanded(cameraPosition, cameraPosition + cameraDirection, cameraUp));
    }
    if (a == 0.0f || device == nullptr) return;
    Matrix4 projection = device->getTransform(RTransform::Projection);
    projection.at(2, 2) *= 1.0f + (-2.0f * b * farPlane * nearPlane) / ((farPlane + nearPlane) * (a + b) * a);
    device->setTransform(RTransform::Projection, projection);
}

void REngine::setZEnable(bool on) {
    if (device != nullptr) device->setRenderState(RRenderState::ZEnable, on ? 1 : 0);
}

void REngine::setLighting(bool on) {
    if (device != nullptr) device->setRenderState(RRenderState::Lighting, on ? 1 : 0);
}

void REngine::setCulling(bool on) {
    if (device == nullptr) return;
    device->setRenderState(RRenderState::CullMode,
                           on ? static_cast<uint32_t>(defaultCullMode) : deviceValue(RCull::None));
}

void REngine::setAlphaTest(bool on, float ref) {
    if (device == nullptr) return;
    device->setRenderState(RRenderState::AlphaTestEnable, on ? 1 : 0);
    if (!on) return;
    device->setRenderState(RRenderState::AlphaFunc, deviceValue(RCompare::Greater));
    device->setRenderState(RRenderState::AlphaRef, static_cast<uint32_t>(static_cast<int>(ref)));
}

void REngine::setAlphaBlend(bool on) {
    if (device != nullptr) device->setRenderState(RRenderState::AlphaBlendEnable, on ? 1 : 0);
}

void REngine::setAmbient(float r, float g, float b) {
    if (device == nullptr) return;
    device->setRenderState(RRenderState::Ambient, 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b));
}

void REngine::setVertexFormat(RVertexFormat format) {
    if (format == currentVertexFormat || device == nullptr) return;
    currentVertexFormat = format;
    device->setVertexFormat(format);
}

void REngine::setDefaultVertexFormat() {
    if (device == nullptr) return;
    currentVertexFormat = RVertexFormat::OneUv;
    device->setVertexFormat(RVertexFormat::OneUv);
}

void REngine::unbindTextures(bool keep) {
    if (keep) return;
    if (stage0Texture != nullptr) unbindStage(0);
    if (stage1Texture != nullptr) unbindStage(1);
}

void REngine::unbindStage(int stage) {
    if (stage == 0) stage0Texture = nullptr;
    if (stage == 1) {
        stage1Texture = nullptr;
        stage1Amount = 0.0f;
    }
    if (device == nullptr) return;
    device->setTexture(stage, nullptr);
    // Stage 1 only ever adds a lightmap or a reflection on top of stage 0;
    // with nothing bound it must not take part any more.
    if (stage == 1) device->setTextureStageState(1, RStageState::ColourOp, deviceValue(RTextureOp::Disable));
}

Vector3 REngine::getCameraPosition() const {
    return currentCamera != nullptr ? currentCamera->position : cameraPosition;
}

bool REngine::isSphereVisible(const Vector3& center, float radius) const {
    if (currentCamera != nullptr) return currentCamera->isSphereVisible(center, radius);
    Vector3 n1, n2;
    RCamera::sidePlaneNormals(cameraDirection, cameraUp, cameraFov, n1, n2);
    return RCamera::sphereVisible(cameraPosition, n1, n2, cameraFar, center, radius);
}
