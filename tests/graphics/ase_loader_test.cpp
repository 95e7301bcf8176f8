// The ASE loader against files as exporters write them (in every encoding
// they come in), against the small cases whose numbers are fixed, and against
// damaged files: what it builds, what it asks the texture resolver for, and
// what it reports.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/ase_loader.h"
#include "graphics/camera.h"
#include "graphics/material.h"
#include "graphics/scene_frame.h"
#include "graphics/texture_resolver.h"
#include "graphics_rig.h"
#include "ase_samples.h"
#include "support/temp_dir.h"

namespace {

struct AseRig {
    GraphicsRig gfx{false};
    RecordingTextureResolver resolver;  // no engine: records names, loads nothing
    RAseLoader loader{gfx.engine.get()};

    AseRig() {
        loader.setTextureResolver(&resolver);
        loader.setTexturePath("tex/");
    }
    bool read(const std::string& text) {
        testing::internal::CaptureStdout();
        const bool ok = loader.readText(text, "test.ase");
        output = testing::internal::GetCapturedStdout();
        return ok;
    }
    RGeometry* mesh(const std::string& name) {
        for (RGeometry* g : loader.geometries)
            if (g->name == name) return g;
        return nullptr;
    }
    int triangles() const {
        int n = 0;
        for (const RGeometry* g : loader.geometries) n += g->cornerCount / 3;
        return n;
    }
    std::string problems() const {
        std::string all;
        for (const std::string& p : loader.problems) all += p + "\n";
        return all;
    }
    std::string output;
};

void expectNear(const Vector3& v, Vector3 want, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, want.x, tolerance);
    EXPECT_NEAR(v.y, want.y, tolerance);
    EXPECT_NEAR(v.z, want.z, tolerance);
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size()) s.replace(at, from.size(), to);
    return s;
}

std::string utf16(const std::string& s, bool littleEndian, bool mark) {
    std::string out = mark ? (littleEndian ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (const char c : s) {
        const char pair[2] = {littleEndian ? c : '\0', littleEndian ? '\0' : c};
        out.append(pair, 2);
    }
    return out;
}

// A mesh object with the given vertices and faces ("a b c" each), flat.
std::string meshObject(const std::vector<Vector3>& vertices, const std::vector<std::string>& faces,
                       const std::string& extra = "") {
    std::string s = "*GEOMOBJECT {\n*NODE_NAME \"m\"\n*MESH {\n*MESH_NUMVERTEX " + std::to_string(vertices.size()) +
                    "\n*MESH_NUMFACES " + std::to_string(faces.size()) + "\n";
    for (size_t i = 0; i < vertices.size(); ++i)
        s += "*MESH_VERTEX " + std::to_string(i) + " " + std::to_string(vertices[i].x) + " " +
             std::to_string(vertices[i].y) + " " + std::to_string(vertices[i].z) + "\n";
    for (size_t i = 0; i < faces.size(); ++i) {
        int a, b, c;
        std::sscanf(faces[i].c_str(), "%d %d %d", &a, &b, &c);
        s += "*MESH_FACE " + std::to_string(i) + ": A: " + std::to_string(a) + " B: " + std::to_string(b) +
             " C: " + std::to_string(c) + " AB: 1 BC: 1 CA: 1\n";
    }
    return s + extra + "}\n}\n";
}

}  // namespace

// What a read built, in a form to compare: meshes with their corner counts,
// sub-materials, cameras, the textures asked for and the problems.
static std::string summary(const AseRig& rig) {
    std::string out;
    for (const RGeometry* g : rig.loader.geometries) out += g->name + " " + std::to_string(g->cornerCount) + ", ";
    for (const RMaterial* m : rig.loader.subMaterials) out += m->name + ", ";
    for (const RCamera* c : rig.loader.cameras) out += c->name + ", ";
    for (const std::string& t : rig.resolver.requested) out += t + ", ";
    return out + std::to_string(rig.loader.materials.size()) + " materials\n" + rig.problems();
}

