// RDevice: the rendering device the graphics engine draws through, a fixed
// function pipeline with vertex and index buffers, one light, two texture
// stages and the usual render states. Matrices are ours (row vectors,
// left-handed view space); a back end converts once, at its edge. Device
// creation and windows are left to the back ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "chassis/matrix4.h"
#include "chassis/vector3.h"

// Opaque handles. They are never defined: each back end hands out pointers to
// objects of its own, cast to these types, so that vertex buffers, index
// buffers and textures cannot be mixed up at the interface.
struct RDeviceVertexBuffer;
struct RDeviceIndexBuffer;
struct RDeviceTexture;

struct RColour {
    float r, g, b, a;
};

// The material record: the colour block RMaterial hands over in one piece.
struct RMaterialBlock {
    RColour diffuse;
    RColour ambient;
    RColour specular;
    RColour emissive;
    float power;  // specular exponent
};
static_assert(sizeof(RMaterialBlock) == 68, "five packed colour entries");

enum class RLightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

// A light record. Only directional lights are used; the rest of the record
// is there so a light can be handed over whole.
struct RLightRecord {
    RLightType type = RLightType::Directional;
    RColour diffuse{0.0f, 0.0f, 0.0f, 0.0f};
    RColour specular{0.0f, 0.0f, 0.0f, 0.0f};
    RColour ambient{0.0f, 0.0f, 0.0f, 0.0f};
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 direction{0.0f, 0.0f, 1.0f};  // direction the light travels
    float range = 0.0f;                    // metres
    float falloff = 0.0f;
    float attenuation0 = 0.0f;             // constant
    float attenuation1 = 0.0f;             // linear
    float attenuation2 = 0.0f;             // quadratic
    float theta = 0.0f;                    // spot cone angles, radians
    float phi = 0.0f;
};

// The vertex layouts: the engine's two model layouts and the screen-space
// layout text is drawn with.
enum class RVertexFormat : int {
    None = 0,    // nothing selected yet
    OneUv = 1,   // position, normal, texture coordinate: 32 bytes
    TwoUv = 2,   // ... plus the lightmap coordinate: 40 bytes
    Screen = 3,  // pre-transformed: RScreenVertex, 28 bytes
};

struct RVertex32 {
    Vector3 position;
    Vector3 normal;
    float u, v;
};
struct RVertex40 {
    Vector3 position;
    Vector3 normal;
    float u, v;
    float lightmapU, lightmapV;
};
static_assert(sizeof(RVertex32) == 32, "one-UV vertex layout");
static_assert(sizeof(RVertex40) == 40, "two-UV vertex layout");
// A vertex already in viewport pixels (x right, y down from the viewport's
// top-left corner, z the depth 0..1, rhw the reciprocal of w): neither
// transformed nor lit, coloured by `colour` (0xAARRGGBB).
struct RScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(RScreenVertex) == 28, "pre-transformed vertex layout");

constexpr uint32_t vertexStride(RVertexFormat format) {
    switch (format) {
    case RVertexFormat::OneUv: return 32u;
    case RVertexFormat::TwoUv: return 40u;
    case RVertexFormat::Screen: return 28u;
    default: return 0u;
    }
}

enum class RTransform { World, View, Projection, Texture0, Texture1, Count };

struct RViewport {
    int x, y, width, height;  // pixels
    float minZ, maxZ;         // depth range
};

enum class RRenderState {
    ZEnable,           // 0/1 depth test and write
    CullMode,          // RCull
    Lighting,          // 0/1
    AlphaTestEnable,   // 0/1
    AlphaFunc,         // RCompare: pass when (alpha FUNC reference)
    AlphaRef,          // 0..255
    AlphaBlendEnable,  // 0/1: result = source·alpha + target·(1 - alpha)
    SpecularEnable,    // 0/1
    Ambient,           // 0xAARRGGBB ambient light colour
    TextureFactor,     // 0xAARRGGBB constant for the Factor argument
    Count
};

// Which winding is culled; the winding is seen in our left-handed screen.
enum class RCull : uint32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };

enum class RCompare : uint32_t { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

enum class RStageState {
    ColourOp,               // RTextureOp
    ColourArg1,             // RTextureArg
    ColourArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    TexCoordIndex,          // set number, optionally | kTexCoordCameraReflection
    TextureTransformFlags,  // RTextureTransformFlags
    Count
};

enum class RTextureOp : uint32_t {
    Disable,           // this stage and all later ones are off
    SelectArg1,
    SelectArg2,
    Modulate,          // arg1 · arg2
    BlendFactorAlpha,  // arg1 · f + arg2 · (1 - f), f = alpha of TextureFactor
};

// A stage whose texture argument has no texture bound reads opaque white.
enum class RTextureArg : uint32_t { Current, Diffuse, Texture, Factor };

// TexCoordIndex: instead of a stored set, generate the coordinates from the
// camera-space reflection vector (then transformed by the stage's matrix).
constexpr uint32_t kTexCoordCameraReflection = 0x10000;

enum class RTextureTransformFlags : uint32_t { Disable = 0, Count2 = 2, Count3 = 3 };

// Texel formats of device textures.
enum class RTextureFormat : uint32_t {
    Unknown = 0,
    Rgb24,       // red, green, blue, 8 bits each; opaque
    Argb32,      // alpha, red, green, blue, 8 bits each
    Luminance8,  // one grey channel; opaque
    Argb4444,    // alpha, red, green, blue, 4 bits each
};

// The colour of one texel when a texture is filled: called with the texel's
// centre in texture coordinates (u to the right, v down, both 0..1); every
// channel 0..1.
using RTexelFunction = std::function<RColour(float u, float v)>;

enum class RSamplerState { AddressU, AddressV, MinFilter, MagFilter, MipFilter, Count };
enum class RTextureAddress : uint32_t { Wrap, Clamp };
enum class RTextureFilter : uint32_t { None, Point, Linear };

// Flags of clear().
constexpr uint32_t kClearTarget = 1;
constexpr uint32_t kClearDepth = 2;
constexpr uint32_t kClearStencil = 4;

template <typename E>
constexpr uint32_t deviceValue(E e) {
    return static_cast<uint32_t>(e);
}

class RDevice {
public:
    virtual ~RDevice() = default;

