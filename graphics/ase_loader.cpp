#include "graphics/ase_loader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <unordered_map>

#include "graphics/camera.h"
#include "graphics/engine.h"
#include "graphics/geometry.h"
#include "graphics/material.h"
#include "graphics/scene_frame.h"
#include "graphics/texture.h"

namespace {

// --- text ------------------------------------------------------------------
//
// Exporters write 8-bit text, but a file saved again by a Unicode editor
// comes as UTF-16 (with or without its byte-order mark) or with a UTF-8 mark.
// Those are turned into 8-bit text (UTF-8 beyond ASCII); anything with many
// NUL or control bytes is not text and is refused before it is scanned.

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string fromUtf16(std::string_view raw, bool littleEndian) {
    std::string out;
    out.reserve(raw.size() / 2);
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        return static_cast<uint32_t>(littleEndian ? (a | b << 8) : (a << 8 | b));
    };
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < raw.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = '?';  // a lone surrogate
        appendUtf8(out, c);
    }
    return out;
}

// UTF-16 without a mark: ASCII text has a zero in every other byte.
bool looksLikeUtf16(std::string_view raw, bool& littleEndian) {
    const size_t n = std::min<size_t>(raw.size() & ~size_t{1}, 512);
    if (n < 4) return false;
    size_t zeroEven = 0, zeroOdd = 0;
    for (size_t i = 0; i < n; ++i) {
        if (raw[i] == 0) ++(i % 2 ? zeroOdd : zeroEven);
    }
    const size_t half = n / 2;
    if (zeroOdd * 10 >= half * 8 && zeroEven * 20 < half) {
        littleEndian = true;
        return true;
    }
    if (zeroEven * 10 >= half * 8 && zeroOdd * 20 < half) {
        littleEndian = false;
        return true;
    }
    return false;
}

bool prepareText(const std::string& raw, std::string& text, std::string& why) {
    const std::string_view r(raw);
    bool littleEndian = true;
    if (r.size() >= 3 && r.substr(0, 3) == "\xEF\xBB\xBF") {
        text.assign(r.substr(3));
    } else if (r.size() >= 2 && (r.substr(0, 2) == "\xFF\xFE" || r.substr(0, 2) == "\xFE\xFF")) {
        text = fromUtf16(r.substr(2), r[0] == '\xFF');
    } else if (looksLikeUtf16(r, littleEndian)) {
        text = fromUtf16(r, littleEndian);
    } else {
        text = raw;
    }
    if (text.empty()) {
        why = "the file is empty";
        return false;
    }
    size_t nul = 0, control = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) ++nul;
        // Tab, line ends, form and vertical feed and the old end-of-file
        // mark turn up in real text files.
        else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' && c != 0x1A) ++control;
    }
    if (nul * 100 > text.size() || control * 20 > text.size()) {
        why = "not a text file (" + std::to_string(nul + control) + " of " + std::to_string(text.size()) +
              " bytes are NUL or control characters)";
        return false;
    }
    return true;
}

// --- tokens ----------------------------------------------------------------

enum class Tok { Keyword, Word, String, Open, Close, LineEnd, End };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
    int line = 0;
};

bool isWordChar(unsigned char c) { return c > ' ' && c != '{' && c != '}' && c != '"' && c != '*'; }

// Splits the text into keywords ("*NAME"), words, quoted strings (which end
// at their quote or at the end of the line), braces and line ends. Every
// other control character counts as a space. Never reads past the text.
class Scanner {
public:
    explicit Scanner(std::string_view text) : s(text) {}

    Token next() {
        if (hasPeeked) {
            hasPeeked = false;
            return peeked;
        }
        return scan();
    }
    // Bytes not yet scanned.
    size_t left() const { return s.size() - pos; }
    const Token& peek() {
        if (!hasPeeked) {
            peeked = scan();
            hasPeeked = true;
        }
        return peeked;
    }
    int unterminatedStrings = 0;
    int unterminatedLine = 0;

private:
    Token scan() {
        const size_t n = s.size();
        while (pos < n) {
            const auto c = static_cast<unsigned char>(s[pos]);
            // A line ends at LF, CR LF or a lone CR.
            if (c == '\n' || (c == '\r' && (pos + 1 >= n || s[pos + 1] != '\n'))) {
                ++pos;
                return Token{Tok::LineEnd, {}, line++};
            }
            if (c > ' ') break;
            ++pos;
        }
        if (pos >= n) return Token{Tok::End, {}, line};
        const char c = s[pos];
        if (c == '{' || c == '}') return Token{c == '{' ? Tok::Open : Tok::Close, s.substr(pos++, 1), line};
        if (c == '"') {
            const size_t start = ++pos;
            while (pos < n && s[pos] != '"' && s[pos] != '\n' && s[pos] != '\r') ++pos;
            Token t{Tok::String, s.substr(start, pos - start), line};
            if (pos < n && s[pos] == '"') {
                ++pos;
            } else if (unterminatedStrings++ == 0) {
                unterminatedLine = line;
            }
            return t;
        }
        const bool keyword = c == '*';
        if (keyword) ++pos;
        const size_t start = pos;
        while (pos < n && isWordChar(static_cast<unsigned char>(s[pos]))) ++pos;
        return Token{keyword ? Tok::Keyword : Tok::Word, s.substr(start, pos - start), line};
    }

    std::string_view s;
    size_t pos = 0;
    int line = 1;
    Token peeked;
    bool hasPeeked = false;
};

// --- keywords --------------------------------------------------------------

enum class Kw {
    Unknown,
    TmRow0, TmRow1, TmRow2, TmRotAxis, TmRotAngle,
    MeshNormals, MapAmount, MeshVertexNormal, Material, TmAnimation,
    MapDiffuse, MapReflect, Bitmap,
    MaterialShading, MaterialSelfIllum, MaterialTransparency, MaterialAmbient,
    ShapeObject, MaterialDiffuse, MaterialSpecular, MaterialEmissive, MaterialShineStrength,
    CameraObject, NodeName, NodeParent, TmPos, GeomObject,
    MeshNumVertex, Ignored, MaterialRef, MeshNumFaces, MeshVertex, MeshFace,
    MeshNumTvFaces, MeshNumTVertex, MeshTVert, MeshTFace,
    // Not acted on by themselves, but their blocks hold the keywords above.
    Container, NodeTm,
    // Read as well: names, sub-materials and the material id of each face.
    MaterialName, SubMaterial, MeshMtlId,
};

