#include "host/drive_session.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "car/car.h"
#include "car/icar.h"
#include "car/physics_world.h"
#include "graphics/engine.h"
#include "host/data_check.h"
#include "host/interrupt.h"
#include "services/lap_timer.h"
#include "host/car_console.h"
#include "host/driver_aids.h"


namespace {
// How far before the finish strip the car is put at a reset, m.
constexpr float kStartBehindLine = 15.0f;
// Below this the car stands still, m/s (0.36 km/h).
constexpr float kStandstill = 0.1f;
const char* const kEngineCurveFlag = "LOADENGINECURVE";
}  // namespace

DriveSession::DriveSession(const CarRunOptions& options, const CarRunPaths& paths, const DriveSettings& settings)
    : options_(options), paths_(paths), settings_(settings)
{
}

DriveSession::~DriveSession() { finish(); }

bool DriveSession::checkCarData() const
{
    DataCheckSettings check;
    for (const std::string& flag : options_.flags) check.engineCurve = check.engineCurve || flag == kEngineCurveFlag;
    // Every run hands the car a sound system (a silent one without --sound),
    // so the car always loads its waves: a missing one would end the process.
    check.sound = true;
    const DataCheckResult result = ::checkCarData(paths_.runDir, check);
    if (result.ok()) return true;
    std::fprintf(stderr, "vqsim: the car's data in %s cannot be used (copied from %s):\n", paths_.runDir.c_str(),
                 paths_.dataDir.c_str());
    for (const std::string& problem : result.problems) std::fprintf(stderr, "  %s\n", problem.c_str());
    return false;
}

// The car base's layout is the host's too (both are built from the same
// headers), so the host reads and sets the tank through it.
float DriveSession::fuel() const { return car_ ? static_cast<const CCar*>(car_)->fuel : 0.0f; }

void DriveSession::endRun(RunEnd why)
{
    if (!end_) end_ = why;
}