TEST(AseLoader, ExporterFileLoadsAlikeInEveryEncodingItComesIn) {
    const std::string lf = kExporterAse;
    // The diffuse and reflection bitmaps, reduced to their file names (the
    // bump map is not a texture of the material); the helper parent is the
    // one thing worth a remark.
    AseRig plain;
    ASSERT_TRUE(plain.read(lf)) << plain.output;
    EXPECT_EQ(summary(plain).substr(0, summary(plain).find('\n')),
              "Body Shell 6, Wheel LF 3, Seat Left 6, Empty Thing 0, Seats, Dash, Chase Cam, tex/car paint.tga, "
              "tex/sky.tga, tex/seat fabric.tga, tex/dash.tga, 2 materials");
    EXPECT_EQ(plain.loader.problemCount, 1) << plain.problems();
    EXPECT_NE(plain.problems().find("\"Car Root\""), std::string::npos) << plain.problems();
    const struct { const char* encoding; std::string bytes; } cases[] = {
        {"CRLF", replaceAll(lf, "\n", "\r\n")},
        {"CR", replaceAll(lf, "\n", "\r")},
        {"UTF-8 mark", "\xEF\xBB\xBF" + replaceAll(lf, "\n", "\r\n")},
        {"UTF-16LE mark", utf16(replaceAll(lf, "\n", "\r\n"), true, true)},
        {"UTF-16BE no mark", utf16(lf, false, false)},
    };
    for (const auto& c : cases) {
        AseRig rig;
        ASSERT_TRUE(rig.read(c.bytes)) << c.encoding << rig.output;
        EXPECT_EQ(summary(rig), summary(plain)) << c.encoding;
    }
}

TEST(AseLoader, ExporterFileBuildsPivotsHierarchyNormalsAndMaterials) {
    AseRig rig;
    rig.loader.setScale(0.1f);
    ASSERT_TRUE(rig.read(kExporterAse)) << rig.output;
    const RAseLoader& L = rig.loader;

    // Top-level frames only; the wheel hangs under the body at its pivot
    // less the body's.
    ASSERT_EQ(L.frames.size(), 3u);
    CSceneFrame* body = rig.loader.findFrame("Body Shell");
    CSceneFrame* wheel = rig.loader.findFrame("Wheel LF");
    ASSERT_TRUE(body && wheel);
    EXPECT_EQ(wheel->parent, body);
    expectNear(body->getPosition(), {1.0f, 3.0f, -2.0f});
    expectNear(wheel->getPosition(), {0.5f, 0.0f, -0.5f});
    expectNear(rig.loader.findFrame("Seat Left")->getPosition(), {-1.0f, 1.0f, 0.0f});

    // Corners relative to the pivot, texture coordinates of the first channel.
    RGeometry* shell = rig.mesh("Body Shell");
    expectNear(shell->positions[1], Vector3{2.0f, 3.0f, 0.0f} - Vector3{1.0f, 3.0f, -2.0f});
    ASSERT_EQ(shell->uvCount, 6);
    EXPECT_EQ(shell->uv[1].u, 1.0f);
    EXPECT_EQ(shell->uv[5].v, 1.0f);
    expectNear(shell->normals[0], {0.0f, 1.0f, 0.0f});
    // The wheel's +x, turned 90 degrees about z, is the file's +y: -z here.
    for (int i = 0; i < 3; ++i) expectNear(rig.mesh("Wheel LF")->normals[i], {0.0f, 0.0f, -1.0f});
    // Made from the faces: a 90-degree fold keeps each face's own normal.
    RGeometry* seat = rig.mesh("Seat Left");
    ASSERT_EQ(seat->normalCount, 6);
    expectNear(seat->normals[0], {0.0f, 1.0f, 0.0f});
    expectNear(seat->normals[3], {0.0f, 0.0f, -1.0f});
    EXPECT_EQ(rig.mesh("Empty Thing")->cornerCount, 0);

    // Materials: paint with its reflection at half the map amount; the
    // multi-material's meshes take the sub-material most of their faces name.
    RMaterial* paint = L.materials[0];
    EXPECT_EQ(shell->material, paint);
    EXPECT_FLOAT_EQ(paint->envAmount, 0.3f);
    EXPECT_FLOAT_EQ(paint->power, 76.0f);
    EXPECT_EQ(paint->blendMode, RMaterial::kBlendOpaque);
    EXPECT_EQ(seat->material, L.subMaterials[0]);
    EXPECT_TRUE(L.subMaterials[0]->twoSided);
    EXPECT_EQ(rig.mesh("Wheel LF")->material, L.subMaterials[1]);
    EXPECT_FLOAT_EQ(L.subMaterials[1]->diffuse.a, 0.75f);
    EXPECT_EQ(L.subMaterials[1]->blendMode, RMaterial::kBlendDiffuseAlpha);
    EXPECT_TRUE(rig.gfx.e().mipmapTextures);  // "Blinn" shading

    // The camera stands at its first transform and looks at its target.
    expectNear(L.cameras[0]->position, {0.0f, 2.0f, 5.0f});
    expectNear(L.cameras[0]->direction, Vector3{0.0f, -2.0f, -5.0f}.normalised());
}

