#include "graphics/model_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"

namespace {

constexpr char kMagic[5] = {'z', 't', '6', '6', '6'};
// The smallest records the file can hold, for checking counts against what
// is left of it before anything is allocated.
constexpr size_t kMinMaterialBytes = 3 * 16 + 1 + 4 + 4 + 4;
constexpr size_t kMinFrameBytes = 4 + 4 + 36 + 4 + 4;
constexpr size_t kMinGeometryBytes = 4 + 4 + 4 + 4 + 4 + 4;

// --- writing, little-endian whatever the machine ----------------------------

class ByteWriter {
public:
    void int32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
    }
    void float32(float v) { int32(std::bit_cast<int32_t>(v)); }
    void byte(uint8_t v) { bytes.push_back(v); }
    void string(const std::string& s) {
        int32(static_cast<int32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    void vector(const Vector3& v) {
        float32(v.x);
        float32(v.y);
        float32(v.z);
    }
    void colour(const RColour& c) {
        float32(c.r);
        float32(c.g);
        float32(c.b);
        float32(c.a);
    }
    std::vector<uint8_t> bytes;
};

// --- reading, never past the end ---------------------------------------------

class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& data) : d(data) {}

    size_t left() const { return d.size() - pos; }
    bool skip(size_t n) {
        if (left() < n) return false;
        pos += n;
        return true;
    }
    bool int32(int32_t& v) {
        if (left() < 4) return false;
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(d[pos + i]) << (8 * i);
        pos += 4;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool float32(float& v) {
        int32_t bits;
        if (!int32(bits)) return false;
        v = std::bit_cast<float>(bits);
        return true;
    }
    bool byte(uint8_t& v) {
        if (left() < 1) return false;
        v = d[pos++];
        return true;
    }
    bool string(std::string& s) {
        int32_t n;
        if (!int32(n) || n < 0 || static_cast<size_t>(n) > left()) return false;
        s.assign(reinterpret_cast<const char*>(d.data() + pos), static_cast<size_t>(n));
        pos += static_cast<size_t>(n);
        return true;
    }
    bool vector(Vector3& v) { return float32(v.x) && float32(v.y) && float32(v.z); }
    bool colour(RColour& c) { return float32(c.r) && float32(c.g) && float32(c.b) && float32(c.a); }
    // A count of records of at least minBytes each that fits what is left.
    bool count(int32_t& n, size_t minBytes) { return int32(n) && n >= 0 && static_cast<size_t>(n) <= left() / minBytes; }

private:
    const std::vector<uint8_t>& d;
    size_t pos = 0;
};

// Walks the whole file without building anything: every record in place,
// every count within the bytes present, and the last frame ending exactly
// at the end of the file (trailing bytes are a damage sign too). Empty
// `why` when the file is whole.
std::string wholeFileProblem(const std::vector<uint8_t>& data) {
    ByteReader r(data);
    int32_t tag = 0, count = 0, value = 0;
    float number = 0;
    RColour colour;
    std::string text;
    uint8_t flag = 0;
    if (data.size() < 5 || std::memcmp(data.data(), kMagic, 5) != 0) return "does not start with \"zt666\"";
    if (!r.skip(5) || !r.int32(value) || !r.int32(tag)) return "ends inside its header";
    if (!r.count(count, kMinMaterialBytes)) return "the material count is wrong or more than the file holds";
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "material " + std::to_string(i);
        if (!r.colour(colour) || !r.colour(colour) || !r.colour(colour) || !r.byte(flag) || !r.float32(number) ||
            !r.int32(tag))
            return "ends inside " + where;
        if (tag == RModelFile::kTagTexture && !(r.string(text) && r.byte(flag))) return "ends inside the texture of " + where;
        if (tag != RModelFile::kTagTexture && tag != RModelFile::kTagNone) return where + ": bad texture tag";
        if (!r.int32(tag)) return "ends inside " + where;
        if (tag == RModelFile::kTagReflection && !(r.string(text) && r.float32(number)))
            return "ends inside the reflection map of " + where;
        if (tag != RModelFile::kTagReflection && tag != RModelFile::kTagNone) return where + ": bad reflection tag";
    }
    if (!r.int32(tag)) return "ends before its frame section";
    if (!r.count(count, kMinFrameBytes)) return "the frame count is wrong or more than the file holds";
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "frame " + std::to_string(i);
        Vector3 v;
        int32_t meshes = 0;
        if (!r.int32(tag) || !r.string(text) || !r.vector(v) || !r.vector(v) || !r.vector(v) || !r.int32(value))
            return "ends inside " + where;
        if (!r.count(meshes, kMinGeometryBytes)) return where + ": the mesh count is wrong or more than the file holds";
        for (int32_t k = 0; k < meshes; ++k) {
            const std::string mesh = where + " mesh " + std::to_string(k);
            int32_t n = 0;
            if (!r.int32(tag) || !r.string(text)) return "ends inside " + mesh;
            for (const size_t bytes : {size_t{12}, size_t{12}, size_t{8}})
                if (!r.count(n, bytes) || !r.skip(static_cast<size_t>(n) * bytes)) return "ends inside " + mesh;
            if (!r.int32(value)) return "ends inside " + mesh;
        }
    }
    if (r.left() > 0) return std::to_string(r.left()) + " bytes after the last frame";
    return {};
}

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The part of a texture name after its last directory separator.
std::string baseName(const std::string& name) { return name.substr(std::min(name.size(), name.find_last_of("/\\") + 1)); }

