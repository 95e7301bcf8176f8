// vqsim report: the arithmetic of its data sheet on traces worked out by
// hand, and its figures against the single-scenario commands.

#include <cmath>
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include "chassis/curve.h"
#include "host/report_analysis.h"
#include "support/run_vqsim.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
// The number after `label` in printed output, NaN when missing.
double printedNumber(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? std::nan("") : std::stod(text.substr(at + label.size()));
}
}  // namespace

TEST(ReportAnalysis, EnginePeaksOfACurveWorkedOutByHand) {
    // Torque rises linearly to 400 N m at 4000 rpm, then falls to 200 at 8000:
    // T = 600 - 0.05 n there, so the power n T peaks where 600 = 0.1 n, at
    // 6000 rpm: 300 N m x 628.3 rad/s = 188.5 kW.
    CCurve torque;
    torque.addValue(0, 0);
    torque.addValue(4000, 400);
    torque.addValue(8000, 200);
    const EnginePeaks peaks = enginePeaks(torque, 8000);
    EXPECT_FLOAT_EQ(peaks.torqueNm, 400);
    EXPECT_FLOAT_EQ(peaks.torqueRpm, 4000);
    EXPECT_NEAR(peaks.powerKw, 188.5, 0.05);
    EXPECT_FLOAT_EQ(peaks.powerRpm, 6000);
    // Below the peak's speed the limit decides: at 5000 rpm, 350 N m.
    EXPECT_NEAR(enginePeaks(torque, 5000).powerKw, 350 * 5000 * M_PI / 30 / 1000, 0.05);
}

TEST(ReportAnalysis, TopSpeedPlateauOnSyntheticRuns) {
    // v = 300 (1 - exp(-t / 20)) km/h: 99 % of the top after 20 ln 100 = 92.1 s,
    // and after 200 s it gains 0.005 km/h in 5 s: levelled off.
    std::vector<SpeedSample> levelling, rising;
    for (int i = 0; i <= 2000; ++i) {
        const float t = 0.1f * i;
        levelling.push_back({t, 300.0f * (1.0f - std::exp(-t / 20.0f))});
        rising.push_back({t, 2.0f * t});
    }
    const TopSpeed top = topSpeed(levelling, 5.0f, 0.3f);
    EXPECT_NEAR(top.kmh, 300.0, 0.02);
    EXPECT_NEAR(top.timeTo99, 92.1, 0.15);
    EXPECT_TRUE(top.levelled);
    // The same curve cut at 60 s still gains 3.4 km/h in its last 5 s.
    EXPECT_FALSE(onPlateau({levelling.begin(), levelling.begin() + 601}, 5.0f, 0.3f));
    EXPECT_FALSE(topSpeed(rising, 5.0f, 0.3f).levelled);
    EXPECT_FALSE(onPlateau({{0, 100}, {4, 100}}, 5.0f, 0.3f));  // shorter than the window
}

TEST(ReportAnalysis, FirstLockOfEachAxleOnASyntheticStop) {
    // A stop from 200 km/h in 1 km/h steps: the front left wheel reaches a
    // slip ratio of -0.9 at 150 km/h, the rear right only -0.89 at 60 km/h.
    std::vector<StopSample> stop;
    for (int kmh = 200; kmh >= 0; --kmh) {
        StopSample s{float(kmh), {-0.05f, -0.05f, -0.04f, -0.04f}};
        if (kmh <= 150) s.slipRatio[0] = -0.9f;
        if (kmh <= 60) s.slipRatio[3] = -0.89f;
        stop.push_back(s);
    }
    EXPECT_FLOAT_EQ(firstLockKmh(stop, 0), 150.0f);
    EXPECT_FLOAT_EQ(firstLockKmh(stop, 1), 0.0f);
    for (StopSample& s : stop)
        if (s.speedKmh <= 40) s.slipRatio[3] = -1.0f;
    EXPECT_FLOAT_EQ(firstLockKmh(stop, 1), 40.0f);
}

