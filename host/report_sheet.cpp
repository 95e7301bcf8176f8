#include "host/report_sheet.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "host/report_battery.h"

namespace {
// The car's tyre files, front and rear.
const char* const kFrontTyre = "michelin_255_40_ZR_18.vqt";
const char* const kRearTyre = "michelin_345_35_18.vqt";

constexpr double kKwToHp = 1.0 / 0.745699872;

std::string format(double value, int decimals, const std::string& unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s%s", decimals, value, unit.empty() ? "" : " ", unit.c_str());
    return text;
}

std::optional<double> maybe(bool known, double value) { return known ? std::optional<double>(value) : std::nullopt; }
}  // namespace

std::string tyreSizeFromFileName(const std::string& fileName)
{
    const std::string stem = std::filesystem::path(fileName).stem().string();
    std::vector<std::string> parts;
    std::stringstream in(stem);
    for (std::string part; std::getline(in, part, '_');) parts.push_back(part);
    // brand, width, aspect ratio, [construction,] rim diameter
    if (parts.size() < 4 || parts.size() > 5) return fileName;
    const std::string construction = parts.size() == 5 ? parts[3] : "R";
    return parts[1] + "/" + parts[2] + " " + construction + parts.back();
}

ReportSheet::ReportSheet(const ReportResults& r)
{
    const bool engineKnown = r.engine.powerKw > 0;
    section("data sheet");
    figure("mass_kg", r.massKg, "total mass (settled wheel loads)", "kg", 0);
    figure("front_weight_pct", r.frontWeightPct, "weight on the front axle", "%", 1);
    figure("rear_weight_pct", r.frontWeightPct ? std::optional<double>(100.0 - *r.frontWeightPct) : std::nullopt,
           "weight on the rear axle", "%", 1);
    figure("peak_power_kw", maybe(engineKnown, r.engine.powerKw), "peak power", "kW", 0);
    figure("peak_power_hp", maybe(engineKnown, r.engine.powerKw * kKwToHp), "", "hp", 0);
    figure("peak_power_rpm", maybe(engineKnown, r.engine.powerRpm), "  at", "rpm", 0);
    figure("peak_torque_nm", maybe(engineKnown, r.engine.torqueNm), "peak torque", "N m", 0);
    figure("peak_torque_rpm", maybe(engineKnown, r.engine.torqueRpm), "  at", "rpm", 0);
    figure("rev_limit_rpm", r.revLimitRpm, "rev limit (full throttle in 4th)", "rpm", 0);
    for (const GearFigure& g : r.gears) {
        const std::string n = std::to_string(g.gear);
        field("gear_" + n + "_ratio", g.ratio);
        field("gear_" + n + "_kmh_at_limit", g.kmhAtLimit);
        row("gear " + n + ", engine : rear wheels", format(g.ratio, 2, ": 1") + ", " + format(g.kmhAtLimit, 0, "km/h"));
    }
    for (auto [axle, file, radius] : {std::tuple{"front", kFrontTyre, r.frontRollingRadiusM},
                                      std::tuple{"rear", kRearTyre, r.rearRollingRadiusM}}) {
        const std::string size = tyreSizeFromFileName(file);
        fields_.push_back({std::string("tyre_") + axle + "_size", "\"" + size + "\""});
        field(std::string("tyre_") + axle + "_rolling_radius_m", radius);
        row(std::string(axle) + " tyres, rolling radius", size + (radius ? ", " + format(*radius, 3, "m") : ""));
    }
    figure("road_load_100kmh_n", r.roadLoad100N, "drag + rolling res. at 100 km/h", "N", 0);
    figure("road_load_200kmh_n", r.roadLoad200N, "drag + rolling res. at 200 km/h", "N", 0);
    figure("lift_100kmh_n", r.lift100N, "lift at 100 km/h (- is down)", "N", 0);
    figure("lift_200kmh_n", r.lift200N, "lift at 200 km/h (- is down)", "N", 0);

    section("test battery");
    figure("zero_100_s", r.zero100S, "0-100 km/h", "s", 2);
    figure("zero_200_s", r.zero200S, "0-200 km/h", "s", 2);
    figure("quarter_mile_s", r.quarterMileS, "quarter mile", "s", 2);
    figure("quarter_mile_kmh", r.quarterMileKmh, "  exit speed", "km/h", 1);
    figure("top_speed_kmh", r.topSpeedKmh, r.topSpeedLevelled ? "top speed" : "top speed (still rising)", "km/h", 1);
    figure("top_speed_99_pct_s", r.topSpeed99S, "  99 % of it after", "s", 1);
    fields_.push_back({"top_speed_levelled", r.topSpeedLevelled ? "true" : "false"});
    figure("brake_100_0_abs_off_m", r.brake100AbsOffM, "100-0 km/h, ABS off", "m", 1);
    figure("brake_100_0_abs_on_m", r.brake100AbsOnM, "100-0 km/h, ABS on", "m", 1);
    figure("brake_200_0_m", r.brake200M, "200-0 km/h, ABS off", "m", 1);
    figure("front_lock_kmh", r.frontLockKmh, "  front wheels lock at (0: never)", "km/h", 0);
    figure("rear_lock_kmh", r.rearLockKmh, "  rear wheels lock at (0: never)", "km/h", 0);
    figure("skidpad_40m_g", r.skidpad40G, "steady cornering, 40 m circle", "g", 2);
    figure("skidpad_100m_g", r.skidpad100G, "steady cornering, 100 m circle", "g", 2);
    figure("lap_s", r.lapS, "lap of the circuit (autopilot)", "s", 2);
}

void ReportSheet::section(const std::string& title) { text_ += title + ":\n"; }

void ReportSheet::row(const std::string& label, const std::string& text)
{
    char line[160];
    std::snprintf(line, sizeof line, "  %-34s %s\n", label.c_str(), text.c_str());
    text_ += line;
}

void ReportSheet::figure(const std::string& key, const std::optional<double>& value, const std::string& label,
                         const std::string& unit, int decimals)
{
    field(key, value);
    const std::string shown = value ? format(*value, decimals, unit) : "not measured";
    if (label.empty() && !text_.empty() && text_.back() == '\n') {
        // Continues the row above: "peak power  408 kW (547 hp)".
        text_.pop_back();
        text_ += " (" + shown + ")\n";
    } else {
        row(label, shown);
    }
}

std::string ReportSheet::text() const { return text_; }

void ReportSheet::field(const std::string& key, const std::optional<double>& value)
{
    char text[64] = "null";
    if (value && std::isfinite(*value)) std::snprintf(text, sizeof text, "%.6g", *value);
    fields_.push_back({key, text});
}

std::string ReportSheet::json() const
{
    std::string out = "{\n";
    for (size_t i = 0; i < fields_.size(); ++i)
        out += "  \"" + fields_[i].key + "\": " + fields_[i].json + (i + 1 < fields_.size() ? ",\n" : "\n");
    return out + "}\n";
}