// Mirrors one per-corner array in x: each triangle runs the other way round
// and the first component of each entry changes sign.
template <class T, class Negate>
void mirrorCorners(std::vector<T>& items, Negate negateFirst) {
    for (size_t t = 0; t + 2 < items.size(); t += 3) std::swap(items[t], items[t + 2]);
    for (T& item : items) negateFirst(item);
}

void copyMaterial(RMaterial& to, const RMaterial& from) {
    to.setEnvTexture(from.envTexture);
    to.setTexture(from.texture);
    to.setTwoSided(from.twoSided);
    to.setSpecular(from.specular.r, from.specular.g, from.specular.b);
    to.setDiffuse(from.diffuse.r, from.diffuse.g, from.diffuse.b);
    to.setAlpha(from.diffuse.a);
    to.setEmissive(from.emissive.r, from.emissive.g, from.emissive.b);
    to.power = from.power;
    to.envAmount = from.envAmount;
}

}  // namespace

RModelFile::RModelFile(REngine* owner) : engine(owner), engineResolver(owner), resolver(&engineResolver) {}

void RModelFile::addTexturePath(const std::string& directory) {
    searchPath.add(directory);
    useSearchPath = true;
}

void RModelFile::noteProblem(const std::string& fileName, const std::string& message) {
    if (++problemCount <= kMaxPrintedProblems) printf("model file %s: %s\n", fileName.c_str(), message.c_str());
    if (problems.size() < 200) problems.push_back(message);
}

