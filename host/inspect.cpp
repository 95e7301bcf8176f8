#include "host/inspect.h"

#include <cmath>
#include <cstdio>

#include "host/inspect_model.h"
#include "host/inspect_replay.h"
#include "host/inspect_texture.h"

namespace {
std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\u%04x", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string pad(int n) { return std::string(static_cast<size_t>(n), ' '); }
}  // namespace

void InspectReport::number(const std::string& key, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    const std::string json = std::isfinite(value) ? text : "null";
    entries_.push_back({key, json, text, {}, false});
}

void InspectReport::integer(const std::string& key, long long value)
{
    const std::string text = std::to_string(value);
    entries_.push_back({key, text, text, {}, false});
}

void InspectReport::text(const std::string& key, const std::string& value)
{
    entries_.push_back({key, jsonString(value), value, {}, false});
}

void InspectReport::flag(const std::string& key, bool value)
{
    entries_.push_back({key, value ? "true" : "false", value ? "yes" : "no", {}, false});
}

void InspectReport::list(const std::string& key, const std::vector<InspectReport>& items)
{
    entries_.push_back({key, "", "", items, true});
}

std::string InspectReport::toJson(int indent) const
{
    std::string out = "{\n";
    const std::string inner = pad(indent + 2);
    bool first = true;
    auto comma = [&] {
        if (!first) out += ",\n";
        first = false;
    };
    for (const Entry& e : entries_) {
        comma();
        out += inner + jsonString(e.key) + ": ";
        if (!e.isList) {
            out += e.json;
            continue;
        }
        out += "[";
        for (size_t i = 0; i < e.items.size(); ++i) {
            out += (i ? ",\n" : "\n") + pad(indent + 4) + e.items[i].toJson(indent + 4);
        }
        out += e.items.empty() ? "]" : "\n" + inner + "]";
    }
    if (!problems_.empty()) {
        comma();
        out += inner + "\"problems\": [";
        for (size_t i = 0; i < problems_.size(); ++i) out += (i ? ", " : "") + jsonString(problems_[i]);
        out += "]";
    }
    return out + "\n" + pad(indent) + "}";
}

std::string InspectReport::toText(int indent) const
{
    std::string out;
    for (const Entry& e : entries_) {
        if (!e.isList) {
            out += pad(indent) + e.key + ": " + e.plain + "\n";
            continue;
        }
        out += pad(indent) + e.key + " (" + std::to_string(e.items.size()) + "):\n";
        for (size_t i = 0; i < e.items.size(); ++i) {
            out += pad(indent + 2) + "[" + std::to_string(i) + "]\n" + e.items[i].toText(indent + 4);
        }
    }
    for (const std::string& p : problems_) out += pad(indent) + "problem: " + p + "\n";
    return out;
}

const std::vector<InspectKind>& inspectKinds()
{
    static const std::vector<InspectKind> kinds = {
        {".ase", "ASE model: frames, meshes (corners, unique vertices, triangles), materials, textures", inspectModel},
        {".vqo", "model file: frames, meshes (corners, unique vertices, triangles), materials, textures", inspectModel},
        {".tga", "TGA image: size, bits, origin, pixel kind, CRC-32 of the decoded pixels", inspectTga},
        {".png", "PNG texture: size, pixel kind, CRC-32 of the decoded pixels", inspectPicture},
        {".jpg", "JPEG texture: size, pixel kind, CRC-32 of the decoded pixels", inspectPicture},
        {".replay", "replay, also a file named \"cr\" as the car writes it: header texts, frames, duration,\n"
                    "           lap times, other cars", inspectReplay},
        {".vqs", "setup, also any file in a \"setups\" folder: the car's 8-byte record (its two values)\n"
                 "           or a 184/192-byte setup with its layout and every field", inspectSetup},
    };
    return kinds;
}