    // --- frame ---
    virtual void beginScene() = 0;
    virtual void endScene() = 0;
    // Shows the whole back buffer.
    virtual void present() = 0;
    // flags: kClearTarget | kClearDepth | kClearStencil; colour 0xAARRGGBB.
    virtual void clear(uint32_t flags, uint32_t colour, float depth, uint32_t stencil) = 0;

    // --- buffers ---
    // Write-only buffers the device keeps (and restores) itself; index buffers
    // hold unsigned 16-bit indices. Null on failure, and for a size of 0.
    virtual RDeviceVertexBuffer* createVertexBuffer(uint32_t bytes) = 0;
    virtual RDeviceIndexBuffer* createIndexBuffer(uint32_t bytes) = 0;
    // Memory to write `bytes` bytes at byte `offset`, valid until unlock;
    // null when the range does not lie inside the buffer or the buffer is
    // already locked.
    virtual void* lockVertexBuffer(RDeviceVertexBuffer* buffer, uint32_t offset, uint32_t bytes) = 0;
    virtual void unlockVertexBuffer(RDeviceVertexBuffer* buffer) = 0;
    virtual void* lockIndexBuffer(RDeviceIndexBuffer* buffer, uint32_t offset, uint32_t bytes) = 0;
    virtual void unlockIndexBuffer(RDeviceIndexBuffer* buffer) = 0;
    virtual void releaseVertexBuffer(RDeviceVertexBuffer* buffer) = 0;
    virtual void releaseIndexBuffer(RDeviceIndexBuffer* buffer) = 0;

    // --- drawing ---
    // Stream 0; stride in bytes.
    virtual void setStreamSource(RDeviceVertexBuffer* buffer, uint32_t stride) = 0;
    virtual void setIndices(RDeviceIndexBuffer* buffer) = 0;
    virtual void setVertexFormat(RVertexFormat format) = 0;
    // A triangle list of primitiveCount triangles from the indices starting at
    // startIndex; each index i names vertex baseVertex + i, and every i lies
    // in [minIndex, minIndex + vertexCount).
    virtual void drawIndexedTriangles(int baseVertex, uint32_t minIndex, uint32_t vertexCount, uint32_t startIndex,
                                      uint32_t primitiveCount) = 0;
    // A triangle list of primitiveCount triangles read straight from stream
    // 0, starting at vertex startVertex (no index buffer).
    virtual void drawTriangles(uint32_t startVertex, uint32_t primitiveCount) = 0;

    // --- transforms and viewport ---
    virtual void setTransform(RTransform which, const Matrix4& matrix) = 0;
    virtual Matrix4 getTransform(RTransform which) = 0;
    virtual void setViewport(const RViewport& viewport) = 0;
    virtual RViewport getViewport() = 0;

    // --- lighting ---
    virtual void setMaterial(const RMaterialBlock& material) = 0;
    virtual void setLight(int index, const RLightRecord& light) = 0;
    virtual void enableLight(int index, bool on) = 0;

    // --- states ---
    virtual void setRenderState(RRenderState state, uint32_t value) = 0;
    virtual void setTextureStageState(int stage, RStageState state, uint32_t value) = 0;
    virtual void setSamplerState(int stage, RSamplerState state, uint32_t value) = 0;

    // --- textures ---
    // Stage 0 or 1; null unbinds.
    virtual void setTexture(int stage, RDeviceTexture* texture) = 0;
    // A managed texture decoded from an image file (TGA, PNG or JPEG) into
    // `format` with `levels` mip levels (1: no chain). Texels whose colour
    // equals colourKey (0xAARRGGBB, compared with the alpha the file gives,
    // opaque for files without alpha) become transparent black; 0 keys
    // nothing. Null when the file cannot be read or decoded, for an unknown
    // format or for 0 levels.
    virtual RDeviceTexture* createTextureFromFile(const std::string& path, uint32_t levels, RTextureFormat format,
                                                  uint32_t colourKey) = 0;
    // An empty managed texture, all texels transparent black; null for a
    // zero size, an unknown format or 0 levels.
    virtual RDeviceTexture* createTexture(uint32_t width, uint32_t height, uint32_t levels, RTextureFormat format) = 0;
    // Sets every texel of level 0 from `texel` (the lower levels follow);
    // false for an unknown or released texture.
    virtual bool fillTexture(RDeviceTexture* texture, const RTexelFunction& texel) = 0;
    // The texel format of a level; Unknown for a bad handle or level.
    virtual RTextureFormat levelFormat(RDeviceTexture* texture, uint32_t level) = 0;
    virtual void releaseTexture(RDeviceTexture* texture) = 0;
    // The largest width (and height) a texture may have, in texels.
    virtual uint32_t maxTextureSize() = 0;

    // --- state saving ---
    // Remembers every render, stage and sampler state, the bound textures,
    // stream, indices, vertex format, transforms and viewport; restoreState
    // puts them back. One level: a second save replaces the first.
    virtual void saveState() = 0;
    virtual void restoreState() = 0;
};
