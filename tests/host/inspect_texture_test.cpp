// vqsim inspect on a TGA file as a user runs it: the keys of the JSON
// report and the CRC-32 of the decoded pixels; a compressed file is refused.

#include <gtest/gtest.h>

#include <string>
#include <zlib.h>

#include "support/image_files.h"
#include "support/run_vqsim.h"
#include "support/temp_dir.h"

TEST(InspectTextureTest, TgaReportsSizeOriginKindAndPixelChecksum) {
    TempDir dir;
    TestPicture picture = testPattern(5, 3);
    picture.at(2, 1)[0] = 255, picture.at(2, 1)[1] = 0, picture.at(2, 1)[2] = 255;
    const std::string path = (dir / "keyed.tga").string();
    ASSERT_TRUE(writeTga(path, picture, TgaLayout{24, true, "id", true}));

    const std::vector<uint8_t> pixels = bottomUp(keyed(picture), 4);  // as loadTga leaves them
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), pixels.data(), static_cast<uInt>(pixels.size()));

    VqsimResult run = runVqsim("inspect " + path + " --json");
    std::string out = run.output;
    ASSERT_EQ(run.exitCode, 0) << out;
    for (const std::string& line : {std::string("\"width\": 5,"), std::string("\"height\": 3,"),
                                    std::string("\"bits\": 24,"), std::string("\"top_left_origin\": true,"),
                                    std::string("\"pixel_kind\": 4,"), "\"pixels_crc32\": " + std::to_string(crc)})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_EQ(out.find("Inverted tga"), std::string::npos) << "notices must stay out of the JSON";
    EXPECT_EQ(out.front(), '{');

    ASSERT_TRUE(writeTga(path, picture, TgaLayout{24, false, "", false, 10}));
    run = runVqsim("inspect " + path);
    out = run.output;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(out.find("run-length compressed"), std::string::npos) << out;
}
