#pragma once
// The runs behind vqsim report, one after another in one process, each with a
// fresh load of the car: a standing start on the test strip as vqsim accel
// runs it (with the car's settled weight before it), the rev limit in fourth
// gear, a run to top speed on a long straight through every gear, a coast-down
// from steady speed for the aerodynamic forces, three full stops, steady
// cornering on two circles and a lap of the bundled circuit. It keeps the
// figures and the traces the data sheet's page draws.

#include <optional>
#include <string>
#include <vector>

#include "host/car_run.h"
#include "host/car_run_options.h"
#include "host/report_analysis.h"

struct GearFigure {
    int gear = 0;
    float ratio = 0;        // engine speed over rear-wheel speed
    float kmhAtLimit = 0;   // road speed at the rev limit
};

struct ReportResults {
    // Data sheet.
    std::optional<double> massKg, frontWeightPct;
    EnginePeaks engine;
    std::optional<double> revLimitRpm;
    std::vector<GearFigure> gears;
    std::optional<double> frontRollingRadiusM, rearRollingRadiusM;
    // Road load: aerodynamic drag and rolling resistance with the clutch open,
    // from the deceleration of the car's settled mass. Lift: upwards; negative
    // is downforce.
    std::optional<double> roadLoad100N, roadLoad200N, lift100N, lift200N;
    // Battery.
    std::optional<double> zero100S, zero200S, quarterMileS, quarterMileKmh;
    std::optional<double> topSpeedKmh, topSpeed99S;
    bool topSpeedLevelled = false;
    std::optional<double> brake100AbsOffM, brake100AbsOnM, brake200M;
    std::optional<double> frontLockKmh, rearLockKmh;
    std::optional<double> skidpad40G, skidpad100G;
    std::optional<double> lapS;

    // Traces for the page.
    struct EnginePoint { float rpm, torqueNm, powerKw; };
    std::vector<EnginePoint> engineCurve;
    struct LaunchPoint { float time, kmh; int gear; };
    std::vector<LaunchPoint> launch;  // the top-speed run, from the launch
    struct StopPoint { float time, kmh, decelG; };
    struct Stop { std::string title; std::vector<StopPoint> points; };
    std::vector<Stop> stops;
    struct GPoint { float lateralG, longitudinalG; };
    std::vector<GPoint> lapGG;
};

// Runs the battery in the run directory already entered. Figures a run could
// not give stay empty; returns false when a run could not start or the car
// stayed loaded after one.
bool runReportBattery(const CarRunOptions& options, const CarRunPaths& paths, ReportResults& results);
