// REngine: the graphics engine object. It prints the banner, holds the
// clock (RSystem), owns every scene object through its lists and deletes
// them at shutdown. This first shell has the full field layout, frame
// creation and teardown; device, cameras, materials, loaders and frame
// timing arrive later. Host and plug-in share this layout: keep field order.
#pragma once

#include <vector>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"
#include "system/system.h"

class CSceneFrame;
class RCamera;
class RTexture;
class RGeometry;
class RMaterial;
class RAseLoader;
class RAnimationPlayer;
class RBox;
class RLight;

class REngine {
public:
    // Prints the four banner lines, starts the timer, sets the defaults.
    REngine();
    // Prints and deletes each list in turn: textures, frames, geometries,
    // materials, cameras, then the device and the interface.
    ~REngine();
    REngine(const REngine&) = delete;
    REngine& operator=(const REngine&) = delete;

    // A new frame owned by the engine, with its engine pointer set.
    CSceneFrame* createFrame();

    RCamera* currentCamera = nullptr;
    // The built-in camera, used until a camera object is current.
    Vector3 cameraPosition{0.0f, 0.0f, 0.0f};
    Vector3 cameraDirection{0.0f, 0.0f, 1.0f};
    Vector3 cameraUp{0.0f, 1.0f, 0.0f};
    float cameraFov = 30.0f;     // degrees, vertical
    float cameraFar = 100.0f;    // metres
    float cameraNear = 1.0f;     // metres
    float cameraAspect = 1.3333334f;
    float timeScale = 1.0f;      // frame time / 33 ms, at most 5
    int fps = 0;
    bool mipmapTextures = false;
    int frameTimeMs = 0;
    int sectionMs = 0;
    float sectionPercent = 0.0f;
    RSystem system;
    int frameTime100 = 0;        // frame time in per cent of 33 ms
    void* deviceContext = nullptr;
    void* window = nullptr;
    void* windowArg = nullptr;
    int trianglesLastFrame = 0;
    int materialSwitchesLastFrame = 0;
    std::vector<RCamera*> cameras;
    int width = 0;
    int height = 0;
    bool fullscreen = false;
    bool reflections = false;
    RTexture* stage0Texture = nullptr;
    RTexture* stage1Texture = nullptr;
    float envYaw = 0.0f;         // radians, view yaw for reflection maps
    void* device = nullptr;      // rendering device handle
    std::vector<Matrix4> matrixStack;  // world transforms pushed by render
    int defaultCullMode = 2;     // cull clockwise
    int currentVertexFormat = 0;
    float stage1Amount = 0.0f;
    std::vector<RTexture*> textures;
    std::vector<RGeometry*> geometries;
    std::vector<CSceneFrame*> frames;
    std::vector<RMaterial*> materials;
    RAseLoader* aseLoader = nullptr;  // created here once the loader exists
    std::vector<RAnimationPlayer*> animationPlayers;
    std::vector<RBox*> boxes;
    std::vector<RLight*> lights;
    int lastFrameMs = 0;
    int nowMs = 0;
    bool frameLimiter = false;   // hold each frame to at least 33 ms
    int lastFpsMs = 0;
    int frameCounter = 0;
    RMaterial* defaultMaterial = nullptr;  // created here once materials exist
    int triangleCounter = 0;
    int materialSwitchCounter = 0;
    void* direct3d = nullptr;    // device-interface handle
};