TEST(AseLoader, SmallCasesGiveTheirFixedNumbers) {
    // Scale 0.1, no pivot: axes turn to y-up (also from a decimal comma).
    for (const char* vertex : {"*MESH_VERTEX 0 10 20 30", "*MESH_VERTEX 0 10,0 20,00 +30"}) {
        AseRig rig;
        rig.loader.setScale(0.1f);
        ASSERT_TRUE(rig.read(std::string("*GEOMOBJECT\n") + vertex + "\n*MESH_VERTEX 1 0 0 0\n*MESH_VERTEX 2 1 0 0\n"
                             "*MESH_NUMFACES 1\n*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\n"));
        expectNear(rig.loader.geometries[0]->positions[0], {1.0f, 3.0f, -2.0f});
        EXPECT_EQ(rig.loader.problemCount, 0) << rig.problems();
    }
    // Face corner order, reversed by the mirror (which also mirrors x).
    for (const bool mirror : {false, true}) {
        AseRig rig;
        rig.loader.setMirror(mirror);
        ASSERT_TRUE(rig.read(meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {"0 1 2"})));
        const RGeometry* g = rig.loader.geometries[0];
        expectNear(g->positions[0], mirror ? Vector3{0, 0, -1} : Vector3{0, 0, 0});
        expectNear(g->positions[1], mirror ? Vector3{-1, 0, 0} : Vector3{1, 0, 0});
    }
    // Normals turn with the node: by its rows, or by its axis and angle
    // when the rows say nothing; +x turned 90 degrees about z is -z here.
    for (const char* rows : {"*TM_ROW0 0 1 0\n*TM_ROW1 -1 0 0\n*TM_ROW2 0 0 1\n", "*TM_ROW0 0 0 0\n"}) {
        AseRig rig;
        const std::string normals =
            "*MESH_NORMALS {\n*MESH_VERTEXNORMAL 0 1 0 0\n*MESH_VERTEXNORMAL 1 1 0 0\n*MESH_VERTEXNORMAL 2 1 0 0\n}\n";
        ASSERT_TRUE(rig.read(replaceAll(meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {"0 1 2"}, normals), "*MESH {",
                                        std::string(rows) + "*TM_ROTAXIS 0 0 1\n*TM_ROTANGLE 1.5708\n*MESH {")));
        expectNear(rig.loader.geometries[0]->normals[1], {0.0f, 0.0f, -1.0f});
    }
    // Material lines.
    const struct { const char* line; float alpha; int blend; float power; } materials[] = {
        {"*MATERIAL_TRANSPARENCY 0.25", 0.75f, 0, 0.0f},
        {"*MATERIAL_TRANSPARENCY 0.0000", 1.0f, 4, 0.0f},
        {"*MATERIAL_SHINESTRENGTH 0.5", 1.0f, 4, 76.0f},
    };
    for (const auto& m : materials) {
        SCOPED_TRACE(m.line);
        AseRig rig;
        ASSERT_TRUE(rig.read(std::string("*MATERIAL 0 {\n") + m.line + "\n}\n"));
        EXPECT_FLOAT_EQ(rig.loader.materials[0]->diffuse.a, m.alpha);
        EXPECT_EQ(rig.loader.materials[0]->blendMode, m.blend);
        EXPECT_FLOAT_EQ(rig.loader.materials[0]->power, m.power);
    }
    // Bitmap paths of every kind come to the texture folder as TGA files.
    const struct { const char* bitmap; const char* name; } bitmaps[] = {
        {R"(C:\maps\paint.bmp)", "cars/solvi/texture/paint.tga"},
        {R"(\\server\share\My Maps\rear lights.jpeg)", "cars/solvi/texture/rear lights.tga"},
        {"D:/art/gauge", "cars/solvi/texture/gauge.tga"},
        {"dial.v2.png", "cars/solvi/texture/dial.v2.tga"},
    };
    for (const auto& b : bitmaps) {
        AseRig rig;
        rig.loader.setTexturePath("cars/solvi/texture/");
        ASSERT_TRUE(rig.read(std::string("*MATERIAL 0 {\n*MAP_DIFFUSE {\n*BITMAP \"") + b.bitmap + "\"\n}\n}\n"));
        EXPECT_EQ(rig.resolver.requested, std::vector<std::string>{b.name});
    }
}

