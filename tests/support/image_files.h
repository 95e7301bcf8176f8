#pragma once
// Small picture files written at test time: TGA files as other tools write
// them (identification field, extension area and footer, either origin),
// PNG through libpng and JPEG through libjpeg. Pictures are given top row
// first, 4 bytes per pixel (R, G, B, A).

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

struct TestPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first
    uint8_t* at(int x, int y) { return rgba.data() + 4 * (static_cast<size_t>(y) * width + x); }
};

// A pattern with every channel varying, no magenta, alpha from 30 up.
inline TestPicture testPattern(int w, int h) {
    TestPicture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* q = p.at(x, y);
            q[0] = static_cast<uint8_t>(x * 37 + y * 11);
            q[1] = static_cast<uint8_t>(x * 5 + y * 53 + 7);
            q[2] = static_cast<uint8_t>(x * 91 + y * 3 + 100);
            q[3] = static_cast<uint8_t>(30 + (x * 17 + y * 29) % 220);
        }
    return p;
}

struct TgaLayout {
    int bits = 24;
    bool topLeft = false;
    std::string id;         // identification field
    bool footer = false;    // extension area and TGA 2.0 footer after the pixels
    int type = 2;           // 2 uncompressed true colour
};

inline bool writeTga(const std::string& path, const TestPicture& p, const TgaLayout& layout) {
    std::vector<uint8_t> b(18, 0);
    b[0] = static_cast<uint8_t>(layout.id.size());
    b[2] = static_cast<uint8_t>(layout.type);
    b[12] = static_cast<uint8_t>(p.width);
    b[13] = static_cast<uint8_t>(p.width >> 8);
    b[14] = static_cast<uint8_t>(p.height);
    b[15] = static_cast<uint8_t>(p.height >> 8);
    b[16] = static_cast<uint8_t>(layout.bits);
    b[17] = static_cast<uint8_t>((layout.bits == 32 ? 8 : 0) | (layout.topLeft ? 0x20 : 0));
    b.insert(b.end(), layout.id.begin(), layout.id.end());
    const int bpp = layout.bits / 8;
    for (int r = 0; r < p.height; ++r) {
        const int y = layout.topLeft ? r : p.height - 1 - r;
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* q = p.rgba.data() + 4 * (static_cast<size_t>(y) * p.width + x);
            const uint8_t px[4] = {q[2], q[1], q[0], q[3]};
            b.insert(b.end(), px, px + bpp);
        }
    }
    if (layout.footer) {
        const size_t extension = b.size();
        std::vector<uint8_t> ext(495, 0);
        ext[0] = 0xEF;  // its own size, 495
        ext[1] = 0x01;
        b.insert(b.end(), ext.begin(), ext.end());
        const uint8_t offset[4] = {static_cast<uint8_t>(extension), static_cast<uint8_t>(extension >> 8),
                                   static_cast<uint8_t>(extension >> 16), 0};
        b.insert(b.end(), offset, offset + 4);
        b.insert(b.end(), 4, 0);  // no developer area
        const char signature[] = "TRUEVISION-XFILE.";
        b.insert(b.end(), signature, signature + sizeof signature);  // with its closing zero
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}

inline bool writePng(const std::string& path, const TestPicture& p, bool alpha) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(p.width);
    image.height = static_cast<png_uint_32>(p.height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::vector<uint8_t> data;
    for (size_t i = 0; i < p.rgba.size(); i += 4) data.insert(data.end(), &p.rgba[i], &p.rgba[i] + (alpha ? 4 : 3));
    return png_image_write_to_file(&image, path.c_str(), 0, data.data(), 0, nullptr) != 0;
}

inline bool writeJpeg(const std::string& path, const TestPicture& p) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = static_cast<JDIMENSION>(p.width);
    info.image_height = static_cast<JDIMENSION>(p.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(p.width) * 3);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < 3; ++c) row[3 * x + c] = p.rgba[4 * (static_cast<size_t>(y) * p.width + x) + c];
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return fclose(f) == 0;
}

// The colour-key step on a 24-bit picture: magenta becomes (64, 64, 64, 0),
// everything else opaque.
inline TestPicture keyed(TestPicture p) {
    for (size_t i = 0; i < p.rgba.size(); i += 4) {
        const bool key = p.rgba[i] == 255 && p.rgba[i + 1] == 0 && p.rgba[i + 2] == 255;
        if (key) p.rgba[i] = p.rgba[i + 1] = p.rgba[i + 2] = 64;
        p.rgba[i + 3] = key ? 0 : 255;
    }
    return p;
}

// What loadTga should leave for a picture: bottom-up rows, 3 or 4 bytes.
inline std::vector<uint8_t> bottomUp(const TestPicture& p, int bpp) {
    std::vector<uint8_t> out;
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* q = p.rgba.data() + 4 * (static_cast<size_t>(y) * p.width + x);
            out.insert(out.end(), q, q + bpp);
        }
    return out;
}