bool RModelFile::save(const std::string& fileName, CSceneFrame* rootFrame) {
    materials.clear();
    frames.clear();
    if (rootFrame == nullptr) {
        printf("model file %s: no frame to save\n", fileName.c_str());
        return false;
    }
    // Depth-first, pre-order: a frame's meshes, the frame, then its
    // children in order. Iterative, for trees of any depth.
    std::vector<CSceneFrame*> pending{rootFrame};
    while (!pending.empty()) {
        CSceneFrame* frame = pending.back();
        pending.pop_back();
        for (const RGeometry* g : frame->geometries) {
            if (g == nullptr) continue;
            if (g->material == nullptr)
                printf("**** ERROR geometry %s has null material ****\n", g->name.c_str());
            else
                materials.push_back(g->material);
        }
        frames.push_back(frame);
        for (auto it = frame->children.rbegin(); it != frame->children.rend(); ++it) pending.push_back(*it);
    }
    std::unordered_map<const RMaterial*, int> materialIndex;
    for (size_t i = 0; i < materials.size(); ++i) materialIndex.emplace(materials[i], static_cast<int>(i));
    std::unordered_map<const CSceneFrame*, int> frameIndex;
    for (size_t i = 0; i < frames.size(); ++i) frameIndex.emplace(frames[i], static_cast<int>(i));

    ByteWriter w;
    w.bytes.insert(w.bytes.end(), kMagic, kMagic + 5);
    w.int32(kVersion);
    w.int32(kTagMaterials);
    w.int32(static_cast<int32_t>(materials.size()));
    for (const RMaterial* m : materials) {
        w.colour(m->diffuse);
        w.colour(m->specular);
        w.colour(m->emissive);
        w.byte(m->twoSided ? 1 : 0);
        w.float32(m->power);
        if (m->texture != nullptr) {
            w.int32(kTagTexture);
            w.string(m->texture->name);
            w.byte(m->texture->mipmapped ? 1 : 0);
        } else {
            w.int32(kTagNone);
        }
        if (m->envTexture != nullptr) {
            w.int32(kTagReflection);
            w.string(m->envTexture->name);
            w.float32(m->envAmount);
            printf("save env=%f\n", m->envAmount);
        } else {
            w.int32(kTagNone);
        }
    }
    w.int32(kTagFrames);
    w.int32(static_cast<int32_t>(frames.size()));
    for (const CSceneFrame* frame : frames) {
        w.int32(kTagFrame);
        w.string(frame->name);
        w.vector(frame->matrix.getPosition());
        w.vector(frame->matrix.zAxis());
        w.vector(frame->matrix.yAxis());
        const auto parent = frameIndex.find(frame->parent);
        w.int32(parent != frameIndex.end() ? parent->second : -1);
        int32_t count = 0;
        for (const RGeometry* g : frame->geometries) count += g != nullptr ? 1 : 0;
        w.int32(count);
        for (const RGeometry* g : frame->geometries) {
            if (g == nullptr) continue;
            w.int32(kTagGeometry);
            w.string(g->name);
            const int corners = std::max(g->cornerCount, 0);
            w.int32(corners);
            for (int i = 0; i < corners; ++i)
                w.vector(static_cast<size_t>(i) < g->positions.size() ? g->positions[static_cast<size_t>(i)] : Vector3{0, 0, 0});
            const int normals = std::max(g->normalCount, 0);
            w.int32(normals);
            for (int i = 0; i < normals; ++i)
                w.vector(static_cast<size_t>(i) < g->normals.size() ? g->normals[static_cast<size_t>(i)] : Vector3{0, 0, 0});
            const int uvs = std::max(g->uvCount, 0);
            w.int32(uvs);
            for (int i = 0; i < uvs; ++i) {
                const RUv uv = static_cast<size_t>(i) < g->uv.size() ? g->uv[static_cast<size_t>(i)] : RUv{0, 0};
                w.float32(uv.u);
                w.float32(uv.v);
            }
            const auto material = materialIndex.find(g->material);
            w.int32(material != materialIndex.end() ? material->second : -1);
        }
    }

    // Written beside its place and renamed into it, so that a reader never
    // meets half a file under the real name.
    const std::string partial = fileName + ".part";
    FILE* file = fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        printf("model file %s: cannot be opened for writing\n", fileName.c_str());
        return false;
    }
    const bool written = fwrite(w.bytes.data(), 1, w.bytes.size(), file) == w.bytes.size();
    const bool closed = fclose(file) == 0;
    const bool placed = written && closed && std::rename(partial.c_str(), fileName.c_str()) == 0;
    if (!placed) {
        std::remove(partial.c_str());
        printf("model file %s: could not be written whole\n", fileName.c_str());
    }
    return placed;
}

