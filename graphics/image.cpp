#include "graphics/image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

constexpr int kTgaHeaderBytes = 18;
constexpr int kTgaTrueColour = 2;  // uncompressed, no palette

int le16(const uint8_t* p) { return p[0] | (p[1] << 8); }

// Bytes from the current position to the end of the file; -1 when the
// file cannot be measured.
long remainingBytes(FILE* f) {
    const long here = ftell(f);
    if (here < 0 || fseek(f, 0, SEEK_END) != 0) return -1;
    const long end = ftell(f);
    if (fseek(f, here, SEEK_SET) != 0) return -1;
    return end - here;
}

// Neither deflate nor JPEG packs more than about a thousand decoded bytes
// into one file byte; a header that claims more than this is forged, and
// is refused before any pixel memory is taken.
constexpr int64_t kMaxExpansion = 2048;

bool plausibleSize(const std::string& path, int64_t width, int64_t height, int bpp) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    const int64_t decoded = width * height * bpp;
    return width * height <= RImage::kMaxPixels &&
           decoded <= std::max<int64_t>(static_cast<int64_t>(st.st_size) * kMaxExpansion, 1 << 20);
}

const char* tgaTypeName(int type) {
    switch (type) {
        case 0: return "no image data";
        case 1: return "colour-mapped";
        case 3: return "grey";
        case 9: return "run-length compressed colour-mapped";
        case 10: return "run-length compressed true-colour";
        case 11: return "run-length compressed grey";
        default: return "unknown image type";
    }
}

// libjpeg reports fatal errors through a callback that must not return;
// this one jumps back into loadJpeg with the message kept.
struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    JpegError* e = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, e->message);
    longjmp(e->jump, 1);
}

// Warnings (a truncated stream, say) still give a picture; keep them quiet.
void jpegIgnoreMessage(j_common_ptr, int) {}

}  // namespace

RImage::~RImage() = default;

void RImage::freePixels() {
    pixels.clear();
    pixels.shrink_to_fit();
}

void RImage::notice(const char* text) const {
    if (!quiet) printf("%s", text);
}

bool RImage::fail(const std::string& path, const std::string& why) {
    error = why;
    freePixels();
    width = 0;
    height = 0;
    bytesPerPixel = 0;
    if (!quiet) printf("RImage : %s : %s\n", path.c_str(), why.c_str());
    return false;
}

