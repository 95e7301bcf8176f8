#include "host/report_battery.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

#include "car/icar.h"
#include "chassis/curve.h"
#include "host/autopilot.h"
#include "host/car_console.h"
#include "host/drive_session.h"
#include "host/scenario_drivers.h"

namespace {
constexpr float kG = 9.8f;
constexpr float kRpmToRadS = 3.14159265f / 30.0f;
constexpr float kSampleEvery = 1.0f / 30.0f;  // s between the samples of a trace
constexpr float kTopSpeedStrip = 12000.0f;    // m: the car still gains above 350 km/h at 3 km
constexpr float kCoastStrip = 6000.0f;        // m: up to 210 km/h, then coasting to 90 km/h

// One run of the battery: a fresh car on the settings' track, the driver
// made for that track, and `frame` seeing the session, the driver and the
// state after every physics frame until it says the run is done.
template <class MakeDriver, class Frame>
bool runOne(const char* what, const CarRunOptions& options, const CarRunPaths& paths, DriveSettings settings,
            MakeDriver makeDriver, Frame frame)
{
    hostPrintf("vqsim: report: %s\n", what);
    settings.progressEvery = 0;
    DriveSession session(options, paths, settings);
    if (!session.start()) return false;
    auto driver = makeDriver(session.track());
    session.run(*driver, [&](const CarState& state) { return frame(session, *driver, state); });
    return session.finish();
}

// Takes a sample at the first frame at or after each further kSampleEvery
// seconds of simulated time.
struct Sampler {
    std::optional<float> last;
    bool due(float time)
    {
        if (last && time + 1e-6f < *last + kSampleEvery) return false;
        last = time;
        return true;
    }
};

struct Loads {
    float front = 0, total = 0;
};
Loads wheelLoads(ICar& car)
{
    Loads loads;
    for (int i = 0; i < 4; ++i) {
        WheelInfo w;
        car.getWheelInfo(i, w);
        loads.total += w.load;
        if (i < 2) loads.front += w.load;
    }
    return loads;
}

void wheelSpeeds(ICar& car, float& front, float& rear)
{
    WheelInfo w[4];
    for (int i = 0; i < 4; ++i) car.getWheelInfo(i, w[i]);
    front = 0.5f * (std::fabs(w[0].angularSpeed) + std::fabs(w[1].angularSpeed));
    rear = 0.5f * (std::fabs(w[2].angularSpeed) + std::fabs(w[3].angularSpeed));
}

// A standing start to 210 km/h, two seconds held there, then the clutch held
// open (the shift-down button held) and the throttle closed until the car
// has rolled down to 90 km/h.
class CoastDownDriver : public AccelDriver {
public:
    using AccelDriver::AccelDriver;
    void drive(const CarState& car, float, DriverInputs& inputs) override
    {
        if (!holdSince && car.speed * 3.6f >= kFrom) holdSince = car.time;
        if (!holdSince) return launch(car, inputs);
        inputs = DriverInputs{};
        holdLine(car, inputs);
        if (car.time - *holdSince < 2.0f) {
            inputs.throttle = std::clamp(0.6f + 0.3f * (kFrom / 3.6f - car.speed), 0.0f, 1.0f);
            return;
        }
        if (!coastSince) coastSince = car.time;
        inputs.shiftDown = true;
    }
    bool finished(const CarState& car) const { return coastSince && car.speed * 3.6f < 90.0f; }

