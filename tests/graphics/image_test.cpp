// RImage: TGA files as other tools write them decode to the pixels
// ImageMagick reads from them; unsupported files are refused with a line;
// PNG and JPEG go through the same colour-key step.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "graphics/image.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

bool haveImageMagick() {
    static const bool have = std::system("convert -version 2>/dev/null | grep -q ImageMagick") == 0;
    return have;
}

// ImageMagick's reading of a file: top row first, R, G, B, A. It keeps a
// bottom-left file's rows in file order and only marks the orientation, so
// the picture as shown needs -auto-orient.
std::vector<uint8_t> magickRgba(const std::string& path, const std::string& out) {
    if (std::system(("convert '" + path + "' -auto-orient -depth 8 'rgba:" + out + "'").c_str()) != 0) return {};
    return fileBytes(out);
}

// Our pixels in the same layout.
std::vector<uint8_t> topDownRgba(const RImage& image) {
    std::vector<uint8_t> out;
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * image.bytesPerPixel;
            out.insert(out.end(), {p[0], p[1], p[2], image.bytesPerPixel == 4 ? p[3] : uint8_t{255}});
        }
    return out;
}

bool load(RImage& image, const std::string& path, std::string& out) {
    testing::internal::CaptureStdout();
    const bool ok = image.loadTga(path);
    out = testing::internal::GetCapturedStdout();
    return ok;
}

struct TgaCase {
    const char* what;
    int width, height;
    TgaLayout layout;
    bool magenta;  // put the colour key into two pixels
};

const TgaCase kCases[] = {
    {"24-bit bottom-left, odd width", 7, 5, {24, false, "", false}, false},
    {"24-bit top-left with identification field", 5, 3, {24, true, "written by another tool", false}, false},
    {"32-bit bottom-left with extension area and footer", 3, 4, {32, false, "", true}, false},
    {"32-bit top-left, id, footer, odd size", 9, 3, {32, true, "x", true}, false},
    {"24-bit holding magenta", 4, 3, {24, false, "", true}, true},
    {"24-bit top-left holding magenta", 3, 5, {24, true, "key", false}, true},
    {"one pixel", 1, 1, {24, true, "", false}, false},
};

}  // namespace

TEST(TgaTest, DecodesFilesOfOtherToolsAndMatchesImageMagick) {
    TempDir dir;
    for (const TgaCase& c : kCases) {
        SCOPED_TRACE(c.what);
        TestPicture picture = testPattern(c.width, c.height);
        if (c.magenta) {
            for (uint8_t* p : {picture.at(0, 0), picture.at(c.width - 1, c.height - 1)}) {
                p[0] = 255, p[1] = 0, p[2] = 255;
            }
        }
        const std::string path = (dir / "case.tga").string();
        ASSERT_TRUE(writeTga(path, picture, c.layout));
        RImage image;
        std::string out;
        ASSERT_TRUE(load(image, path, out)) << out;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.topLeftOrigin, c.layout.topLeft);
        EXPECT_EQ(out.find("Inverted tga\n") != std::string::npos, c.layout.topLeft) << out;
        EXPECT_EQ(out.find("create transparence\n") != std::string::npos, c.magenta) << out;

        // The file's first row is the last in memory, a 24-bit picture is
        // keyed only when it holds magenta.
        const int bpp = c.layout.bits == 32 || c.magenta ? 4 : 3;
        const TestPicture expected = c.layout.bits == 32 ? picture : keyed(picture);
        EXPECT_EQ(image.bytesPerPixel, bpp);
        EXPECT_EQ(image.pixels, bottomUp(expected, bpp));

        if (haveImageMagick()) {
            std::vector<uint8_t> magick = magickRgba(path, (dir / "magick.rgba").string());
            if (c.layout.bits == 24) magick = keyed(TestPicture{0, 0, magick}).rgba;  // as loadTga keys
            EXPECT_EQ(topDownRgba(image), magick);
        }
    }
}

