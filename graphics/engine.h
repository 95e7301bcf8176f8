// REngine: the graphics engine object. It prints the banner, holds the
// clock (RSystem), owns every scene object through its lists and deletes
// them at shutdown, measures frame time, and wraps the device operations the
// rest of the engine uses, with small caches (material, vertex format,
// texture stages). The device belongs to the host: either the host hands
// the engine a device factory and calls init, which makes the device through
// it, or it sets a device directly; with none everything runs and nothing is
// drawn. Host and plug-in share this layout: keep field order.
#pragma once

#include <string>
#include <vector>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"
#include "graphics/device.h"
#include "graphics/device_factory.h"
#include "graphics/matrix_stack.h"
#include "system/system.h"

class CSceneFrame;
class RCamera;
class RTexture;
class RGeometry;
class RMaterial;
class RAseLoader;
class RAnimationPlayer;
struct RSpline;
struct RBox;
class RLight;

class REngine {
public:
    // Prints the four banner lines, starts the timer, creates the default
    // material and sets the defaults.
    REngine();
    // Prints and deletes each list in turn: textures, frames, geometries,
    // materials, cameras, then boxes and lights. The device is the host's:
    // it must outlive the engine (frames and meshes release their buffers
    // here) and is only let go of, not destroyed.
    ~REngine();
    REngine(const REngine&) = delete;
    REngine& operator=(const REngine&) = delete;

    // Takes the device (null detaches), forgets every cached state and gives
    // a new device the engine's starting state: stage 0 modulates texture
    // and diffuse colour, specular highlights on, stage 0 texture matrix
    // identity and off, wrapped addressing, linear filtering.
    void setDevice(RDevice* newDevice);
    // Keeps the window and its argument and makes the device through
    // deviceFactory (initDirect3D); false, with no device, when it fails.
    bool init(void* window, void* arg);
    // Prints each step; the depth formats are tried from 32 bits down and
    // the first device made ends the search; then the matrix stack and the
    // starting state (setDevice). False when the interface, the display
    // mode or every depth format fails, or when there is no factory.
    bool initDirect3D();
    // Whether the factory's adapter transforms and lights in hardware.
    bool isHardwareTnL() const;

    // --- objects, each appended to its list and owned by the engine ---
    CSceneFrame* createFrame();
    RGeometry* createGeometry();
    // Default colours; its index is its position in the material list.
    RMaterial* createMaterial();
    RCamera* createCamera();
    RLight* createLight();
    RBox* createBox();
    // The texture cache: the texture named so, loaded on first request
    // ("LIGHTMAP" always gives a new, empty one). A missing file ends the
    // process (see RTexture::load).
    RTexture* getTexture(const std::string& name);
    // Reads the ASE model `name` through aseLoader (from its base directory,
    // positions times scale) into a new frame and builds its buffers; null
    // when the model file does not exist.
    CSceneFrame* loadModel(const std::string& name, float scale = 1.0f);
    // A new animation player, owned by the engine.
    RAnimationPlayer* createAnimationPlayer();
    // Reads the keys of an animation file into the frames named in it under
    // rootFrame (each frame's animation track); nothing when the file is
    // missing.
    void loadAnimation(const std::string& fileName, CSceneFrame* rootFrame);
    // Appends the splines of a shape file to `splines`; nothing when the
    // file is missing.
    void loadSplines(const std::string& fileName);

    // --- frame ---
    // Frame timing (limiter, fps, timeScale, counters), then begin-scene.
    void beginFrame();
    void endFrame();
    void present();
    // Colour white, depth 1, stencil 0.
    void clearAll();
    // Depth 1 only.
    void clearDepth();
    void markSectionStart();
    void markSectionEnd();
    void addTriangles(int n) { triangleCounter += n; }
    void addMaterialSwitch(int n) { materialSwitchCounter += n; }

    // --- transforms ---
    void setProjection(const Matrix4& m);
    void setView(const Matrix4& m);
    void setWorld(const Matrix4& m);
    // View and world identity, matrix stack back to one identity.
    void resetTransforms();
    // Projection maps [-1, 1] on all three axes straight to the screen; view
    // and world identity.
    void begin2D();
    // Depth range 0 to 1.
    void setViewport(int x, int y, int w, int h);
    // Applies the current camera, then, when a is not 0, scales the
    // projection's depth term so that coplanar surfaces drawn with different
    // (a, b) separate in depth.
    void setDepthOffset(float a, float b);

    // --- states ---
    void setZEnable(bool on);
    void setLighting(bool on);
    // On: defaultCullMode; off: no culling.
    void setCulling(bool on);
    // On also sets the comparison greater-than and the reference
    // truncate(ref); off only switches the test off.
    void setAlphaTest(bool on, float ref);
    void setAlphaBlend(bool on);
    // Ambient light 0xFF000000 | r << 16 | g << 8 | b, each channel
    // truncate(c · 255) held to 0..255.
    void setAmbient(float r, float g, float b);
    // Goes to the device only when it differs from currentVertexFormat.
    void setVertexFormat(RVertexFormat format);
    // The one-UV format, sent to the device whatever the cache says.
    void setDefaultVertexFormat();
    // When keep is false, unbinds stage 0 and stage 1 where the cache says
    // something is bound.
    void unbindTextures(bool keep);
    // Unbinds one stage (stage 1 is also switched off) and clears its cache.
    void unbindStage(int stage);

    // The current camera's position, or the built-in camera's.
    Vector3 getCameraPosition() const;
    // The current camera's side-plane and distance test; with no current
    // camera, the same test for the built-in camera.
    bool isSphereVisible(const Vector3& center, float radius) const;

    void setFrameLimiter(bool on) { frameLimiter = on; }
    void setReflections(bool on) { reflections = on; }
    void setMipmapTextures(bool on) { mipmapTextures = on; }

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
    RDevice* device = nullptr;   // the host's; null draws nothing
    RMatrixStack matrixStack;    // world transforms pushed by render
    int defaultCullMode = 2;     // RCull::Clockwise
    RVertexFormat currentVertexFormat = RVertexFormat::None;
    float stage1Amount = 0.0f;
    std::vector<RTexture*> textures;
    std::vector<RGeometry*> geometries;
    std::vector<CSceneFrame*> frames;
    std::vector<RMaterial*> materials;
    RAseLoader* aseLoader = nullptr;  // owned; loadModel reads through it
    std::vector<RAnimationPlayer*> animationPlayers;  // owned
    std::vector<RBox*> boxes;
    std::vector<RLight*> lights;
    int lastFrameMs = 0;
    int nowMs = 0;
    bool frameLimiter = false;   // hold each frame to at least 33 ms
    int lastFpsMs = 0;
    int frameCounter = 0;
    RMaterial* defaultMaterial = nullptr;  // not in the material list
    int triangleCounter = 0;
    int materialSwitchCounter = 0;
    void* direct3d = nullptr;    // device-interface handle, unused here
    // Additions of this port, after the fields above.
    RMaterial* currentMaterial = nullptr;  // material state cache
    int sectionStartMs = 0;
    std::vector<RSpline*> splines;  // the spline set, owned
    Vector3 carAngles{0.0f, 0.0f, 0.0f};  // Euler angles of the car being drawn, radians
    RDeviceFactory* deviceFactory = nullptr;  // the host's; init makes the device through it

private:
    int clockMs() const { return static_cast<int>(system.getTimeMs()); }
};