    static constexpr float kFrom = 210.0f;  // km/h
    std::optional<float> holdSince, coastSince;
};

// Through the gears one by one: in each, full throttle up to 3000 rpm, then
// that speed held with a light throttle for a second and a half, the last
// second of which is for measuring; then the next gear.
class GearCruiseDriver : public AccelDriver {
public:
    using AccelDriver::AccelDriver;
    void drive(const CarState& car, float, DriverInputs& inputs) override
    {
        inputs = DriverInputs{};
        measuring = false;
        if (car.time < settings_.startDelay || done) return;
        holdLine(car, inputs);
        const int current = gearNumber(car.gear);
        if (car.time - lastShift_ < settings_.liftDuringShift + 0.3f) return;
        if (current < gear) {
            inputs.shiftUp = true;
            lastShift_ = car.time;
            return;
        }
        // Off the line the clutch slips: the car must be rolling first.
        if (!cruiseSince && car.rpm >= kCruiseRpm && car.speed > 5.0f) cruiseSince = car.time, cruiseSpeed = car.speed;
        if (!cruiseSince) {
            inputs.throttle = 1.0f;
            return;
        }
        inputs.throttle = std::clamp(0.4f + 0.2f * (cruiseSpeed - car.speed), 0.0f, 1.0f);
        const float cruising = car.time - *cruiseSince;
        measuring = cruising >= 0.5f;
        if (cruising < 1.5f) return;
        cruiseSince.reset();
        if (gear == settings_.topGear) done = true;
        else ++gear;
    }

    static constexpr int kCruiseRpm = 3000;
    int gear = 1;            // the gear being measured
    bool measuring = false;  // this frame's engine and wheel speeds count
    bool done = false;
    std::optional<float> cruiseSince;
    float cruiseSpeed = 0;
};

// The rev limit: in a gear at full throttle the engine runs into its limiter
// and hovers there, a few per cent below it after each cut. The highest engine
// speed lies within one step's rise of the limit (a rpm or so in fourth
// gear), taken over the last `settled` samples; an engine that did not hover
// over those did not reach it.
std::optional<double> revLimit(const std::vector<int>& rpm, size_t settled)
{
    if (rpm.size() < settled) return std::nullopt;
    const auto [low, top] = std::minmax_element(rpm.end() - settled, rpm.end());
    if (*low < 0.95 * *top) return std::nullopt;
    return *top;
}

// A stop: from the brake's first frame, the speed at each sample and every
// frame's wheel slips.
struct StopRecord {
    std::vector<SpeedSample> speeds;
    std::vector<StopSample> wheels;
};

bool runStop(const char* what, const CarRunOptions& options, const CarRunPaths& paths, bool abs, float fromKmh,
             std::optional<double>& distance, StopRecord& record)
{
    DriveSettings settings;
    settings.track = kStripTrack;
    settings.abs = abs;
    Sampler sampler;
    return runOne(what, options, paths, settings,
                  [&](const Track& track) {
                      auto driver = std::make_unique<BrakeDriver>(track);
                      driver->brakeFromKmh = fromKmh;
                      return driver;
                  },
                  [&](DriveSession& session, BrakeDriver& driver, const CarState& state) {
                      if (driver.brakeStartTime && !driver.stopDistance) {
                          StopSample s{state.speed * 3.6f, {}};
                          for (int i = 0; i < 4; ++i) {
                              WheelInfo w;
                              session.car()->getWheelInfo(i, w);
                              s.slipRatio[i] = w.slipRatio;
                          }
                          record.wheels.push_back(s);
                          if (sampler.due(state.time - *driver.brakeStartTime))
                              record.speeds.push_back({state.time - *driver.brakeStartTime, state.speed * 3.6f});
                      }
                      if (driver.stopDistance) distance = *driver.stopDistance;
                      return driver.stopDistance.has_value() || state.time >= 90.0f;
                  });
}

// Deceleration in g over the samples of a stop, by central differences.
ReportResults::Stop stopTrace(const std::string& title, const std::vector<SpeedSample>& speeds)
{
    ReportResults::Stop stop{title, {}};
    for (size_t k = 1; k + 1 < speeds.size(); ++k) {
        const float dv = (speeds[k + 1].speedKmh - speeds[k - 1].speedKmh) / 3.6f;
        const float dt = speeds[k + 1].time - speeds[k - 1].time;
        stop.points.push_back({speeds[k].time, speeds[k].speedKmh, -dv / dt / kG});
    }
    return stop;
}

bool runSkidpad(const CarRunOptions& options, const CarRunPaths& paths, float radius, float limit,
                std::optional<double>& g)
{
    DriveSettings settings;
    settings.track = kSkidpadTrack;
    settings.circleRadius = radius;
    const std::string what = "steady cornering on a " + std::to_string(static_cast<int>(radius)) + " m circle";
    return runOne(what.c_str(), options, paths, settings,
                  [&](const Track& track) { return std::make_unique<SkidpadDriver>(track, radius); },
                  [&](DriveSession&, SkidpadDriver& driver, const CarState& state) {
                      const bool done = driver.finished() || state.time >= limit;
                      if (done && driver.heldSpeed > 0) g = driver.lateralG();
                      return done;
                  });
}
}  // namespace