TEST(Report, FiguresAgreeWithTheScenarioCommandsAndTheJsonHasEveryKey) {
    TempDir dir;
    const std::string common = " --quiet --run-dir " + (dir / "run").string() + " --data " SOLVI_DATA_DIR;
    const VqsimResult report =
        runVqsim("report --out " + (dir / "R").string() + " --run-dir " + (dir / "run").string() +
                 " --data " SOLVI_DATA_DIR);
    ASSERT_EQ(report.exitCode, 0) << report.output;
    const std::string json = fileText(dir / "R/report.json");
    for (const char* key :
         {"mass_kg", "front_weight_pct", "peak_power_kw", "peak_power_hp", "peak_power_rpm", "peak_torque_nm",
          "peak_torque_rpm", "rev_limit_rpm", "gear_1_ratio", "gear_6_kmh_at_limit",
          "tyre_rear_rolling_radius_m", "road_load_100kmh_n", "road_load_200kmh_n", "lift_100kmh_n", "lift_200kmh_n",
          "zero_100_s", "zero_200_s", "quarter_mile_s", "quarter_mile_kmh", "top_speed_kmh", "top_speed_99_pct_s",
          "brake_100_0_abs_off_m", "brake_100_0_abs_on_m", "brake_200_0_m", "front_lock_kmh", "rear_lock_kmh",
          "skidpad_40m_g", "skidpad_100m_g", "lap_s"})
        EXPECT_TRUE(std::isfinite(jsonNumber(json, key))) << key << json;
    EXPECT_TRUE(contains(json, "\"tyre_front_size\": \"255/40 ZR18\"")) << json;
    // Figures of a 1250 kg, 750 N m, rear-driven sports car on road tyres.
    for (const auto& [key, low, high] : {std::tuple{"zero_100_s", 3.0, 6.0},
                                         std::tuple{"brake_100_0_abs_off_m", 30.0, 45.0},
                                         std::tuple{"skidpad_40m_g", 0.9, 1.2}}) {
        EXPECT_GE(jsonNumber(json, key), low) << key;
        EXPECT_LE(jsonNumber(json, key), high) << key;
    }
    std::ifstream png(dir / "R/report.png", std::ios::binary);
    char head[24] = {};
    png.read(head, sizeof head);
    EXPECT_EQ(std::string(head + 1, 3), "PNG");
    const auto be32 = [&](int at) {
        return (uint8_t(head[at]) << 24) | (uint8_t(head[at + 1]) << 16) | (uint8_t(head[at + 2]) << 8) |
               uint8_t(head[at + 3]);
    };
    EXPECT_GE(be32(16), 1000u);  // width and height from the PNG header
    EXPECT_GE(be32(20), 700u);

    // The same car and drivers in the scenario commands give the same figures.
    const VqsimResult accel = runVqsim("accel" + common);
    EXPECT_NEAR(jsonNumber(json, "zero_100_s"), printedNumber(accel.output, "0-100 km/h"), 0.01) << accel.output;
    EXPECT_NEAR(jsonNumber(json, "quarter_mile_s"), printedNumber(accel.output, "quarter mile"), 0.01);
    const VqsimResult brake = runVqsim("brake --abs on --summary " + (dir / "b.json").string() + common);
    EXPECT_TRUE(contains(brake.output, "car: ABS: ON")) << brake.output;
    EXPECT_NEAR(jsonNumber(json, "brake_100_0_abs_on_m"), jsonNumber(fileText(dir / "b.json"), "brake_100_0_m"), 0.05);
    runVqsim("skidpad --summary " + (dir / "s.json").string() + common);
    EXPECT_NEAR(jsonNumber(json, "skidpad_40m_g"), jsonNumber(fileText(dir / "s.json"), "skidpad_g"), 0.005);
}