CSceneFrame* RModelFile::load(const std::string& fileName, CSceneFrame* rootFrame) {
    if (rootFrame == nullptr) {
        printf("model file %s: no frame to load into\n", fileName.c_str());
        return nullptr;
    }
    FILE* file = fopen(fileName.c_str(), "rb");
    if (file == nullptr) return nullptr;
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) data.insert(data.end(), buffer, buffer + got);
    fclose(file);

    root = rootFrame;
    rootGiven = true;
    materials.clear();
    frames.clear();
    textureNames.clear();
    reflectionNames.clear();
    geometryMaterials.clear();
    problems.clear();
    problemCount = 0;
    if (requireWhole) {
        const std::string why = wholeFileProblem(data);
        if (!why.empty()) {
            // Kept, not printed: the caller says in one line what it does instead.
            problems.push_back(why);
            ++problemCount;
            return nullptr;
        }
    }
    ByteReader r(data);
    auto fail = [&](const std::string& message) {
        noteProblem(fileName, message);
        return rootFrame;
    };

    if (data.size() < 5 || std::memcmp(data.data(), kMagic, 5) != 0)
        noteProblem(fileName, "does not start with \"zt666\"; read anyway");
    int32_t tag = 0, count = 0;
    if (!r.skip(5) || !r.int32(version) || !r.int32(tag)) return fail("ends inside its header");
    if (!r.count(count, kMinMaterialBytes)) return fail("the material count is wrong or more than the file holds");

    // A texture name as stored, looked for by its file name along the
    // search path when there is one, then resolved.
    auto texture = [&](const std::string& stored) -> RTexture* {
        if (stored.empty()) return nullptr;
        return resolver->resolve(useSearchPath ? searchPath.find(baseName(stored)) : stored);
    };
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "material " + std::to_string(i);
        RMaterial* m = engine->createMaterial();
        materials.push_back(m);
        textureNames.emplace_back();
        reflectionNames.emplace_back();
        RColour diffuse;
        uint8_t twoSided = 0;
        if (!r.colour(diffuse) || !r.colour(m->specular) || !r.colour(m->emissive) || !r.byte(twoSided) ||
            !r.float32(m->power) || !r.int32(tag))
            return fail("ends inside " + where);
        m->setDiffuse(diffuse.r, diffuse.g, diffuse.b);
        m->twoSided = twoSided != 0;
        if (tag == kTagTexture) {
            uint8_t mipmapped = 0;
            if (!r.string(textureNames.back()) || !r.byte(mipmapped)) return fail("ends inside the texture of " + where);
            if (RTexture* t = texture(textureNames.back())) {
                t->mipmapped = mipmapped != 0;
                m->setTexture(t);
            }
        } else if (tag != kTagNone) {
            return fail(where + ": texture tag " + std::to_string(tag) + " is neither 21 nor 22");
        }
        if (!r.int32(tag)) return fail("ends inside " + where);
        if (tag == kTagReflection) {
            float amount = 0.0f;
            if (!r.string(reflectionNames.back()) || !r.float32(amount))
                return fail("ends inside the reflection map of " + where);
            RTexture* t = texture(reflectionNames.back());
            if (envOverride == -1.0f) {
                m->envAmount = amount;
                printf("ENV_AMOUNT=%f\n", amount);
            } else {
                m->envAmount = envOverride;
            }
            m->setEnvTexture(t);
        } else if (tag != kTagNone) {
            return fail(where + ": reflection tag " + std::to_string(tag) + " is neither 26 nor 22");
        }
        m->setAlpha(diffuse.a);
    }

    if (!r.int32(tag)) return fail("ends before its frame section");
    if (!r.count(count, kMinFrameBytes)) return fail("the frame count is wrong or more than the file holds");
    bool badTagNoted = false;
    std::vector<int> depths;  // of each frame below the root
    auto checkTag = [&](int32_t want, const std::string& where) {
        if (tag == want || badTagNoted) return;
        badTagNoted = true;
        noteProblem(fileName, where + " has tag " + std::to_string(tag) + ", not " + std::to_string(want) + "; read anyway");
    };
    if (count > kMaxFrames) {
        noteProblem(fileName, std::to_string(count) + " frames; only the first " + std::to_string(kMaxFrames) + " are read");
        count = kMaxFrames;
    }
    int meshesMade = 0;
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = "frame " + std::to_string(i);
        std::string name;
        Vector3 position, forward, up;
        int32_t parent = -1, geometryCount = 0;
        if (!r.int32(tag) || !r.string(name) || !r.vector(position) || !r.vector(forward) || !r.vector(up) ||
            !r.int32(parent))
            return fail("ends inside " + where);
        checkTag(kTagFrame, where);
        if (!finite(position) || !finite(forward) || !finite(up)) {
            noteProblem(fileName, where + " has a pose that is not a number; it gets none");
            position = Vector3{0, 0, 0};
            forward = Vector3{0, 0, 1};
            up = Vector3{0, 1, 0};
        }
        CSceneFrame* frame = i == 0 ? rootFrame : engine->createFrame();
        frames.push_back(frame);
        frame->name = name;
        frame->setPosition(position);
        frame->setOrientation(forward, up);
        if (parent != -1 && (parent < 0 || parent >= i)) {
            noteProblem(fileName, where + ": parent " + std::to_string(parent) + " is outside the " + std::to_string(i) +
                                      " frames read so far; hung under the root");
            parent = -1;
        }
        if (parent != -1 && depths[static_cast<size_t>(parent)] + 1 >= kMaxFrameDepth) {
            noteProblem(fileName, where + ": the hierarchy is deeper than " + std::to_string(kMaxFrameDepth) +
                                      " frames; hung under the root");
            parent = -1;
        }
        if (parent != -1)
            frames[static_cast<size_t>(parent)]->addChild(frame);
        else if (frame != rootFrame)
            rootFrame->addChild(frame);
        depths.push_back(parent != -1 ? depths[static_cast<size_t>(parent)] + 1 : frame == rootFrame ? 0 : 1);

        if (!r.count(geometryCount, kMinGeometryBytes)) return fail(where + ": the mesh count is wrong or more than the file holds");
        for (int32_t k = 0; k < geometryCount; ++k) {
            const std::string mesh = where + " mesh " + std::to_string(k);
            int32_t corners = 0, normals = 0, uvs = 0, materialIndex = -1;
            if (!r.int32(tag) || !r.string(name)) return fail("ends inside " + mesh);
            checkTag(kTagGeometry, mesh);
            // Read first, made after: past the mesh cap nothing is made.
            std::vector<Vector3> positions, normalList;
            std::vector<RUv> uvList;
            if (!r.count(corners, 12)) return fail(mesh + ": the corner count is wrong or more than the file holds");
            positions.resize(static_cast<size_t>(corners));
            for (Vector3& p : positions) r.vector(p);
            if (!r.count(normals, 12)) return fail(mesh + ": the normal count is wrong or more than the file holds");
            normalList.resize(static_cast<size_t>(normals));
            for (Vector3& n : normalList) r.vector(n);
            if (!r.count(uvs, 8)) return fail(mesh + ": the texture coordinate count is wrong or more than the file holds");
            uvList.resize(static_cast<size_t>(uvs));
            for (RUv& uv : uvList) {
                r.float32(uv.u);
                r.float32(uv.v);
            }
            if (!r.int32(materialIndex)) return fail("ends inside " + mesh);
            if (++meshesMade > kMaxMeshes)
                return fail("more than " + std::to_string(kMaxMeshes) + " meshes; the rest is left out");
            RGeometry* g = engine->createGeometry();
            g->name = name;
            g->positions = std::move(positions);
            g->cornerCount = corners;
            g->normals = std::move(normalList);
            g->normalCount = normals;
            g->uv = std::move(uvList);
            g->uvCount = uvs;

            // NaN or infinite corners would spread through bounds and welding.
            int notNumbers = 0;
            for (Vector3& p : g->positions) {
                if (!finite(p)) p = Vector3{0, 0, 0}, ++notNumbers;
            }
            for (Vector3& n : g->normals) {
                if (!finite(n)) n = Vector3{0, 0, 0}, ++notNumbers;
            }
            for (RUv& uv : g->uv) {
                if (!std::isfinite(uv.u) || !std::isfinite(uv.v)) uv = RUv{0, 0}, ++notNumbers;
            }
            if (notNumbers > 0) noteProblem(fileName, mesh + ": " + std::to_string(notNumbers) + " values are not numbers; read as 0");
            if (corners % 3 != 0) noteProblem(fileName, mesh + ": " + std::to_string(corners) + " corners are no whole triangles");
            if ((normals != 0 && normals != corners) || (uvs != 0 && uvs != corners))
                noteProblem(fileName, mesh + ": " + std::to_string(normals) + " normals and " + std::to_string(uvs) +
                                          " texture coordinates for " + std::to_string(corners) + " corners");
            if (mirror) {
                mirrorCorners(g->positions, [](Vector3& v) { v.x = -v.x; });
                mirrorCorners(g->normals, [](Vector3& v) { v.x = -v.x; });
                mirrorCorners(g->uv, [](RUv& uv) { uv.u = -uv.u; });
            }

            // Every mesh gets its own copy of its material record; a mesh
            // saved without material gets the engine's default colours.
            RMaterial* m = engine->createMaterial();
            if (materialIndex >= 0 && materialIndex < static_cast<int32_t>(materials.size())) {
                copyMaterial(*m, *materials[static_cast<size_t>(materialIndex)]);
                geometryMaterials.push_back(materialIndex);
            } else {
                geometryMaterials.push_back(-1);
                if (materialIndex != -1)
                    noteProblem(fileName, mesh + ": material " + std::to_string(materialIndex) + " is outside the " +
                                              std::to_string(materials.size()) + " materials; default colours");
                if (engine->defaultMaterial != nullptr) copyMaterial(*m, *engine->defaultMaterial);
            }
            g->setMaterial(m);
            frame->addGeometry(g);
        }
    }
    if (r.left() > 0) noteProblem(fileName, std::to_string(r.left()) + " bytes after the last frame; ignored");
    return rootFrame;
}