bool RImage::loadTga(const std::string& path) {
    error.clear();
    fileBits = 0;
    topLeftOrigin = false;
    File f(fopen(path.c_str(), "rb"));
    if (!f) {
        // Not worth a line of its own: the texture loader has checked the
        // name already, and other callers print their own.
        error = "cannot open the file";
        return false;
    }
    uint8_t header[kTgaHeaderBytes];
    if (fread(header, 1, sizeof header, f.get()) != sizeof header) return fail(path, "too short for a TGA header");
    const int idLength = header[0];
    const int colourMapType = header[1];
    const int type = header[2];
    const int colourMapEntries = le16(header + 5);
    const int colourMapBits = header[7];
    const int w = le16(header + 12);
    const int h = le16(header + 14);
    fileBits = header[16];
    const int descriptor = header[17];
    topLeftOrigin = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;

    if (type != kTgaTrueColour) {
        return fail(path, std::string("TGA image type ") + std::to_string(type) + " (" + tgaTypeName(type) +
                              ") is not supported: only uncompressed 24- and 32-bit files");
    }
    if (fileBits != 24 && fileBits != 32) {
        return fail(path, std::to_string(fileBits) + "-bit TGA is not supported: only 24 and 32 bits");
    }
    if (w == 0 || h == 0) return fail(path, "TGA of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    if (static_cast<int64_t>(w) * h > kMaxPixels) return fail(path, "TGA larger than any texture");

    // A true-colour file may still carry a colour map; its entries lie
    // between the identification field and the pixels.
    long skip = idLength;
    if (colourMapType == 1) skip += static_cast<long>(colourMapEntries) * ((colourMapBits + 7) / 8);
    if (fseek(f.get(), kTgaHeaderBytes + skip, SEEK_SET) != 0) return fail(path, "ends inside its header fields");

    const int bpp = fileBits / 8;
    const long rowBytes = static_cast<long>(w) * bpp;
    const long bytes = rowBytes * h;
    const long available = remainingBytes(f.get());
    if (available < bytes) {
        return fail(path, "ends after " + std::to_string(available < 0 ? 0 : available) + " of " +
                              std::to_string(bytes) + " pixel bytes");
    }

    if (topLeftOrigin) notice("Inverted tga\n");
    width = w;
    height = h;
    bytesPerPixel = bpp;
    pixels.assign(static_cast<size_t>(bytes), 0);
    if (fread(pixels.data(), 1, pixels.size(), f.get()) != pixels.size()) return fail(path, "read error");

    // File order B, G, R (, A) becomes R, G, B (, A).
    for (size_t i = 0; i + 2 < pixels.size(); i += static_cast<size_t>(bpp)) std::swap(pixels[i], pixels[i + 2]);

    if (topLeftOrigin) {
        for (int r = 0; r < height / 2; ++r) {
            uint8_t* a = pixels.data() + r * rowBytes;
            uint8_t* b = pixels.data() + (height - 1 - r) * rowBytes;
            std::swap_ranges(a, a + rowBytes, b);
        }
    }
    if (rightToLeft) {
        for (int r = 0; r < height; ++r) {
            uint8_t* row = pixels.data() + r * rowBytes;
            for (int x = 0; x < width / 2; ++x) {
                std::swap_ranges(row + x * bpp, row + (x + 1) * bpp, row + (width - 1 - x) * bpp);
            }
        }
    }

    if (colourKey && applyColourKey()) notice("create transparence\n");
    return true;
}

bool RImage::applyColourKey() {
    if (bytesPerPixel != 3) return false;
    const size_t count = static_cast<size_t>(width) * height;
    bool keyed = false;
    for (size_t i = 0; i < count && !keyed; ++i) {
        const uint8_t* p = pixels.data() + 3 * i;
        keyed = p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
    if (!keyed) return false;
    std::vector<uint8_t> out(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = pixels.data() + 3 * i;
        uint8_t* q = out.data() + 4 * i;
        if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
            q[0] = q[1] = q[2] = 64;
            q[3] = 0;
        } else {
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = 255;
        }
    }
    pixels.swap(out);
    bytesPerPixel = 4;
    return true;
}

bool RImage::loadPng(const std::string& path) {
    error.clear();
    topLeftOrigin = false;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        const std::string why = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return fail(path, why);
    }
    if (!plausibleSize(path, image.width, image.height, 4)) {
        png_image_free(&image);
        return fail(path, "PNG of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                              " pixels: larger than any texture or than its file can hold");
    }
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    fileBits = alpha ? 32 : 24;
    const int bpp = alpha ? 4 : 3;
    const int w = static_cast<int>(image.width);
    const int h = static_cast<int>(image.height);
    pixels.assign(static_cast<size_t>(w) * h * bpp, 0);
    // A negative stride writes the last row first: bottom-up, as a TGA.
    const png_int_32 stride = -static_cast<png_int_32>(w * bpp);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), stride, nullptr)) {
        const std::string why = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return fail(path, why);
    }
    width = w;
    height = h;
    bytesPerPixel = bpp;
    if (colourKey) applyColourKey();
    return true;
}

bool RImage::loadJpeg(const std::string& path) {
    error.clear();
    topLeftOrigin = false;
    File f(fopen(path.c_str(), "rb"));
    if (!f) {
        error = "cannot open the file";
        return false;
    }
    jpeg_decompress_struct info;
    JpegError jerr;
    info.err = jpeg_std_error(&jerr.manager);
    jerr.manager.error_exit = jpegErrorExit;
    jerr.manager.emit_message = jpegIgnoreMessage;
    jerr.message[0] = '\0';
    // Only C frames lie between here and any longjmp; everything this
    // function changes afterwards lives in members or in `info`.
    if (setjmp(jerr.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return fail(path, std::string("JPEG: ") + jerr.message);
    }
    jpeg_create_decompress(&info);
    // Progressive files keep every coefficient in memory; a forged size must
    // end in an error, not in gigabytes.
    info.mem->max_memory_to_use = 256L * 1024 * 1024;
    jpeg_stdio_src(&info, f.get());
    jpeg_read_header(&info, TRUE);
    if (!plausibleSize(path, info.image_width, info.image_height, 3)) {
        const std::string why = "JPEG of " + std::to_string(info.image_width) + " x " +
                                std::to_string(info.image_height) +
                                " pixels: larger than any texture or than its file can hold";
        jpeg_destroy_decompress(&info);
        return fail(path, why);
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return fail(path, "JPEG does not decode to RGB");
    }
    const int w = static_cast<int>(info.output_width);
    const int h = static_cast<int>(info.output_height);
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    pixels.assign(rowBytes * h, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + (h - 1 - static_cast<int>(info.output_scanline)) * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    width = w;
    height = h;
    bytesPerPixel = 3;
    fileBits = 24;
    if (colourKey) applyColourKey();
    return true;
}

bool RImage::loadFile(const std::string& path) {
    uint8_t magic[8] = {};
    size_t got = 0;
    {
        File f(fopen(path.c_str(), "rb"));
        if (!f) {
            error = "cannot open the file";
            return false;
        }
        got = fread(magic, 1, sizeof magic, f.get());
    }
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got == 8 && memcmp(magic, kPng, 8) == 0) return loadPng(path);
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return loadJpeg(path);
    return loadTga(path);
}