TEST(AseLoader, NormalsFromFacesJoinAcrossGentleFoldsAndCornersSnap) {
    // Two triangles sharing the edge x = 0..1 at y = 0, the second turned
    // up by `fold` degrees about that edge.
    for (const double fold : {30.0, 90.0}) {
        SCOPED_TRACE(fold);
        const float c = static_cast<float>(std::cos(fold * M_PI / 180)), s = static_cast<float>(std::sin(fold * M_PI / 180));
        AseRig rig;
        // The shared corner of the second face is 0.0005 off: it snaps.
        ASSERT_TRUE(rig.read(meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -c, s}, {1.0005f, 0, 0}}, {"0 1 2", "0 3 4"})));
        const RGeometry* g = rig.loader.geometries[0];
        const Vector3 first = g->normals[2], second = g->normals[4];  // unshared corners keep their face's
        const Vector3 shared = g->normals[0];
        if (fold < 85.0) {
            expectNear(shared, (first + second).normalised(), 1e-4f);
        } else {
            expectNear(shared, first, 1e-6f);
            expectNear(g->normals[3], second, 1e-6f);
        }
        EXPECT_EQ(g->positions[5].x, g->positions[1].x);  // snapped to exactly the same place
    }
}

// A parent is the first mesh object of its name read so far: one named only
// later, never, or the node itself leaves the node at the top, with a word.
TEST(AseLoader, ParentIsTheFirstMeshObjectOfItsNameReadSoFar) {
    auto object = [](const std::string& name, const std::string& parent) {
        return "*GEOMOBJECT {\n*NODE_NAME \"" + name + "\"\n" +
               (parent.empty() ? "" : "*NODE_PARENT \"" + parent + "\"\n") + "}\n";
    };
    AseRig rig;
    ASSERT_TRUE(rig.read(object("a", "") + object("b", "a") + object("a", "") + object("c", "a") + object("d", "e") +
                         object("e", "") + object("f", "ghost") + object("g", "g")));
    std::vector<std::string> top;
    for (const CSceneFrame* f : rig.loader.frames) top.push_back(f->name);
    EXPECT_EQ(top, (std::vector<std::string>{"a", "a", "d", "e", "f", "g"}));
    ASSERT_EQ(rig.loader.frames[0]->children.size(), 2u);
    EXPECT_EQ(rig.loader.frames[0]->children[1]->name, "c");
    EXPECT_TRUE(rig.loader.frames[1]->children.empty());
    EXPECT_EQ(rig.loader.problemCount, 3) << rig.problems();
    for (const char* said : {"parent \"e\" of \"d\" is not a mesh object read so far",
                             "parent \"ghost\" of \"f\"", "parent \"g\" of \"g\""})
        EXPECT_NE(rig.problems().find(said), std::string::npos) << said << "\n" << rig.problems();

    // Corners snap corner by corner in order: the last corner, within a
    // millimetre of both the first (0.9 mm) and the third (0.7 mm), takes the
    // first's place, not the nearer one's.
    AseRig snap;
    ASSERT_TRUE(snap.read(meshObject({{0, 0, 0}, {0, 1, 0}, {0.0016f, 0, 0}, {0.0009f, 0, 0}, {1, 1, 0}},
                                     {"0 1 2", "3 4 1"})));
    const RGeometry* g = snap.loader.geometries[0];
    EXPECT_EQ(g->positions[3].x, g->positions[0].x);
    EXPECT_EQ(g->positions[2].x, 0.0016f);
}

TEST(AseLoader, DamagedFilesLoadWhatTheyCanAndSayWhatTheySkipped) {
    const std::string quad = meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {"0 1 2", "2 1 3"});
    std::string chain;  // each object the child of the one before
    for (int i = 0; i < 300; ++i)
        chain += "*GEOMOBJECT {\n*NODE_NAME \"n" + std::to_string(i) + "\"\n*NODE_PARENT \"n" + std::to_string(i - 1) + "\"\n}\n";
    const struct { const char* what; std::string text; int triangles; const char* reported; } cases[] = {
        {"hierarchy too deep", chain, 0, "deeper than 256 frames at \"n256\""},
        {"vertex index past the list", meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {"0 1 7", "0 1 2"}), 1,
         "vertex 7 is outside the 3 vertices"},
        {"negative vertex index", meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {"0 -1 2"}), 0, "vertex -1"},
        {"more faces than declared", replaceAll(quad, "*MESH_NUMFACES 2", "*MESH_NUMFACES 1"), 1, "beyond the 1"},
        {"fewer faces than declared", replaceAll(quad, "*MESH_NUMFACES 2", "*MESH_NUMFACES 3"), 2, "1 of its 3 faces"},
        {"face count beyond the file", replaceAll(quad, "*MESH_NUMFACES 2", "*MESH_NUMFACES 2000000000"), 2,
         "more than the file can hold"},
        {"bad number", replaceAll(quad, "*MESH_VERTEX 3 1.000000", "*MESH_VERTEX 3 1.#QNAN0"), 2, "bad number \"1.#QNAN0\""},
        {"texture vertex past the list",
         quad.substr(0, quad.size() - 4) + "*MESH_NUMTVFACES 2\n*MESH_TVERT 0 0 0 0\n*MESH_TFACE 0 0 0 5\n}\n}\n", 2,
         "texture vertex 5"},
        {"material past the list", "*MATERIAL 0 {\n}\n" + quad.substr(0, quad.size() - 2) + "*MATERIAL_REF 3\n}\n", 2,
         "material 3 is outside the 1"},
        {"unclosed block", quad.substr(0, quad.size() - 4), 2, "not closed"},
        {"stray brace", "}\n" + quad, 2, "closes no block"},
        {"unclosed quote", replaceAll(quad, "\"m\"", "\"m"), 2, "not closed on their line"},
        {"unknown block never closed", quad + "*MESH_ANIMATION {\n*MESH {\n", 2, "*MESH_ANIMATION is not closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AseRig rig;
        EXPECT_TRUE(rig.read(c.text));
        EXPECT_EQ(rig.triangles(), c.triangles);
        EXPECT_NE(rig.problems().find(c.reported), std::string::npos) << rig.problems();
        EXPECT_NE(rig.output.find(c.reported), std::string::npos) << "reported on the console too";
        for (const RGeometry* g : rig.loader.geometries) {
            EXPECT_EQ(static_cast<int>(g->positions.size()), g->cornerCount);
            EXPECT_EQ(g->normalCount, g->cornerCount);
        }
    }
}

