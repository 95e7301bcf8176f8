// vqsim inspect on models and vqsim convert, run as a user runs them: an
// exporter's ASE file with its textures beside it, its JSON report, the
// model file made from it, and the refusals.

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "../graphics/ase_samples.h"
#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Standard output only: the JSON report must come without the notices.
VqsimResult vqsim(const std::string& arguments) { return runVqsim(arguments, "", VqsimStderr::Discard); }

// A 1 x 1 uncompressed 24-bit TGA.
void writeTga(const fs::path& path) {
    const unsigned char bytes[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 10, 20, 30};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The exporter's model with every texture it names, as the car keeps them.
void writeModel(const fs::path& dir, bool withTextures) {
    fs::create_directories(dir / "texture");
    std::ofstream(dir / "car.ase") << kExporterAse;
    if (withTextures)
        for (const char* name : {"car paint.tga", "sky.tga", "seat fabric.tga", "dash.tga"}) writeTga(dir / "texture" / name);
}

}  // namespace

TEST(ConvertCommand, InspectReportsTheModelAsJsonAndTheModelFileMatchesIt) {
    TempDir dir;
    writeModel(dir.path(), true);
    const std::string ase = (dir / "car.ase").string(), vqo = (dir / "car.vqo").string();

    const VqsimResult inspect = vqsim("inspect " + ase + " --json");
    ASSERT_EQ(inspect.exitCode, 0) << inspect.output;
    ASSERT_EQ(inspect.output.front(), '{') << "nothing but the report on standard output:\n" << inspect.output;
    for (const char* field : {"\"triangles\": 5,", "\"geometries\": 4,", "\"materials\": 2,", "\"frames\": 5,",
                              "\"cameras\": 1,", "\"missing_textures\": 0,", "\"name\": \"Wheel LF\"",
                              "\"parent\": \"Body Shell\"", "\"unique_vertices\": 4,", "\"blending\": \"blended by diffuse alpha\"",
                              "\"bitmap\": \"\\\\\\\\artserver\\\\shared\\\\maps\\\\sky.jpg\""})
        EXPECT_TRUE(contains(inspect.output, field)) << field << "\n" << inspect.output;

    const VqsimResult convert = vqsim("convert " + ase + " " + vqo);
    ASSERT_EQ(convert.exitCode, 0) << convert.output;
    EXPECT_TRUE(contains(convert.output, "5 frames, 4 meshes, 5 triangles, 2 materials, 4 textures")) << convert.output;

    const VqsimResult back = vqsim("inspect " + vqo + " --json");
    ASSERT_EQ(back.exitCode, 0) << back.output;
    for (const char* field : {"\"kind\": \"model file\"", "\"triangles\": 5,", "\"geometries\": 4,", "\"frames\": 5,",
                              "\"missing_textures\": 0,", "\"name\": \"Wheel LF\"", "\"parent\": \"Body Shell\""})
        EXPECT_TRUE(contains(back.output, field)) << field << "\n" << back.output;
}

TEST(ConvertCommand, RefusesWhatItCannotConvertFaithfully) {
    TempDir dir;
    writeModel(dir.path(), false);
    const std::string ase = (dir / "car.ase").string(), vqo = (dir / "car.vqo").string();

    // Missing textures would be lost: refused unless allowed.
    EXPECT_EQ(vqsim("convert " + ase + " " + vqo).exitCode, 1);
    EXPECT_FALSE(fs::exists(vqo));
    const VqsimResult allowed = vqsim("convert " + ase + " " + vqo + " --allow-missing");
    EXPECT_EQ(allowed.exitCode, 0);
    EXPECT_TRUE(contains(allowed.output, "(4 missing)")) << allowed.output;
    // The toolbox reports missing textures instead of ending.
    const VqsimResult inspect = vqsim("inspect " + ase + " --json");
    EXPECT_EQ(inspect.exitCode, 0);
    EXPECT_TRUE(contains(inspect.output, "\"missing_textures\": 4,")) << inspect.output;
    EXPECT_TRUE(contains(inspect.output, "not found")) << inspect.output;

    std::ofstream(dir / "junk.ase", std::ios::binary) << std::string("\x01\x02\x03\x04\xff\xfe\x00\x10", 8);
    EXPECT_EQ(vqsim("convert " + (dir / "junk.ase").string() + " " + vqo).exitCode, 1);
    EXPECT_EQ(vqsim("inspect " + (dir / "junk.ase").string()).exitCode, 1);
    EXPECT_EQ(vqsim("convert " + (dir / "absent.ase").string() + " " + vqo).exitCode, 1);
    EXPECT_EQ(vqsim("convert " + ase + " " + (dir / "no/such/dir/x.vqo").string() + " --allow-missing").exitCode, 1);
    EXPECT_EQ(vqsim("convert " + ase).exitCode, 2);
    EXPECT_EQ(vqsim("convert " + ase + " out.obj").exitCode, 2);
    EXPECT_EQ(vqsim("convert " + ase + " " + vqo + " --scale -1").exitCode, 2);
}