Kw keywordOf(std::string_view word) {
    static const std::unordered_map<std::string_view, Kw> table = {
        {"TM_ROW0", Kw::TmRow0},
        {"TM_ROW1", Kw::TmRow1},
        {"TM_ROW2", Kw::TmRow2},
        {"TM_ROTAXIS", Kw::TmRotAxis},
        {"TM_ROTANGLE", Kw::TmRotAngle},
        {"MESH_NORMALS", Kw::MeshNormals},
        {"MAP_AMOUNT", Kw::MapAmount},
        {"MESH_VERTEXNORMAL", Kw::MeshVertexNormal},
        {"MATERIAL", Kw::Material},
        {"TM_ANIMATION", Kw::TmAnimation},
        {"MAP_DIFFUSE", Kw::MapDiffuse},
        {"MAP_REFLECT", Kw::MapReflect},
        {"BITMAP", Kw::Bitmap},
        {"MATERIAL_SHADING", Kw::MaterialShading},
        {"MATERIAL_SELFILLUM", Kw::MaterialSelfIllum},
        {"MATERIAL_TRANSPARENCY", Kw::MaterialTransparency},
        {"MATERIAL_AMBIENT", Kw::MaterialAmbient},
        {"SHAPEOBJECT", Kw::ShapeObject},
        {"MATERIAL_DIFFUSE", Kw::MaterialDiffuse},
        {"MATERIAL_SPECULAR", Kw::MaterialSpecular},
        {"MATERIAL_EMISSIVE", Kw::MaterialEmissive},
        {"MATERIAL_SHINESTRENGTH", Kw::MaterialShineStrength},
        {"CAMERAOBJECT", Kw::CameraObject},
        {"NODE_NAME", Kw::NodeName},
        {"NODE_PARENT", Kw::NodeParent},
        {"TM_POS", Kw::TmPos},
        {"GEOMOBJECT", Kw::GeomObject},
        {"MESH_NUMVERTEX", Kw::MeshNumVertex},
        {"PROP_CASTSHADOW", Kw::Ignored},
        {"PROP_RECVSHADOW", Kw::Ignored},
        {"RECVSHADOW", Kw::Ignored},
        {"MATERIAL_REF", Kw::MaterialRef},
        {"MESH_NUMFACES", Kw::MeshNumFaces},
        {"MESH_VERTEX", Kw::MeshVertex},
        {"MESH_FACE", Kw::MeshFace},
        {"MESH_NUMTVFACES", Kw::MeshNumTvFaces},
        {"MESH_NUMTVERTEX", Kw::MeshNumTVertex},
        {"MESH_TVERT", Kw::MeshTVert},
        {"MESH_TFACE", Kw::MeshTFace},
        {"MATERIAL_LIST", Kw::Container},
        {"MESH", Kw::Container},
        {"MESH_VERTEX_LIST", Kw::Container},
        {"MESH_FACE_LIST", Kw::Container},
        {"MESH_TVERTLIST", Kw::Container},
        {"MESH_TFACELIST", Kw::Container},
        {"GROUP", Kw::Container},
        {"NODE_TM", Kw::NodeTm},
        {"MATERIAL_NAME", Kw::MaterialName},
        {"SUBMATERIAL", Kw::SubMaterial},
        {"MESH_MTLID", Kw::MeshMtlId},
    };
    const auto it = table.find(word);
    return it != table.end() ? it->second : Kw::Unknown;
}

// What an open block means for the keywords inside it.
enum class Block { Plain, SubMaterial, Map, Animation, Camera };

struct OpenBlock {
    Block kind;
    std::string_view keyword;
    int line;
};

constexpr int kMaxArgs = 24;

struct Args {
    std::string_view word[kMaxArgs];
    int count = 0;
    int line = 0;
};

// File axes are z-up, the engine's y-up.
Vector3 toEngine(float x, float y, float z) { return Vector3{x, z, -y}; }

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// --- normals for meshes the file gave none ---------------------------------

constexpr float kTouchDistance = 0.001f;  // metres: corners this close touch
constexpr float kSmoothCos = 0.0871557f;  // cos 85°: sharper folds keep their edge
constexpr float kSnapDistance = 0.001f;   // per axis
// Grid cells twice the distances above: whatever is near a corner lies in
// its own cell or a neighbouring one.
constexpr double kGridCell = 0.002;

int64_t gridCell(float v) {
    const double c = std::floor(static_cast<double>(v) / kGridCell);
    if (!(c > -4.0e18)) return static_cast<int64_t>(-4.0e18);  // also NaN
    if (c > 4.0e18) return static_cast<int64_t>(4.0e18);
    return static_cast<int64_t>(c);
}

