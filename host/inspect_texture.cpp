#include "host/inspect_texture.h"

#include <zlib.h>

#include "graphics/image.h"

namespace {

// The loaded picture as the report shows it. The image is read quietly:
// its notices would land in the middle of the JSON on standard output.
void describe(const RImage& image, InspectReport& report) {
    report.integer("width", image.width);
    report.integer("height", image.height);
    report.integer("bits", image.fileBits);
    report.flag("top_left_origin", image.topLeftOrigin);
    report.integer("pixel_kind", image.bytesPerPixel);
    report.flag("colour_keyed", image.bytesPerPixel == 4 && image.fileBits == 24);
    // Bottom-up rows, R, G, B (, A): the bytes the texture loader works on.
    uLong crc = crc32(0L, Z_NULL, 0);
    const uint8_t* p = image.pixels.data();
    size_t left = image.pixels.size();
    while (left > 0) {
        const uInt chunk = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
        crc = crc32(crc, p, chunk);
        p += chunk;
        left -= chunk;
    }
    report.integer("pixels_crc32", static_cast<long long>(crc));
    report.integer("pixel_bytes", static_cast<long long>(image.pixels.size()));
}

}  // namespace

bool inspectTga(const std::string& path, InspectReport& report, std::string& error) {
    RImage image;
    image.quiet = true;
    if (!image.loadTga(path)) {
        error = path + ": " + image.error;
        return false;
    }
    report.text("kind", "TGA image");
    describe(image, report);
    return true;
}

bool inspectPicture(const std::string& path, InspectReport& report, std::string& error) {
    RImage image;
    image.quiet = true;
    if (!image.loadFile(path)) {
        error = path + ": " + image.error;
        return false;
    }
    report.text("kind", "picture");
    describe(image, report);
    return true;
}
