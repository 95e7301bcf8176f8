#include "host/inspect_replay.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "car/replay.h"
#include "services/lap_timer.h"
#include "services/setup_store.h"

namespace {

std::vector<uint8_t> readAll(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
float f32(const uint8_t* p)
{
    const uint32_t bits = u32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string textField(const uint8_t* field, std::size_t size)
{
    const void* zero = std::memchr(field, 0, size);
    const std::size_t n = zero ? static_cast<std::size_t>(static_cast<const uint8_t*>(zero) - field) : size;
    return std::string(reinterpret_cast<const char*>(field), n);
}

// Header fields of the replay file: offset and size of each text, then the
// four 32-bit numbers.
struct TextField {
    const char* key;
    std::size_t at, size;
};
constexpr std::size_t kNameSize = 128;  // the first two texts as "%s[%s]"
constexpr TextField kTexts[] = {{"text_3", 128, 128}, {"text_4", 256, 50}, {"text_5", 306, 50}};
constexpr std::size_t kVersionAt = 356, kRateAt = 360, kCountAt = 364;

double seconds(uint32_t ms) { return ms / 1000.0; }

}  // namespace

bool inspectReplay(const std::string& path, InspectReport& report, std::string& error)
{
    bool ok = false;
    const std::vector<uint8_t> bytes = readAll(path, ok);
    if (!ok) return error = "cannot open " + path, false;
    if (bytes.size() < CReplay::kHeaderBytes)
        return error = path + " holds " + std::to_string(bytes.size()) + " bytes, too few for a replay header (" +
                       std::to_string(CReplay::kHeaderBytes) + ")",
               false;
    report.text("kind", "replay");
    report.integer("bytes", static_cast<long long>(bytes.size()));
    const std::string name = textField(bytes.data(), kNameSize);
    const std::size_t open = name.rfind('[');
    const bool split = !name.empty() && name.back() == ']' && open != std::string::npos;
    report.text("text_1", split ? name.substr(0, open) : name);
    report.text("text_2", split ? name.substr(open + 1, name.size() - open - 2) : "");
    for (const TextField& t : kTexts) report.text(t.key, textField(bytes.data() + t.at, t.size));
    const int32_t version = static_cast<int32_t>(u32(&bytes[kVersionAt]));
    const int32_t rate = static_cast<int32_t>(u32(&bytes[kRateAt]));
    const int32_t count = static_cast<int32_t>(u32(&bytes[kCountAt]));
    report.integer("version", version);
    report.integer("frames_per_second", rate);
    report.integer("frames_counted", count);
    if (version != CReplay::kVersion || rate != CReplay::kFramesPerSecond)
        report.problem("version " + std::to_string(version) + " at " + std::to_string(rate) +
                       " frames a second, the car writes " + std::to_string(CReplay::kVersion) + " at " +
                       std::to_string(CReplay::kFramesPerSecond));

    // The frames, each read whole before it counts; lap times carried from
    // frame to frame as the car's playback does.
    std::size_t at = CReplay::kHeaderBytes;
    int frames = 0, framesWithOthers = 0, maxOthers = 0;
    uint32_t best = CLapTimer::kNoTime;
    int lastLapCount = -1;
    std::vector<InspectReport> laps;
    while (frames < count && at + CReplayFrame::kFixedBytes + 1 <= bytes.size()) {
        CReplayFrame frame;
        frame.readFixed(&bytes[at]);
        const std::size_t others = bytes[at + CReplayFrame::kFixedBytes];
        const std::size_t size = CReplayFrame::kFixedBytes + 1 + others * CReplayFrame::kOtherBytes +
                                 (frame.hasLapTimes ? CReplayFrame::kLapTimeBytes : 0);
        if (at + size > bytes.size()) break;
        if (frame.hasLapTimes) {
            const uint8_t* times = &bytes[at + size - CReplayFrame::kLapTimeBytes];
            const uint32_t lastLap = u32(times + 4);
            best = u32(times + 8);
            if (lastLapCount >= 0 && static_cast<uint8_t>(frame.lapCount) == static_cast<uint8_t>(lastLapCount + 1)) {
                InspectReport lap;
                lap.integer("lap", static_cast<long long>(laps.size() + 1));
                lap.number("time_s", seconds(lastLap));
                lap.integer("frame", frames);
                laps.push_back(lap);
            }
            lastLapCount = frame.lapCount;
        }
        if (others) ++framesWithOthers;
        if (static_cast<int>(others) > maxOthers) maxOthers = static_cast<int>(others);
        at += size;
        ++frames;
    }
    report.integer("frames", frames);
    report.number("duration_s", frames * (CReplay::kFrameMs / 1000.0));
    report.list("laps", laps);
    if (best != CLapTimer::kNoTime && best != 0)
        report.number("best_lap_s", seconds(best));
    else
        report.text("best_lap_s", "none");
    report.integer("frames_with_other_cars", framesWithOthers);
    report.integer("most_other_cars_in_a_frame", maxOthers);
    if (frames < count)
        report.problem("the file ends after " + std::to_string(frames) + " of its " + std::to_string(count) +
                       " frames");
    else if (at < bytes.size())
        report.problem(std::to_string(bytes.size() - at) + " bytes after the last frame");
    return true;
}

namespace {

// The fields of a setup in file order (after the 666 marker of the current
// layout): name, how many values, integer or float.
struct SetupField {
    const char* key;
    int count;
    bool integer;
};
constexpr SetupField kSetupFields[] = {
    {"brake_bias_percent", 1, false}, {"disc_diameters_m", 4, false}, {"extension_settings", 4, true},
    {"compression_settings", 4, true}, {"value_c", 1, true},          {"gear_count", 1, true},
    {"gear_ratios", 8, false},        {"pad_friction", 4, false},     {"value_a", 1, true},
    {"value_b", 1, true},             {"steering_ratio", 1, true},    {"spring_rates_n_per_m", 4, false},
    {"anti_roll_front", 1, false},    {"anti_roll_rear", 1, false},   {"extra_values", 8, false},
    {"flag_a", 1, true},              {"final_drive", 1, false},
};

}  // namespace

bool inspectSetup(const std::string& path, InspectReport& report, std::string& error)
{
    bool ok = false;
    const std::vector<uint8_t> bytes = readAll(path, ok);
    if (!ok) return error = "cannot open " + path, false;
    report.integer("bytes", static_cast<long long>(bytes.size()));
    if (bytes.size() == 8) {
        report.text("kind", "the car's own setup record (an integer and a float)");
        report.integer("int_value", static_cast<int32_t>(u32(bytes.data())));
        report.number("float_value", f32(bytes.data() + 4));
        return true;
    }
    const bool current = bytes.size() >= 4 && static_cast<int32_t>(u32(bytes.data())) == CSetupStore::kCurrentVersion;
    const std::size_t needed = current ? CSetupStore::kCurrentLayoutBytes : CSetupStore::kOlderLayoutBytes;
    if (bytes.size() < needed)
        return error = path + " holds " + std::to_string(bytes.size()) + " bytes; " +
                       (current ? "the current setup layout (marked 666)" : "the older setup layout") + " needs " +
                       std::to_string(needed) + " (the car's own record is 8)",
               false;
    report.text("kind", "setup");
    report.text("layout", current ? "current, 192 bytes, marked 666" : "older, 184 bytes, no marker");
    const uint8_t* p = bytes.data();
    if (current) {
        report.integer("version", CSetupStore::kCurrentVersion);
        p += 4;
    }
    for (const SetupField& field : kSetupFields) {
        for (int i = 0; i < field.count; ++i, p += 4) {
            const std::string key = field.count == 1 ? field.key : std::string(field.key) + "[" + std::to_string(i) + "]";
            if (field.integer)
                report.integer(key, static_cast<int32_t>(u32(p)));
            else
                report.number(key, f32(p));
        }
    }
    if (current) report.integer("shift_speed", static_cast<int32_t>(u32(p)));
    if (bytes.size() > needed) report.problem(std::to_string(bytes.size() - needed) + " bytes after the setup");
    return true;
}