bool DriveSession::start()
{
    std::string error;
    if (settings_.track == kStripTrack) {
        track_.makeStrip(settings_.stripLength, 60.0f);
    } else if (settings_.track == kSkidpadTrack) {
        track_.makeCircle(settings_.circleRadius);
    } else {
        const std::string trackFile = paths_.dataDir + "/tracks/" + settings_.track + "/track.txt";
        if (!track_.load(trackFile, error)) {
            std::fprintf(stderr, "vqsim: %s\n", error.c_str());
            return false;
        }
    }
    hostPrintf("vqsim: track %s, %.0f m\n", track_.name().c_str(), track_.length());
    if (!checkCarData()) return false;

    world_ = std::make_unique<CPhysicsWorld>();
    world_->create();
    engine_ = std::make_unique<REngine>();
    if (display_) {
        engine_->deviceFactory = display_;
        if (!engine_->init(nullptr, nullptr)) {
            std::fprintf(stderr, "vqsim: the window's OpenGL context gives the engine no device\n");
            return false;
        }
    } else if (settings_.pictures.wanted()) {
        pictures_ = std::make_unique<DrivePictures>(settings_.pictures);
        if (!pictures_->prepare(*engine_, error)) {
            // Pictures are an extra: the drive itself still runs and writes its files.
            std::fprintf(stderr, "vqsim: %s; the run goes on without pictures\n", error.c_str());
            pictures_.reset();
            engine_->deviceFactory = nullptr;
        }
    }
    host_.debug = options_.debug;
    for (const std::string& flag : options_.flags) host_.setFlag(flag);

    if (!library_.open(paths_.plugin)) {
        std::fprintf(stderr, "vqsim: %s\n", library_.error().c_str());
        return false;
    }
    car_ = library_.car();
    hostPrintf("vqsim: car \"%s\" from %s\n", car_->getShortName(), paths_.plugin.c_str());
    selfEntry_ = std::make_unique<HostCarEntry>(car_, true);
    host_.carList.push_back(selfEntry_.get());
    std::fflush(stdout);

    car_->init(engine_.get(), world_.get(), &track_, &host_);
    if (settings_.fuel) {
        static_cast<CCar*>(car_)->fuel = *settings_.fuel;
        hostPrintf("vqsim: %.1f l of fuel in the tank\n", *settings_.fuel);
    }
    car_->setProfiler(settings_.profile ? &profiler_ : nullptr);
    car_->reset(startPosition(), startDirection());
    for (auto [aid, on] : {std::pair{DriverAid::Abs, settings_.abs}, {DriverAid::TractionControl, settings_.tractionControl}})
        if (on && !switchDriverAid(*car_, host_, aid, *on)) {
            std::fprintf(stderr, "vqsim: the car did not switch its %s %s\n",
                         aid == DriverAid::Abs ? "ABS" : "traction control", *on ? "on" : "off");
            return false;
        }
    nextProgress_ = settings_.progressEvery;
    if (!sound_.start(*car_, settings_.soundPath, settings_.liveSound, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return false;
    }
    if (sound_.active()) hostPrintf("vqsim: rendering the sound into %s\n", settings_.soundPath.c_str());
    watchForInterrupt();
    if (pictures_ && !pictures_->begin(*engine_, track_, host_, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        return false;
    }
    state_ = readCarState(*car_, time_);
    if (!telemetry_.open(paths_.runDir + "/telemetry.csv"))
        std::fprintf(stderr, "vqsim: cannot write %s/telemetry.csv; the run goes on without it\n",
                     paths_.runDir.c_str());
    return true;
}

Vector3 DriveSession::startPosition() const { return track_.centreAt(track_.finishAt() - kStartBehindLine); }

Vector3 DriveSession::startDirection() const { return track_.tangentAt(track_.finishAt() - kStartBehindLine); }

void DriveSession::account(const CarState& state)
{
    const float dt = settings_.dt;
    if (!std::isfinite(state.speed) || !std::isfinite(state.position.x) || !std::isfinite(state.position.y) ||
        !std::isfinite(state.position.z))
        nanSeen_ = true;
    topSpeed_ = std::max(topSpeed_, state.speed);

    int surfaces[4] = {0, 0, 0, 0};
    car_->getWheelSurfaces(surfaces);
    bool off = false;
    for (int kind : surfaces) off = off || kind == 1 || kind == 3;
    offroad_ = off ? offroad_ + dt : 0.0f;
    maxOffroad_ = std::max(maxOffroad_, offroad_);

    // Our own 0-100 km/h: from the last frame at rest to the first at 100.
    if (state.speed < kStandstill) standstillAt_ = state.time;
    if (!zeroTo100_ && standstillAt_ && state.speed * 3.6f >= 100.0f) zeroTo100_ = state.time - *standstillAt_;
    // The car's sprint clock times 2 -> 100 km/h. A lap counted while it runs
    // resets the lap clock under it, which makes that measurement meaningless.
    if (const CLapTimer* timer = car_->getLapTimer()) {
        if (timer->sprintRunning && !sprintWasRunning_) lapsAtSprintStart_ = timer->lapCount;
        if (!timer->sprintRunning && sprintWasRunning_ && !sprint2To100_ && timer->lapCount == lapsAtSprintStart_)
            sprint2To100_ = timer->sprintMs / 1000.0;
        sprintWasRunning_ = timer->sprintRunning;
    }
    watchForEnd(state);

    if (settings_.progressEvery > 0 && state.time >= nextProgress_) {
        nextProgress_ += settings_.progressEvery;
        const Track::Placement placed = track_.place(state.position.x, state.position.z);
        hostPrintf("  t=%7.1f s  lap %zu  at %6.0f m  %+5.1f m off the line  %6.1f km/h  gear %-2s %5d rpm\n",
                   state.time, host_.lapTimesMs.size() + 1, placed.s, placed.lateral, state.speed * 3.6f,
                   state.gear.c_str(), state.rpm);
        std::fflush(stdout);
    }
}

// An empty tank ends the run once the car has come to rest; a car with fuel
// that stands still too long is stuck.
void DriveSession::watchForEnd(const CarState& state)
{
    const float dt = settings_.dt;
    const bool still = state.speed < kStandstill;
    const bool empty = fuel() <= 0.0f;
    if (empty && !dryReported_) {
        hostPrintf("vqsim: the tank is empty at %.1f s\n", state.time);
        dryReported_ = true;
    }
    emptyStill_ = still && empty ? emptyStill_ + dt : 0.0f;
    still_ = still && !empty ? still_ + dt : 0.0f;
    if (emptyStill_ >= kOutOfFuelWait) {
        hostPrintf("vqsim: out of fuel: the car has stood still with an empty tank for %.0f s\n", kOutOfFuelWait);
        endRun(RunEnd::OutOfFuel);
    }
    if (settings_.stuckAfter > 0 && still_ >= settings_.stuckAfter) {
        hostPrintf("vqsim: stuck: the car has not moved for %.0f s\n", settings_.stuckAfter);
        endRun(RunEnd::Stuck);
    }
}

const CarState& DriveSession::stepFrame(Driver& driver)
{
    const float dt = settings_.dt;
    driver.drive(state_, dt, controls_.inputs);
    car_->setControls(&controls_);
    car_->stepPhysics(dt);
    world_->step(dt);
    car_->syncFrames();
    ++steps_;
    time_ = static_cast<float>(steps_ * static_cast<double>(dt));
    state_ = readCarState(*car_, time_);
    distance_ += static_cast<double>(state_.speed) * dt;
    telemetry_.sample(*car_, state_, controls_.inputs, steps_ * static_cast<double>(dt), distance_);
    sound_.step(*car_, steps_ * static_cast<double>(dt));
    account(state_);
    return state_;
}

bool DriveSession::shouldStop(const std::function<bool(const CarState&)>& done)
{
    if (!car_ || end_ || done(state_)) return true;
    // A signal ends the run at a frame's end, like any other stop.
    if (interruptRequested()) endRun(RunEnd::Interrupted);
    return end_.has_value();
}

void DriveSession::addWallTime(std::chrono::steady_clock::duration wall)
{
    stepNs_ += static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count());
    wallSeconds_ = stepNs_ / 1e9;
}

void DriveSession::run(Driver& driver, const std::function<bool(const CarState&)>& done)
{
    if (!car_) return;
    const auto wallStart = std::chrono::steady_clock::now();
    state_ = readCarState(*car_, time_);
    while (!shouldStop(done)) {
        stepFrame(driver);
        drawPictures(steps_ * static_cast<double>(settings_.dt));
    }
    addWallTime(std::chrono::steady_clock::now() - wallStart);
}

void DriveSession::resetOnTrack()
{
    if (!car_) return;
    const Track::Placement placed = track_.place(state_.position.x, state_.position.z);
    car_->reset(track_.centreAt(placed.s), track_.tangentAt(placed.s));
    state_ = readCarState(*car_, time_);
    hostPrintf("vqsim: the car is back on the track at %.0f m (%.1f s)\n", placed.s, time_);
}

void DriveSession::drawPictures(double time)
{
    if (pictures_ && car_) pictures_->step(*car_, time);
}

RunSummary DriveSession::summary() const
{
    RunSummary s;
    s.lapsCompleted = static_cast<int>(host_.lapTimesMs.size());
    for (unsigned ms : host_.lapTimesMs) {
        s.lapTimesS.push_back(ms / 1000.0);
        if (!s.bestLapS || ms / 1000.0 < *s.bestLapS) s.bestLapS = ms / 1000.0;
    }
    s.topSpeedKmh = topSpeed_ * 3.6;
    s.zeroTo100S = zeroTo100_;
    s.sprint2To100S = sprint2To100_;
    if (end_) s.ended = *end_;
    s.simSeconds = steps_ * static_cast<double>(settings_.dt);
    s.wallSeconds = wallSeconds_;
    s.realTimeFactor = wallSeconds_ > 0 ? s.simSeconds / wallSeconds_ : 0.0;
    s.maxOffroadSeconds = maxOffroad_;
    s.nanSeen = nanSeen_;
    return s;
}

bool DriveSession::finish()
{
    if (!world_ && !library_.car()) return true;
    car_ = nullptr;
    // Frames, sound buffers and other objects made by plug-in code carry its
    // code: they go before the plug-in does.
    if (sound_.active()) {
        const double seconds = sound_.finish();
        hostPrintf("vqsim: wrote %s (%.1f s of sound)\n", settings_.soundPath.c_str(), seconds);
    }
    std::string error;
    if (pictures_ && !pictures_->close(error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        picturesFailed_ = true;
    }
    sound_.release();
    engine_.reset();
    bool unloaded = true;
    if (library_.car()) {
        std::fflush(stdout);
        unloaded = library_.close();
        std::fflush(stdout);
        if (!unloaded) std::fprintf(stderr, "vqsim: the plug-in is still loaded after dlclose\n");
    }
    if (telemetry_.rows() > 0) {
        telemetry_.close();
        hostPrintf("vqsim: wrote %s (%ld rows)\n", telemetry_.path().c_str(), telemetry_.rows());
    }
    if (settings_.profile && !profiler_.sections().empty()) {
        hostPrintf("profile (wall time of the car's sections):\n");
        profiler_.report(hostOut(), stepNs_);
    }
    world_.reset();
    if (pictures_ && !picturesFailed_ && !pictures_->addSound(settings_.soundPath, error)) {
        std::fprintf(stderr, "vqsim: %s\n", error.c_str());
        picturesFailed_ = true;
    }
    pictures_.reset();
    return unloaded;
}