uint64_t mixBits(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// Corners filed by grid cell. Cells that share a hash share a list; callers
// test the real distance anyway, so that costs time, never correctness.
class CornerGrid {
public:
    void insert(int corner, const Vector3& p) { cells[key(gridCell(p.x), gridCell(p.y), gridCell(p.z))].push_back(corner); }
    void remove(int corner, const Vector3& p) {
        std::vector<int>& list = cells[key(gridCell(p.x), gridCell(p.y), gridCell(p.z))];
        const auto it = std::find(list.begin(), list.end(), corner);
        if (it != list.end()) list.erase(it);
    }
    // Every corner filed in p's cell or a neighbouring one (some maybe twice).
    template <class F>
    void forNear(const Vector3& p, F f) const {
        const int64_t cx = gridCell(p.x), cy = gridCell(p.y), cz = gridCell(p.z);
        for (int64_t dx = -1; dx <= 1; ++dx)
            for (int64_t dy = -1; dy <= 1; ++dy)
                for (int64_t dz = -1; dz <= 1; ++dz) {
                    const auto it = cells.find(key(cx + dx, cy + dy, cz + dz));
                    if (it == cells.end()) continue;
                    for (const int c : it->second) f(c);
                }
    }

private:
    static uint64_t key(int64_t x, int64_t y, int64_t z) {
        return mixBits(mixBits(mixBits(static_cast<uint64_t>(x)) ^ static_cast<uint64_t>(y)) ^ static_cast<uint64_t>(z));
    }
    std::unordered_map<uint64_t, std::vector<int>> cells;
};

// Each corner gets its triangle's face normal plus those of the triangles
// touching it (a corner within kTouchDistance) that fold by less than 85°,
// added in triangle order and normalised.
void generateNormals(RGeometry& g) {
    const int n = std::min(g.cornerCount, static_cast<int>(g.positions.size()));
    const int triangles = n / 3;
    std::vector<Vector3> face(static_cast<size_t>(triangles));
    for (int t = 0; t < triangles; ++t) {
        const Vector3* c = &g.positions[static_cast<size_t>(3 * t)];
        face[static_cast<size_t>(t)] = cross((c[1] - c[0]).normalised(), (c[2] - c[0]).normalised()).normalised();
    }
    CornerGrid grid;
    for (int c = 0; c < 3 * triangles; ++c) grid.insert(c, g.positions[static_cast<size_t>(c)]);
    g.normals.assign(static_cast<size_t>(std::max(g.cornerCount, 0)), Vector3{0.0f, 0.0f, 0.0f});
    g.normalCount = g.cornerCount;
    std::vector<int> touching;
    for (int c = 0; c < 3 * triangles; ++c) {
        const Vector3 p = g.positions[static_cast<size_t>(c)];
        touching.clear();
        grid.forNear(p, [&](int k) {
            if ((g.positions[static_cast<size_t>(k)] - p).length() < kTouchDistance) touching.push_back(k / 3);
        });
        std::sort(touching.begin(), touching.end());
        touching.erase(std::unique(touching.begin(), touching.end()), touching.end());
        const int t = c / 3;
        const Vector3 own = face[static_cast<size_t>(t)];
        Vector3 sum = own;
        bool found = false;
        for (const int u : touching) {
            if (u == t) {
                found = true;
            } else if (dot(face[static_cast<size_t>(u)], own) > kSmoothCos) {
                sum += face[static_cast<size_t>(u)];
            }
        }
        if (!found) printf("Error in found ******\n");
        g.normals[static_cast<size_t>(c)] = sum.normalised();
    }
}

// Corners within kSnapDistance on every axis of a corner take exactly its
// position, corner by corner in order (a moved corner may move again).
void snapCorners(RGeometry& g) {
    const int n = std::min(g.cornerCount, static_cast<int>(g.positions.size()));
    std::vector<Vector3>& p = g.positions;
    CornerGrid grid;
    for (int c = 0; c < n; ++c) grid.insert(c, p[static_cast<size_t>(c)]);
    std::vector<int> close;
    for (int i = 0; i < n; ++i) {
        const Vector3 at = p[static_cast<size_t>(i)];
        close.clear();
        grid.forNear(at, [&](int j) {
            const Vector3& q = p[static_cast<size_t>(j)];
            if (j != i && std::fabs(q.x - at.x) <= kSnapDistance && std::fabs(q.y - at.y) <= kSnapDistance &&
                std::fabs(q.z - at.z) <= kSnapDistance)
                close.push_back(j);
        });
        for (const int j : close) {
            Vector3& q = p[static_cast<size_t>(j)];
            if (q.x == at.x && q.y == at.y && q.z == at.z) continue;
            grid.remove(j, q);
            q = at;
            grid.insert(j, q);
        }
    }
}

// --- the reader ------------------------------------------------------------

class AseReader {
public:
    AseReader(RAseLoader& loader, const std::string& label, size_t textSize)
        : L(loader), engine(loader.engine), label(label), textLeft(textSize) {}

    // Scans the text; false when it held no keyword at all.
    bool run(std::string_view text);

private:
    enum class Map { None, Diffuse, Reflect };

    // Mesh object being read; corners are kept in face slots until the
    // object ends, so that faces the file gets wrong can be dropped.
    struct Mesh {
        int declaredFaces = 0;
        int faceCursor = 0;
        int lastFace = -1;
        std::vector<char> present;  // per face slot: the face line was good
        std::vector<int> materialIds;
        int normalCursor = 0;
        int normalsRead = 0;
        int uvFaces = 0;
        int materialRef = -1;
    };

    void problem(int line, const std::string& message) { L.noteProblem(label, line, message); }

    void keyword(Kw kw, std::string_view word, const Args& a, bool opensBlock, Scanner& sc);
    void skipBlock(Scanner& sc, std::string_view word, int line);
    void closeBlock();

    float number(const Args& a, int i);
    int integer(const Args& a, int i);
    bool parseInt(std::string_view w, int& out);
    Vector3 vector3(const Args& a, int first) { return Vector3{number(a, first), number(a, first + 1), number(a, first + 2)}; }
    std::string text(const Args& a) { return a.count > 0 ? std::string(a.word[0]) : std::string(); }

    // Number of records of at least minBytes each the text can hold, and a
    // count from the file held to that (negative counts become 0).
    int boundedCount(int declared, int minBytes, const char* what, int line);

    void startGeometry();
    void finishGeometry();
    void meshFace(const Args& a);
    void growFaceSlots(int faces);
    void meshTFace(const Args& a);
    void vertexNormal(const Args& a);
    void bitmap(const Args& a);
    void nodeParent(const Args& a);
    void subMaterial();
    Vector3 normalToWorld(const Vector3& local);
    bool checkGeometry(const Args& a, std::string_view what);
    bool checkMaterial(const Args& a, std::string_view what);

    RAseLoader& L;
    REngine* engine;
    std::string label;
    size_t textLeft;  // bytes after the keyword being handled
    // Mesh object frames by name, in the order they were named.
    std::unordered_map<std::string, std::vector<CSceneFrame*>> framesByName;

    std::vector<OpenBlock> blocks;
    RGeometry* geometry = nullptr;
    CSceneFrame* frame = nullptr;
    RMaterial* material = nullptr;
    RCamera* camera = nullptr;
    std::vector<RMaterial*> materialStack;  // materials around open sub-materials
    std::vector<std::vector<RMaterial*>> subsOf;  // per file material
    int topMaterial = -1;                   // file index of the material being read
    std::vector<Vector3> vertices;
    std::vector<RUv> tverts;
    Mesh mesh;
    std::vector<char> normalsGiven;  // per geometry

    Vector3 pivot{0.0f, 0.0f, 0.0f};
    Vector3 rows[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vector3 rotAxis{0.0f, 0.0f, 0.0f};
    float rotAngle = 0.0f;
    float mapAmount = 0.0f;
    Map mapKind = Map::None;
    bool inAnimation = false;
    bool inCamera = false;
    bool inShape = false;
    int cameraNodeTms = 0;
    bool missingGeometryNoted = false;
    bool missingMaterialNoted = false;
};

bool AseReader::run(std::string_view text) {
    Scanner sc(text);
    bool anyKeyword = false;
    for (;;) {
        const Token t = sc.next();
        if (t.kind == Tok::End) break;
        if (t.kind == Tok::Open) {
            blocks.push_back(OpenBlock{Block::Plain, {}, t.line});
            continue;
        }
        if (t.kind == Tok::Close) {
            if (blocks.empty())
                problem(t.line, "a '}' closes no block; ignored");
            else
                closeBlock();
            continue;
        }
        // Words outside a keyword's line (the first line, stray text) mean
        // nothing.
        if (t.kind != Tok::Keyword) continue;

        anyKeyword = true;
        Args a;
        a.line = t.line;
        int extra = 0;
        while (sc.peek().kind == Tok::Word || sc.peek().kind == Tok::String) {
            const Token w = sc.next();
            if (a.count < kMaxArgs)
                a.word[a.count++] = w.text;
            else
                ++extra;
        }
        const Kw kw = keywordOf(t.text);
        if (extra > 0 && kw != Kw::Unknown)
            problem(t.line, "*" + std::string(t.text) + " has " + std::to_string(extra) + " more words than expected");
        // A brace on the keyword's line, or alone on the next lines, opens
        // the keyword's block.
        while (sc.peek().kind == Tok::LineEnd) sc.next();
        const bool opensBlock = sc.peek().kind == Tok::Open;
        if (opensBlock) sc.next();
        textLeft = sc.left();
        keyword(kw, t.text, a, opensBlock, sc);
    }
    if (sc.unterminatedStrings > 0)
        problem(sc.unterminatedLine, std::to_string(sc.unterminatedStrings) + " quoted text(s) not closed on their line");
    if (!blocks.empty()) {
        const OpenBlock& b = blocks.front();
        problem(b.line, std::to_string(blocks.size()) + " block(s) not closed at the end of the file, the first " +
                            (b.keyword.empty() ? std::string("'{'") : "*" + std::string(b.keyword)));
    }
    finishGeometry();
    for (size_t i = 0; i < L.geometries.size(); ++i) {
        RGeometry* g = L.geometries[i];
        g->computeBounds();
        if (!normalsGiven[i]) {
            generateNormals(*g);
            snapCorners(*g);
        }
    }
    return anyKeyword;
}

void AseReader::skipBlock(Scanner& sc, std::string_view word, int line) {
    int depth = 1;
    for (;;) {
        const Token t = sc.next();
        if (t.kind == Tok::End) {
            problem(line, "block *" + std::string(word) + " is not closed before the end of the file");
            return;
        }
        if (t.kind == Tok::Open) ++depth;
        if (t.kind == Tok::Close && --depth == 0) return;
    }
}

void AseReader::closeBlock() {
    const OpenBlock b = blocks.back();
    blocks.pop_back();
    switch (b.kind) {
    case Block::SubMaterial:
        if (!materialStack.empty()) {
            material = materialStack.back();
            materialStack.pop_back();
        }
        break;
    case Block::Map: mapKind = Map::None; break;
    case Block::Animation: inAnimation = false; break;
    case Block::Camera: inCamera = false; break;
    case Block::Plain: break;
    }
}

bool AseReader::parseInt(std::string_view w, int& out) {
    if (!w.empty() && w.back() == ':') w.remove_suffix(1);  // face numbers: "12:"
    if (!w.empty() && w.front() == '+') w.remove_prefix(1);
    const auto r = std::from_chars(w.data(), w.data() + w.size(), out);
    return r.ec == std::errc() && r.ptr == w.data() + w.size() && !w.empty();
}

float AseReader::number(const Args& a, int i) {
    if (i >= a.count) {
        problem(a.line, "a number is missing; read as 0");
        return 0.0f;
    }
    std::string_view w = a.word[i];
    if (!w.empty() && w.front() == '+') w.remove_prefix(1);
    float v = 0.0f;
    auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    if (r.ptr != w.data() + w.size() && std::count(w.begin(), w.end(), ',') == 1 && w.find('.') == std::string_view::npos) {
        // Exporters running with a decimal comma write "0,5000".
        std::string dotted(w);
        dotted[dotted.find(',')] = '.';
        r = std::from_chars(dotted.data(), dotted.data() + dotted.size(), v);
        r.ptr = r.ptr == dotted.data() + dotted.size() ? w.data() + w.size() : w.data();
    }
    if (w.empty() || r.ec != std::errc() || r.ptr != w.data() + w.size() || !std::isfinite(v)) {
        problem(a.line, "bad number " + quoted(a.word[i]) + "; read as 0");
        return 0.0f;
    }
    return v;
}

int AseReader::integer(const Args& a, int i) {
    if (i >= a.count) {
        problem(a.line, "a whole number is missing; read as 0");
        return 0;
    }
    int v = 0;
    if (!parseInt(a.word[i], v)) {
        problem(a.line, "bad whole number " + quoted(a.word[i]) + "; read as 0");
        return 0;
    }
    return v;
}

int AseReader::boundedCount(int declared, int minBytes, const char* what, int line) {
    // What the rest of the file can still hold, not the whole file: a
    // thousand objects each declaring the whole file's worth cannot add up.
    const int most = static_cast<int>(std::min<size_t>(textLeft / static_cast<size_t>(minBytes), 1u << 30));
    if (declared < 0) {
        problem(line, std::string(what) + " " + std::to_string(declared) + " is negative; read as 0");
        return 0;
    }
    if (declared > most) {
        problem(line, std::string(what) + " " + std::to_string(declared) + " is more than the file can hold; held to " +
                          std::to_string(most));
        return most;
    }
    return declared;
}

bool AseReader::checkGeometry(const Args& a, std::string_view what) {
    if (geometry != nullptr) return true;
    if (!missingGeometryNoted)
        problem(a.line, "*" + std::string(what) + " outside a mesh object; ignored (noted once)");
    missingGeometryNoted = true;
    return false;
}

bool AseReader::checkMaterial(const Args& a, std::string_view what) {
    if (material != nullptr) return true;
    if (!missingMaterialNoted) problem(a.line, "*" + std::string(what) + " outside a material; ignored (noted once)");
    missingMaterialNoted = true;
    return false;
}

void AseReader::keyword(Kw kw, std::string_view word, const Args& a, bool opensBlock, Scanner& sc) {
    // Whether the keyword's block is read (its keywords act) or skipped.
    Block descend = Block::Plain;
    bool read = true;
    switch (kw) {
    case Kw::TmRow0:
    case Kw::TmRow1:
    case Kw::TmRow2:
        rows[static_cast<int>(kw) - static_cast<int>(Kw::TmRow0)] = vector3(a, 0);
        break;
    case Kw::TmRotAxis: rotAxis = vector3(a, 0); break;
    case Kw::TmRotAngle: rotAngle = number(a, 0); break;
    case Kw::MeshNormals:
        if (checkGeometry(a, word)) {
            geometry->normals.assign(static_cast<size_t>(geometry->cornerCount), Vector3{0.0f, 0.0f, 0.0f});
            geometry->normalCount = geometry->cornerCount;
            mesh.normalCursor = 0;
            mesh.normalsRead = 0;
        }
        break;
    case Kw::MapAmount:
        mapAmount = number(a, 0);
        printf("MAP_AMOUNT=%f\n", mapAmount);
        break;
    case Kw::MeshVertexNormal: vertexNormal(a); break;
    case Kw::Material: {
        material = engine->createMaterial();
        L.materials.push_back(material);
        subsOf.emplace_back();
        topMaterial = static_cast<int>(L.materials.size()) - 1;
        materialStack.clear();
        mapKind = Map::None;
        break;
    }
    case Kw::SubMaterial:
        subMaterial();
        descend = Block::SubMaterial;
        break;
    case Kw::MaterialName:
        if (material != nullptr) material->name = text(a);
        break;
    case Kw::TmAnimation:
        inAnimation = true;
        descend = Block::Animation;
        break;
    case Kw::MapDiffuse:
        mapKind = Map::Diffuse;
        descend = Block::Map;
        break;
    case Kw::MapReflect:
        mapKind = Map::Reflect;
        descend = Block::Map;
        break;
    case Kw::Bitmap: bitmap(a); break;
    case Kw::MaterialShading: engine->mipmapTextures = a.count > 0 && a.word[0] == "Blinn"; break;
    case Kw::MaterialSelfIllum:
        if (checkMaterial(a, word)) {
            const float s = number(a, 0);
            if (s != 0.0f) material->setEmissive(s, s, s);
        }
        break;
    case Kw::MaterialTransparency:
        if (checkMaterial(a, word)) material->setAlpha(1.0f - number(a, 0));
        break;
    case Kw::MaterialAmbient: (void)vector3(a, 0); break;  // ambient follows diffuse
    case Kw::ShapeObject:
        // Shapes are read by the spline reader; here every keyword of theirs
        // is passed over.
        inShape = true;
        inCamera = false;
        if (opensBlock) {
            skipBlock(sc, word, a.line);
            inShape = false;
            return;
        }
        break;
    case Kw::MaterialDiffuse:
    case Kw::MaterialSpecular:
    case Kw::MaterialEmissive:
        if (checkMaterial(a, word)) {
            const Vector3 c = vector3(a, 0);
            if (kw == Kw::MaterialDiffuse) material->setDiffuse(c.x, c.y, c.z);
            if (kw == Kw::MaterialSpecular) material->setSpecular(c.x, c.y, c.z);
            if (kw == Kw::MaterialEmissive) material->setEmissive(c.x, c.y, c.z);
        }
        break;
    case Kw::MaterialShineStrength:
        if (checkMaterial(a, word)) material->setShine(number(a, 0) * 128.0f);
        break;
    case Kw::CameraObject:
        camera = engine->createCamera();
        L.cameras.push_back(camera);
        inCamera = true;
        inShape = false;
        cameraNodeTms = 0;
        descend = Block::Camera;
        break;
    case Kw::NodeTm:
        if (inCamera) ++cameraNodeTms;
        break;
    case Kw::NodeName:
        if (inAnimation) {
            inAnimation = false;
        } else if (inCamera) {
            // The second transform of a camera is its target's, named after
            // the camera with ".Target"; the camera keeps its own name.
            if (camera != nullptr && camera->name.empty()) camera->name = text(a);
        } else if (!inShape && geometry != nullptr) {
            geometry->name = text(a);
            if (frame != nullptr) {
                frame->name = geometry->name;
                framesByName[frame->name].push_back(frame);
            }
        }
        break;
    case Kw::NodeParent:
        if (!inCamera && !inShape && !inAnimation) nodeParent(a);
        break;
    case Kw::TmPos: {
        const Vector3 p = vector3(a, 0);
        const Vector3 at = toEngine(p.x, p.y, p.z) * L.scale;
        if (inCamera) {
            if (camera == nullptr) break;
            if (cameraNodeTms <= 1) {
                camera->position = at;
            } else {
                camera->target = at;
                if ((at - camera->position).length() > 0.0f) camera->direction = (at - camera->position).normalised();
            }
        } else if (!inShape) {
            pivot = at;
            if (frame != nullptr) {
                const Vector3 above = frame->parent != nullptr ? frame->parent->getSummedPosition() : Vector3{0, 0, 0};
                frame->setPosition(pivot - above);
            }
        }
        break;
    }
    case Kw::GeomObject: startGeometry(); break;
    case Kw::MeshNumVertex:
        vertices.reserve(static_cast<size_t>(boundedCount(integer(a, 0), 12, "MESH_NUMVERTEX", a.line)));
        break;
    case Kw::MeshNumTVertex:
        tverts.reserve(static_cast<size_t>(boundedCount(integer(a, 0), 11, "MESH_NUMTVERTEX", a.line)));
        break;
    case Kw::Ignored: (void)integer(a, 0); break;
    case Kw::MaterialRef: {
        if (!checkGeometry(a, word)) break;
        const int i = integer(a, 0);
        if (i < 0 || i >= static_cast<int>(L.materials.size())) {
            problem(a.line, "material " + std::to_string(i) + " is outside the " + std::to_string(L.materials.size()) +
                                " materials read so far; ignored");
            break;
        }
        geometry->setMaterial(L.materials[static_cast<size_t>(i)]);
        mesh.materialRef = i;
        break;
    }
    case Kw::MeshNumFaces: {
        if (!checkGeometry(a, word)) break;
        const int n = boundedCount(integer(a, 0), 10, "MESH_NUMFACES", a.line);
        // Face slots grow as face lines arrive (growFaceSlots): a count
        // alone claims no memory.
        geometry->allocPositions(0);
        geometry->positions.shrink_to_fit();
        geometry->addCursor = 0;
        geometry->normals.clear();
        geometry->normalCount = 0;
        mesh.declaredFaces = n;
        mesh.faceCursor = 0;
        mesh.lastFace = -1;
        mesh.present.clear();
        mesh.present.shrink_to_fit();
        mesh.materialIds.clear();
        mesh.materialIds.shrink_to_fit();
        mesh.normalsRead = 0;
        break;
    }
    case Kw::MeshVertex: {
        const Vector3 p = vector3(a, 1);
        Vector3 v = toEngine(p.x, p.y, p.z) * L.scale;
        if (L.mirror) v.x = -v.x;
        if (L.createFrames) v -= pivot;
        vertices.push_back(v);
        break;
    }
    case Kw::MeshFace: meshFace(a); break;
    case Kw::MeshMtlId: {
        const int id = integer(a, 0);
        if (mesh.lastFace >= 0 && id >= 0) mesh.materialIds[static_cast<size_t>(mesh.lastFace)] = id;
        break;
    }
    case Kw::MeshNumTvFaces: {
        if (!checkGeometry(a, word)) break;
        mesh.uvFaces = boundedCount(integer(a, 0), 11, "MESH_NUMTVFACES", a.line);
        geometry->allocUv(3 * mesh.uvFaces);
        break;
    }
    case Kw::MeshTVert: {
        const float u = number(a, 1), v = number(a, 2);
        tverts.push_back(RUv{u, v});
        break;
    }
    case Kw::MeshTFace: meshTFace(a); break;
    case Kw::Container: break;
    case Kw::Unknown:
        // Recognised anywhere in a keyword, as exporters spell it variously.
        if (word.find("MATERIAL_TWOSIDED") != std::string_view::npos) {
            if (checkMaterial(a, word)) material->setTwoSided(true);
        } else {
            read = false;  // unknown: its block, if any, is skipped whole
        }
        break;
    }
    if (!opensBlock) return;
    if (read)
        blocks.push_back(OpenBlock{descend, word, a.line});
    else
        skipBlock(sc, word, a.line);
}

void AseReader::startGeometry() {
    finishGeometry();
    geometry = engine->createGeometry();
    L.geometries.push_back(geometry);
    normalsGiven.push_back(0);
    frame = nullptr;
    if (L.createFrames) {
        frame = engine->createFrame();
        L.frames.push_back(frame);
        frame->addGeometry(geometry);
    }
    vertices.clear();
    tverts.clear();
    mesh = Mesh();
    pivot = Vector3{0.0f, 0.0f, 0.0f};
    rows[0] = Vector3{1, 0, 0};
    rows[1] = Vector3{0, 1, 0};
    rows[2] = Vector3{0, 0, 1};
    rotAxis = Vector3{0.0f, 0.0f, 0.0f};
    rotAngle = 0.0f;
    inCamera = false;
    inShape = false;
}

// The mesh object is complete: drops the face slots that got no good face
// line (their texture coordinates and normals with them), settles normals
// and texture coordinates, and picks the sub-material most faces name.
void AseReader::finishGeometry() {
    if (geometry == nullptr) return;
    RGeometry& g = *geometry;
    // Slots that face lines reached; declared faces beyond them are missing.
    const int slots = static_cast<int>(mesh.present.size());
    const int declared = mesh.declaredFaces;
    const int corners = 3 * slots;
    const bool normalsComplete = mesh.normalsRead >= corners && corners > 0 &&
                                 static_cast<int>(g.normals.size()) == corners;
    if (mesh.normalsRead > 0 && !normalsComplete)
        problem(0, "mesh " + quoted(g.name) + " has " + std::to_string(mesh.normalsRead) + " vertex normals for " +
                       std::to_string(corners) + " corners; its normals are made from the faces");
    if (!normalsComplete) {
        g.normals.clear();
        g.normalCount = 0;
    }
    if (!g.uv.empty() && mesh.uvFaces != declared) {
        problem(0, "mesh " + quoted(g.name) + " has " + std::to_string(mesh.uvFaces) + " texture faces for " +
                       std::to_string(declared) + " faces");
        g.uv.resize(static_cast<size_t>(corners), RUv{0.0f, 0.0f});
    }
    int kept = 0;
    std::vector<int> idCount;
    for (int f = 0; f < slots; ++f) {
        if (!mesh.present[static_cast<size_t>(f)]) continue;
        for (int k = 0; k < 3; ++k) {
            const size_t from = static_cast<size_t>(3 * f + k), to = static_cast<size_t>(3 * kept + k);
            g.positions[to] = g.positions[from];
            if (!g.normals.empty()) g.normals[to] = g.normals[from];
            if (!g.uv.empty()) g.uv[to] = g.uv[from];
        }
        const int id = mesh.materialIds[static_cast<size_t>(f)];
        if (id >= static_cast<int>(idCount.size())) idCount.resize(static_cast<size_t>(std::min(id, 1 << 16)) + 1, 0);
        ++idCount[static_cast<size_t>(std::min(id, 1 << 16))];
        ++kept;
    }
    if (kept < declared)
        problem(0, "mesh " + quoted(g.name) + ": " + std::to_string(declared - kept) + " of its " +
                       std::to_string(declared) + " faces were missing or bad and are left out");
    g.positions.resize(static_cast<size_t>(3 * kept));
    if (kept < declared) {
        // A count the faces never filled must not keep its memory: the
        // next object may claim as much again.
        g.positions.shrink_to_fit();
        g.uv.resize(g.uv.empty() ? 0 : static_cast<size_t>(3 * kept));
        g.uv.shrink_to_fit();
    }
    g.cornerCount = 3 * kept;
    g.addCursor = g.cornerCount;
    if (!g.normals.empty()) {
        g.normals.resize(static_cast<size_t>(g.cornerCount));
        g.normals.shrink_to_fit();
        g.normalCount = g.cornerCount;
    }
    if (!g.uv.empty()) {
        g.uv.resize(static_cast<size_t>(g.cornerCount));
        g.uvCount = g.cornerCount;
    } else {
        g.uvCount = 0;
    }
    normalsGiven.back() = g.normalCount > 0 ? 1 : 0;

    // A mesh drawn with a multi-material takes the sub-material of most of
    // its faces (ids wrap around the sub-material count); a mesh is drawn
    // with one material.
    if (mesh.materialRef >= 0 && !subsOf[static_cast<size_t>(mesh.materialRef)].empty()) {
        const std::vector<RMaterial*>& subs = subsOf[static_cast<size_t>(mesh.materialRef)];
        std::vector<int> votes(subs.size(), 0);
        for (size_t id = 0; id < idCount.size(); ++id) votes[id % subs.size()] += idCount[id];
        const size_t best = static_cast<size_t>(std::max_element(votes.begin(), votes.end()) - votes.begin());
        g.setMaterial(subs[best]);
    }
    mesh = Mesh();
    geometry = nullptr;
    frame = nullptr;
}

void AseReader::meshFace(const Args& a) {
    if (!checkGeometry(a, "MESH_FACE")) return;
    // "*MESH_FACE 12: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 0": the labels may also
    // be joined to their numbers ("A:0"); without labels the first three
    // numbers after the face number are taken.
    int corner[3] = {0, 0, 0};
    bool found[3] = {false, false, false};
    bool bad = false;
    for (int i = 1; i < a.count; ++i) {
        const std::string_view w = a.word[i];
        if (w.size() < 2 || w[1] != ':' || w[0] < 'A' || w[0] > 'C') continue;
        const int k = w[0] - 'A';
        std::string_view value = w.substr(2);
        if (value.empty() && i + 1 < a.count) value = a.word[++i];
        found[k] = parseInt(value, corner[k]);
        bad = bad || !found[k];
    }
    if (!found[0] && !found[1] && !found[2] && !bad) {
        for (int k = 0; k < 3; ++k) found[k] = 1 + k < a.count && parseInt(a.word[1 + k], corner[k]);
    }
    if (mesh.faceCursor >= mesh.declaredFaces) {
        problem(a.line, "face beyond the " + std::to_string(mesh.declaredFaces) + " of MESH_NUMFACES; skipped");
        mesh.lastFace = -1;
        return;
    }
    const int slot = mesh.faceCursor++;
    growFaceSlots(slot + 1);
    mesh.lastFace = slot;
    if (!found[0] || !found[1] || !found[2]) {
        problem(a.line, "face without its three corners A:, B:, C:; skipped");
        return;
    }
    const int count = static_cast<int>(vertices.size());
    for (int k = 0; k < 3; ++k) {
        if (corner[k] < 0 || corner[k] >= count) {
            problem(a.line, "face vertex " + std::to_string(corner[k]) + " is outside the " + std::to_string(count) +
                                " vertices read so far; face skipped");
            return;
        }
    }
    for (int k = 0; k < 3; ++k) {
        const int from = L.mirror ? corner[2 - k] : corner[k];
        geometry->positions[static_cast<size_t>(3 * slot + k)] = vertices[static_cast<size_t>(from)];
    }
    mesh.present[static_cast<size_t>(slot)] = 1;
}

// At least `faces` slots (never more than declared), doubling so that a
// mesh's faces cost amortised constant time each.
void AseReader::growFaceSlots(int faces) {
    const int have = static_cast<int>(mesh.present.size());
    if (faces <= have) return;
    const int size = std::min(mesh.declaredFaces, std::max({faces, 2 * have, 64}));
    mesh.present.resize(static_cast<size_t>(size), 0);
    mesh.materialIds.resize(static_cast<size_t>(size), 0);
    geometry->positions.resize(static_cast<size_t>(3 * size), Vector3{0.0f, 0.0f, 0.0f});
    geometry->cornerCount = 3 * size;
}

void AseReader::meshTFace(const Args& a) {
    if (!checkGeometry(a, "MESH_TFACE")) return;
    const int face = integer(a, 0);
    int t[3];
    for (int k = 0; k < 3; ++k) t[k] = integer(a, 1 + k);
    if (face < 0 || face >= mesh.uvFaces) {
        problem(a.line, "texture face " + std::to_string(face) + " is outside the " + std::to_string(mesh.uvFaces) +
                            " of MESH_NUMTVFACES; skipped");
        return;
    }
    const int count = static_cast<int>(tverts.size());
    for (int k = 0; k < 3; ++k) {
        if (t[k] < 0 || t[k] >= count) {
            problem(a.line, "texture vertex " + std::to_string(t[k]) + " is outside the " + std::to_string(count) +
                                " read so far; skipped");
            return;
        }
    }
    for (int k = 0; k < 3; ++k) {
        const RUv& uv = tverts[static_cast<size_t>(L.mirror ? t[2 - k] : t[k])];
        geometry->setUv(3 * face + k, uv.u, uv.v);
    }
}

// Vertex normals come in the node's own orientation while positions are in
// the world's; the node's transform rows take them across. Normals go
// through the inverse transpose of the rows, which is the rotation itself
// for a plain rotation and stays right for scaled or mirrored nodes. Rows
// that cannot be inverted leave the node's rotation axis and angle.
Vector3 AseReader::normalToWorld(const Vector3& n) {
    const Vector3 c0 = cross(rows[1], rows[2]), c1 = cross(rows[2], rows[0]), c2 = cross(rows[0], rows[1]);
    const float det = dot(rows[0], c0);
    Vector3 w;
    if (std::fabs(det) > 1e-12f) {
        w = c0 * n.x + c1 * n.y + c2 * n.z;
        if (det < 0.0f) w = -w;
    } else {
        // Rodrigues: n cos a + (k × n) sin a + k (k · n)(1 - cos a).
        const Vector3 k = rotAxis.normalised();
        const float c = std::cos(rotAngle), s = std::sin(rotAngle);
        w = n * c + cross(k, n) * s + k * (dot(k, n) * (1.0f - c));
    }
    // Values too large for float arithmetic: the normal as given beats none.
    return std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.z) ? w : n;
}

void AseReader::vertexNormal(const Args& a) {
    if (!checkGeometry(a, "MESH_VERTEXNORMAL")) return;
    const Vector3 local = vector3(a, 1);
    const Vector3 w = normalToWorld(local);
    Vector3 n = toEngine(w.x, w.y, w.z).normalised();
    const int cursor = mesh.normalCursor++;
    if (cursor >= static_cast<int>(geometry->normals.size())) {
        if (cursor == static_cast<int>(geometry->normals.size()))
            problem(a.line, "vertex normal beyond the mesh's corners (or before *MESH_NORMALS); skipped");
        return;
    }
    int at = cursor;
    if (L.mirror) {
        // A mirrored face runs the other way round; its normals are
        // mirrored like its positions.
        at = 3 * (cursor / 3) + 2 - cursor % 3;
        n.x = -n.x;
    }
    geometry->normals[static_cast<size_t>(at)] = n;
    ++mesh.normalsRead;
}

void AseReader::bitmap(const Args& a) {
    if (mapKind == Map::None) return;
    if (!checkMaterial(a, "BITMAP")) return;
    const std::string path = text(a);
    // Exporters write where the picture was on the artist's machine: keep
    // the file name after the last separator (either kind, also for
    // network paths) and use the TGA of that name from the texture folder.
    std::string file = path.substr(std::min(path.size(), path.find_last_of("\\/") + 1));
    if (file.empty()) {
        problem(a.line, "*BITMAP " + quoted(path) + " names no file; ignored");
        return;
    }
    const size_t dot = file.rfind('.');
    file = (dot == std::string::npos ? file + "." : file.substr(0, dot + 1)) + "tga";
    RAseTextureRequest request;
    request.material = material;
    request.reflection = mapKind == Map::Reflect;
    request.bitmap = path;
    request.name = L.texturePath + file;
    request.texture = L.textureResolver()->resolve(request.name);
    L.textureRequests.push_back(request);
    if (mapKind == Map::Diffuse) {
        if (request.texture != nullptr) material->setTexture(request.texture);
    } else {
        if (request.texture != nullptr) material->setEnvTexture(request.texture);
        material->envAmount = mapAmount * 0.5f;
        if (request.texture != nullptr) printf("ENVAMOUNT=%f\n", request.texture->amount);
    }
}

void AseReader::nodeParent(const Args& a) {
    if (!L.createFrames || frame == nullptr) return;
    const std::string name = text(a);
    if (frame->parent != nullptr) {
        problem(a.line, "second *NODE_PARENT of " + quoted(frame->name) + "; ignored");
        return;
    }
    // The earliest mesh object of that name, through the name index rather
    // than a walk of every tree (thousands of objects would make that
    // quadratic). The node itself and what hangs under it cannot be its
    // parent.
    CSceneFrame* parent = nullptr;
    const auto named = framesByName.find(name);
    if (named != framesByName.end()) {
        for (CSceneFrame* candidate : named->second) {
            bool below = candidate->name != name;
            for (const CSceneFrame* p = candidate; p != nullptr && !below; p = p->parent) below = p == frame;
            if (!below) {
                parent = candidate;
                break;
            }
        }
    }
    if (parent == nullptr) {
        problem(a.line, "parent " + quoted(name) + " of " + quoted(frame->name) +
                            " is not a mesh object read so far; kept at the top");
        return;
    }
    int depth = 1;
    for (const CSceneFrame* p = parent; p->parent != nullptr; p = p->parent) ++depth;
    if (depth >= RAseLoader::kMaxFrameDepth) {
        problem(a.line, "hierarchy deeper than " + std::to_string(RAseLoader::kMaxFrameDepth) + " frames at " +
                            quoted(frame->name) + "; kept at the top");
        return;
    }
    parent->addChild(frame);
    L.frames.erase(std::find(L.frames.begin(), L.frames.end(), frame));
}

void AseReader::subMaterial() {
    RMaterial* sub = engine->createMaterial();
    L.subMaterials.push_back(sub);
    L.subMaterialParents.push_back(topMaterial);
    if (topMaterial >= 0) subsOf[static_cast<size_t>(topMaterial)].push_back(sub);
    materialStack.push_back(material);
    material = sub;
    mapKind = Map::None;
}

}  // namespace