TEST(TgaTest, RefusesWhatItCannotDecodeWithALine) {
    TempDir dir;
    const TestPicture picture = testPattern(4, 4);
    struct Bad {
        const char* what;
        TgaLayout layout;
        long cut;  // bytes to keep, -1 all
    } cases[] = {
        {"run-length compressed", {24, false, "", false, 10}, -1},
        {"colour-mapped", {24, false, "", false, 1}, -1},
        {"grey", {24, false, "", false, 3}, -1},
        {"16-bit", {16, false, "", false, 2}, -1},
        {"pixels cut short", {32, false, "", false, 2}, 40},
        {"header cut short", {24, false, "", false, 2}, 10},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = (dir / "bad.tga").string();
        ASSERT_TRUE(writeTga(path, picture, c.layout));
        if (c.cut >= 0) std::filesystem::resize_file(path, static_cast<uintmax_t>(c.cut));
        RImage image;
        std::string out;
        EXPECT_FALSE(load(image, path, out));
        EXPECT_NE(out.find("RImage : " + path + " : "), std::string::npos) << out;
        EXPECT_FALSE(image.error.empty());
        EXPECT_TRUE(image.pixels.empty());
    }
    RImage image;
    std::string out;
    EXPECT_FALSE(load(image, (dir / "absent.tga").string(), out));
    if (haveImageMagick()) {
        const std::string path = (dir / "rle.tga").string();
        ASSERT_EQ(std::system(("convert -size 8x8 xc:orange -compress RLE '" + path + "'").c_str()), 0);
        EXPECT_FALSE(load(image, path, out));
        EXPECT_NE(out.find("not supported"), std::string::npos) << out;
    }
}

TEST(ImageTest, PngAndJpegLoadBottomUpWithTheColourKey) {
    TempDir dir;
    TestPicture picture = testPattern(5, 3);
    const std::string rgba = (dir / "a.png").string(), rgb = (dir / "b.png").string(), jpeg = (dir / "c.jpg").string();
    ASSERT_TRUE(writePng(rgba, picture, true));
    picture.at(1, 1)[0] = 255, picture.at(1, 1)[1] = 0, picture.at(1, 1)[2] = 255;
    ASSERT_TRUE(writePng(rgb, picture, false));

    RImage image;
    ASSERT_TRUE(image.loadFile(rgba));
    EXPECT_EQ(image.bytesPerPixel, 4);
    EXPECT_EQ(image.pixels, bottomUp(testPattern(5, 3), 4));
    ASSERT_TRUE(image.loadFile(rgb));
    EXPECT_EQ(image.bytesPerPixel, 4);  // keyed
    const uint8_t* key = image.pixels.data() + (1 * 5 + 1) * 4;
    EXPECT_EQ(std::vector<uint8_t>(key, key + 4), (std::vector<uint8_t>{64, 64, 64, 0}));

    TestPicture flat{8, 8, {}};
    for (int i = 0; i < 64; ++i) flat.rgba.insert(flat.rgba.end(), {200, 40, 90, 255});
    ASSERT_TRUE(writeJpeg(jpeg, flat));
    ASSERT_TRUE(image.loadFile(jpeg));
    EXPECT_EQ(image.bytesPerPixel, 3);
    ASSERT_EQ(image.pixels.size(), 8u * 8u * 3u);
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
        EXPECT_NEAR(image.pixels[i], 200, 3);
        EXPECT_NEAR(image.pixels[i + 2], 90, 3);
    }

    // Broken files behind the signatures are refused with a line.
    std::ofstream(jpeg, std::ios::binary | std::ios::trunc).write("\xFF\xD8\xFF\x01junk", 8);
    std::filesystem::resize_file(rgb, 30);
    for (const std::string& path : {jpeg, rgb}) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(image.loadFile(path));
        EXPECT_NE(testing::internal::GetCapturedStdout().find("RImage : " + path), std::string::npos);
    }
}