bool runReportBattery(const CarRunOptions& options, const CarRunPaths& paths, ReportResults& r)
{
    bool ok = true;
    auto figure = [](const std::optional<float>& v) { return v ? std::optional<double>(*v) : std::nullopt; };

    // The standing start, as vqsim accel runs it, and before it the settled
    // car's weight on its wheels.
    {
        DriveSettings settings;
        settings.track = kStripTrack;
        double front = 0, total = 0;
        int n = 0;
        ok &= runOne("standing start on the test strip", options, paths, settings,
                     [](const Track& track) { return std::make_unique<AccelDriver>(track); },
                     [&](DriveSession& session, AccelDriver& driver, const CarState& state) {
                         // The car is put down at the reset and ignores inputs for 3 s.
                         if (state.time >= 2.0f && state.time < 2.9f) {
                             const Loads loads = wheelLoads(*session.car());
                             front += loads.front, total += loads.total, ++n;
                         }
                         const bool done = driver.finished() || state.time >= 90.0f;
                         if (done) {
                             r.zero100S = figure(driver.time100);
                             r.zero200S = figure(driver.time200);
                             r.quarterMileS = figure(driver.quarterMile);
                             if (driver.quarterMile) r.quarterMileKmh = driver.quarterMileSpeed;
                         }
                         return done;
                     });
        if (n > 0 && total > 0) {
            r.massKg = total / n / kG;
            r.frontWeightPct = 100.0 * front / total;
        }
    }

    // The rev limit, in fourth gear: the first three spin the rear wheels at
    // full throttle (and the traction control cuts in), fourth pulls cleanly
    // and slowly enough into the limiter to find it within a few rpm.
    {
        DriveSettings settings;
        settings.track = kStripTrack;
        LaunchSettings upToFourth;
        upToFourth.topGear = 4;
        std::vector<int> rpm;
        ok &= runOne("rev limit in fourth gear", options, paths, settings,
                     [&](const Track& track) { return std::make_unique<AccelDriver>(track, upToFourth); },
                     [&](DriveSession&, AccelDriver& driver, const CarState& state) {
                         if (!driver.launchTime) return state.time >= 30.0f;
                         if (state.gear == "4") rpm.push_back(state.rpm);
                         return state.time - *driver.launchTime >= 25.0f;
                     });
        r.revLimitRpm = revLimit(rpm, static_cast<size_t>(1.0f / settings.dt));
    }

    // The engine curve the car wrote when it was unloaded.
    CCurve torque;
    torque.load("out/power.exp");
    if (torque.size() > 0) {
        r.engine = enginePeaks(torque, r.revLimitRpm ? static_cast<float>(*r.revLimitRpm) : 15000.0f);
        const float last = r.revLimitRpm ? static_cast<float>(*r.revLimitRpm) * 1.15f : 15000.0f;
        for (float rpm = 0; rpm <= last; rpm += 100.0f) {
            const float t = torque.getValue(rpm);
            r.engineCurve.push_back({rpm, t, t * rpm * kRpmToRadS * 0.001f});
        }
    } else {
        hostPrintf("vqsim: report: the car wrote no engine curve (out/power.exp)\n");
    }

    // Top speed on a straight long enough for it, through every gear.
    {
        DriveSettings settings;
        settings.track = kStripTrack;
        settings.stripLength = kTopSpeedStrip;
        std::vector<SpeedSample> trace;
        Sampler sampler;
        ok &= runOne("top speed on a 12 km straight", options, paths, settings,
                     [](const Track& track) { return std::make_unique<AccelDriver>(track); },
                     [&](DriveSession&, AccelDriver& driver, const CarState& state) {
                         if (!driver.launchTime) return state.time >= 30.0f;
                         const float t = state.time - *driver.launchTime;
                         if (sampler.due(t)) {
                             trace.push_back({t, state.speed * 3.6f});
                             r.launch.push_back({t, state.speed * 3.6f, gearNumber(state.gear)});
                         }
                         return (t > 20.0f && onPlateau(trace, 5.0f, 0.3f)) ||
                                state.position.z > kTopSpeedStrip - 150.0f || t >= 240.0f;
                     });
        const TopSpeed top = topSpeed(trace, 5.0f, 0.3f);
        if (!trace.empty()) {
            r.topSpeedKmh = top.kmh;
            r.topSpeed99S = top.timeTo99;
            r.topSpeedLevelled = top.levelled;
        }
    }

    // The gear ratios, from the engine's speed against the rear wheels' while
    // the car cruises in each gear. Under full drive the wheels turn a little
    // slower than the gears would have them (the tyres' torque acts on them
    // after the drivetrain step): up to 6 % in first gear.
    std::vector<std::vector<float>> ratios(7);
    {
        DriveSettings settings;
        settings.track = kStripTrack;
        ok &= runOne("cruising in each gear", options, paths, settings,
                     [](const Track& track) { return std::make_unique<GearCruiseDriver>(track); },
                     [&](DriveSession& session, GearCruiseDriver& driver, const CarState& state) {
                         float front = 0, rear = 0;
                         wheelSpeeds(*session.car(), front, rear);
                         if (driver.measuring && rear > 1.0f)
                             ratios[driver.gear].push_back(state.rpm * kRpmToRadS / rear);
                         return driver.done || state.time >= 120.0f;
                     });
    }

    // Coasting from steady speed with the clutch open: the road load (drag and
    // the tyres' rolling resistance together, which the host cannot tell
    // apart) from the deceleration, the lift from the wheel loads, and the
    // tyres' rolling radii from the free-rolling wheels.
    {
        DriveSettings settings;
        settings.track = kStripTrack;
        settings.stripLength = kCoastStrip;
        struct CoastSample {
            float time, speed, load;
        };
        std::vector<CoastSample> coast;
        std::vector<float> frontRadius, rearRadius;
        ok &= runOne("coasting down from 210 km/h", options, paths, settings,
                     [](const Track& track) { return std::make_unique<CoastDownDriver>(track); },
                     [&](DriveSession& session, CoastDownDriver& driver, const CarState& state) {
                         // Wait for the clutch to open and the pitch to settle.
                         if (driver.coastSince && state.time - *driver.coastSince > 1.0f) {
                             coast.push_back({state.time, state.speed, wheelLoads(*session.car()).total});
                             float front = 0, rear = 0;
                             wheelSpeeds(*session.car(), front, rear);
                             if (front > 1.0f) frontRadius.push_back(state.speed / front);
                             if (rear > 1.0f) rearRadius.push_back(state.speed / rear);
                         }
                         return driver.finished(state) || state.time >= 150.0f ||
                                state.position.z > kCoastStrip - 150.0f;
                     });
        if (auto m = median(frontRadius)) r.frontRollingRadiusM = *m;
        if (auto m = median(rearRadius)) r.rearRollingRadiusM = *m;
        // The wheel loads carry an offset of a hundred newtons or so that
        // depends on how the car is driven, not on its speed: the lift is the
        // part of their sum that goes with the speed squared.
        std::vector<double> time, speed, speedSquared, load;
        for (const CoastSample& c : coast)
            time.push_back(c.time), speed.push_back(c.speed), speedSquared.push_back(c.speed * c.speed),
                load.push_back(c.load);
        const std::optional<double> loadPerSpeedSquared = slope(speedSquared, load);
        for (auto [kmh, roadLoad, lift] :
             {std::tuple{100.0f, &r.roadLoad100N, &r.lift100N}, {200.0f, &r.roadLoad200N, &r.lift200N}}) {
            const double v = kmh / 3.6;
            if (loadPerSpeedSquared) *lift = -*loadPerSpeedSquared * v * v;
            std::vector<double> t, u;
            for (size_t k = 0; k < coast.size(); ++k)
                if (std::fabs(speed[k] - v) <= 4.0 / 3.6) t.push_back(time[k]), u.push_back(speed[k]);
            if (const std::optional<double> a = slope(t, u); a && r.massKg) *roadLoad = -*a * *r.massKg;
        }
    }
    if (r.revLimitRpm && r.rearRollingRadiusM)
        for (int g = 1; g <= 6; ++g)
            if (auto ratio = median(ratios[g]))
                r.gears.push_back({g, *ratio,
                                   static_cast<float>(*r.revLimitRpm * kRpmToRadS / *ratio * *r.rearRollingRadiusM * 3.6)});

    // The stops: from 100 km/h without and with ABS, from 200 km/h without,
    // watching the wheels lock.
    StopRecord off100, on100, off200;
    ok &= runStop("100-0 km/h, ABS off", options, paths, false, 100.0f, r.brake100AbsOffM, off100);
    ok &= runStop("100-0 km/h, ABS on", options, paths, true, 100.0f, r.brake100AbsOnM, on100);
    ok &= runStop("200-0 km/h, ABS off", options, paths, false, 200.0f, r.brake200M, off200);
    r.stops = {stopTrace("100-0 km/h, ABS off", off100.speeds), stopTrace("100-0 km/h, ABS on", on100.speeds),
               stopTrace("200-0 km/h, ABS off", off200.speeds)};
    if (r.brake200M) {
        r.frontLockKmh = firstLockKmh(off200.wheels, 0);
        r.rearLockKmh = firstLockKmh(off200.wheels, 1);
    }

    ok &= runSkidpad(options, paths, 40.0f, 240.0f, r.skidpad40G);
    ok &= runSkidpad(options, paths, 100.0f, 400.0f, r.skidpad100G);

    // A lap of the bundled circuit with the autopilot; its g-g diagram from
    // the velocity sampled 30 times a second.
    {
        DriveSettings settings;
        struct Velocity {
            float time;
            Vector3 v, forward, left;
        };
        std::vector<Velocity> samples;
        Sampler sampler;
        ok &= runOne("a lap of the circuit", options, paths, settings,
                     [](const Track& track) { return std::make_unique<Autopilot>(track); },
                     [&](DriveSession& session, Autopilot&, const CarState& state) {
                         const auto& laps = session.host().lapTimesMs;
                         if (!laps.empty()) r.lapS = laps.front() / 1000.0;
                         if (state.time >= 3.0f && laps.empty() && sampler.due(state.time)) {
                             Vector3 v;
                             session.car()->getVelocity(v);
                             samples.push_back({state.time, v, state.forward, state.left});
                         }
                         return !laps.empty() || state.time >= 360.0f;
                     });
        for (size_t k = 1; k + 1 < samples.size(); ++k) {
            const float dt = samples[k + 1].time - samples[k - 1].time;
            const Vector3 a = (samples[k + 1].v - samples[k - 1].v) * (1.0f / (dt * kG));
            r.lapGG.push_back({dot(a, samples[k].left), dot(a, samples[k].forward)});
        }
    }
    return ok;
}