// --- the loader --------------------------------------------------------------

RAseLoader::RAseLoader(REngine* owner) : engine(owner), engineResolver(owner), resolver(&engineResolver) {}

void RAseLoader::reset() {
    geometries.clear();
    frames.clear();
    cameras.clear();
    materials.clear();
    subMaterials.clear();
    subMaterialParents.clear();
    textureRequests.clear();
    problems.clear();
    problemCount = 0;
}

void RAseLoader::noteProblem(const std::string& where, int line, const std::string& message) {
    ++problemCount;
    const std::string at = line > 0 ? where + " line " + std::to_string(line) : where;
    if (problemCount <= kMaxPrintedProblems) printf("ASE %s: %s\n", at.c_str(), message.c_str());
    if (static_cast<int>(problems.size()) < kMaxKeptProblems) problems.push_back(at + ": " + message);
}

bool RAseLoader::read(const std::string& fileName) {
    reset();
    printf("\nLoading ASE: %s\n", fileName.c_str());
    std::string contents;
    FILE* file = fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        noteProblem(fileName, 0, "cannot be opened");
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
    fclose(file);
    return parse(contents, fileName);
}

bool RAseLoader::readText(const std::string& contents, const std::string& label) {
    reset();
    return parse(contents, label);
}

bool RAseLoader::parse(const std::string& contents, const std::string& label) {
    std::string text, why;
    bool ok = prepareText(contents, text, why);
    if (!ok) {
        noteProblem(label, 0, why);
    } else {
        AseReader reader(*this, label, text.size());
        ok = reader.run(text);
        if (!ok) noteProblem(label, 0, "holds no ASE keyword");
    }
    if (problemCount > kMaxPrintedProblems) printf("ASE %s: %d problems in all\n", label.c_str(), problemCount);
    return ok;
}

CSceneFrame* RAseLoader::loadInto(const std::string& name, float modelScale, CSceneFrame* targetFrame) {
    scale = modelScale;
    texturePath = baseDirectory + "/" + name + "/texture/";
    const std::string fileName = baseDirectory + "/" + name + "/" + name + ".ase";
    if (!engine->system.fileExists(fileName)) return nullptr;
    if (targetFrame == nullptr) targetFrame = engine->createFrame();
    if (!read(fileName)) return nullptr;
    if (createFrames) {
        for (CSceneFrame* f : frames) targetFrame->addChild(f);
    } else {
        for (RGeometry* g : geometries) targetFrame->addGeometry(g);
    }
    targetFrame->computeRadius();
    return targetFrame;
}

CSceneFrame* RAseLoader::findFrame(const std::string& frameName) const {
    for (CSceneFrame* top : frames) {
        if (CSceneFrame* f = top->findFrame(frameName)) return f;
    }
    return nullptr;
}