TEST(AseLoader, WhatIsNotTextIsRefusedWithoutBuildingAnything) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919 + 13) % 256);
    for (const std::string& text : {junk, std::string(), std::string("just words, no keywords\n"),
                                    std::string("*MESH_VERTEX\0\0\0\0\0\0\0\0 1 2 3", 23)}) {
        AseRig rig;
        EXPECT_FALSE(rig.read(text));
        EXPECT_TRUE(rig.gfx.e().geometries.empty());
        ASSERT_FALSE(rig.loader.problems.empty());
    }
}

TEST(AseLoader, LoadIntoFindsTheModelByNameAndHangsItUnderTheTarget) {
    TempDir dir;
    std::filesystem::create_directories(dir / "cars/solvi");
    AseRig rig;
    rig.loader.setBaseDirectory((dir / "cars").string());
    testing::internal::CaptureStdout();
    EXPECT_EQ(rig.loader.loadInto("solvi", 0.1f, nullptr), nullptr);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(rig.gfx.e().frames.empty()) << "a missing model creates nothing";

    std::ofstream(dir / "cars/solvi/solvi.ase") << kExporterAse;
    testing::internal::CaptureStdout();
    CSceneFrame* root = rig.loader.loadInto("solvi", 0.1f, nullptr);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->children.size(), 3u);
    EXPECT_GT(root->children[0]->radius, 0.0f);
    EXPECT_EQ(rig.resolver.requested[0], (dir / "cars/solvi/texture/car paint.tga").string());

    // Read again without frames: every mesh straight into the target, and
    // the lists hold only the second read.
    rig.loader.setCreateFrames(false);
    CSceneFrame* target = rig.gfx.e().createFrame();
    testing::internal::CaptureStdout();
    EXPECT_EQ(rig.loader.loadInto("solvi", 0.1f, target), target);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(target->geometries.size(), 4u);
    EXPECT_GT(target->radius, 0.0f);
    EXPECT_TRUE(rig.loader.frames.empty());
    EXPECT_EQ(rig.loader.geometries.size(), 4u);
}

TEST(AseLoader, EngineLoadsModelsThroughItsLoaderAndKeepsMissingTexturesFatal) {
    TempDir dir;
    std::filesystem::create_directories(dir / "ase/plain");
    std::ofstream(dir / "ase/plain/plain.ase") << meshObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {"0 1 2"});
    WorkIn in(dir.path());
    GraphicsRig gfx;
    testing::internal::CaptureStdout();
    CSceneFrame* model = gfx.e().loadModel("plain", 0.1f);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->buffersBuilt);
    EXPECT_EQ(model->children.at(0)->geometries.at(0)->uniqueVertexCount, 3);

    // The car's own path: a texture that is not there ends the process.
    std::filesystem::create_directories(dir / "ase/painted");
    std::ofstream(dir / "ase/painted/painted.ase") << "*MATERIAL 0 {\n*MAP_DIFFUSE {\n*BITMAP \"C:\\paint.bmp\"\n}\n}\n";
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "w", stdout)) std::abort();
            gfx.e().loadModel("painted");
        },
        testing::ExitedWithCode(0), "");
}
